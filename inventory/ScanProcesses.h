#pragma once
#include <string>

#include "inventory/ProcessRecord.h"
#include "inventory/ScanSink.h"
#include "inventory/WmiAccess.h"

namespace brisklow {

// Connects to the WMI service of `computer` and appends one record per process to `table`, which
// must be empty. Failures of the connection and of the enumeration are shown in an error box
// through `sink` and end the scan, keeping the records read so far; only a failure to create the
// locator reaches the caller.
void ScanProcesses(WmiAccess& wmi, ScanSink& sink, const std::string& computer,
                   const std::string& user, const std::string& password, TPIArray& table);

}  // namespace brisklow
