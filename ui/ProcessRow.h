#pragma once
#include <string>
#include <vector>

#include "inventory/ProcessRecord.h"
#include "platform/UiServices.h"

namespace brisklow {

// The ten cell texts of one list row, in column order.
std::vector<std::string> FormatProcessRow(const TProcesInformation& record,
                                          const LongTimeFormat& timeFormat);

}  // namespace brisklow
