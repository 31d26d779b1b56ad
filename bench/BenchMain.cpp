// The benchmarks under Wine: brisklow_bench scan|list|start [repeats]. Each prints lines of
// figures that bench/run.sh puts into its table.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/ListBench.h"
#include "bench/ScanBench.h"
#include "bench/StartBench.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int exitCode = 2;
    try {
        if (mode == "scan") {
            exitCode = brisklow::bench::RunScanBench(repeats);
        } else if (mode == "list") {
            exitCode = brisklow::bench::RunListBench(
                GetModuleHandleA(nullptr), brisklow::bench::ScanGeneratedComputer, repeats);
        } else if (mode == "start") {
            exitCode = brisklow::bench::RunStartBench(repeats);
        } else {
            std::fprintf(stderr, "usage: brisklow_bench scan|list|start [repeats]\n");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "brisklow_bench %s: %s\n", mode.c_str(), error.what());
        exitCode = 1;
    }
    CoUninitialize();
    return exitCode;
}
