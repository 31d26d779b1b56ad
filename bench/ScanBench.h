#pragma once
#include <windows.h>

#include <cstddef>

#include "inventory/ProcessRecord.h"

namespace brisklow::bench {

// The records of a scan, by the program's code, of the stand-in's generated computer.
TPIArray ScanGeneratedComputer(size_t count);

// Prints "scan <N> <scan ns/process> <floor ns/process>" for 1,000, 10,000 and 100,000
// processes, each the minimum of `repeats` runs.
int RunScanBench(int repeats);

}  // namespace brisklow::bench
