#pragma once

namespace brisklow::bench {

// Prints "start <Brisklow.exe ms> <task manager ms> <status line>", medians of `repeats` starts.
int RunStartBench(int repeats);

}  // namespace brisklow::bench
