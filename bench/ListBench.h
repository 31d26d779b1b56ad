#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>

#include "inventory/ProcessRecord.h"

namespace brisklow::bench {

// The records of a scan of `count` processes.
using RowSource = std::function<TPIArray(size_t count)>;

// Prints "fill-program <N> <ns/row>" for 1,000 and 10,000 rows (the list as the program has it),
// "fill <N> <ns/row>" for 1,000, 10,000 and 100,000 rows (a bare list) and
// "sort <N> <column> <list ms> <std::sort ms> <list with a free comparison ms>
//  <list comparisons> <std::sort comparisons> <the list's comparisons made again ms>" for 10,000
//  and 100,000 rows.
int RunListBench(HINSTANCE instance, const RowSource& makeRows, int repeats);

}  // namespace brisklow::bench
