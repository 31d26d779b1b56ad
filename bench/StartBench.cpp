// Start-up: Brisklow.exe from its start until the status line reads "N processos" (the first
// paint's scan of this computer, done through the stand-in registered in the bench's prefix),
// next to the time Wine's own task manager takes until its window is shown.
#include "bench/StartBench.h"

#include <windows.h>
// The other Windows headers build on windows.h.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/Timing.h"
#include "tests/e2e/RunningProgram.h"
#include "ui/MainWindow.h"

namespace brisklow::bench {
namespace {

constexpr auto kTimeout = std::chrono::seconds(60);

// Polls `condition` every millisecond until it holds; false after the timeout.
template <typename Condition>
bool PollUntil(Condition&& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Seconds from the start of Brisklow.exe until the first scan's count is on the status line.
double BrisklowStart(std::string& status) {
    static const std::regex kCount("[0-9]+ processos");
    const Stopwatch watch;
    e2e::RunningProgram program;
    HWND statusBar = program.Control(ControlId(Control::StatusBar));
    if (!PollUntil([&] {
            status = program.StatusText(statusBar);
            return std::regex_match(status, kCount);
        })) {
        throw std::runtime_error("no count on the status line; it reads \"" + status + "\"");
    }
    const double seconds = watch.Seconds();
    if (program.CloseAndWait() != 0) throw std::runtime_error("Brisklow.exe did not end cleanly");
    return seconds;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from the start of Wine's task manager until its main window is shown.
double TaskManagerStart() {
    std::string command = "taskmgr.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const Stopwatch watch;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        throw std::runtime_error("cannot start taskmgr.exe");
    }
    Search search{info.dwProcessId, nullptr};
    const bool shown = PollUntil([&] {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    const double seconds = watch.Seconds();
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!shown) throw std::runtime_error("the task manager's window did not show");
    return seconds;
}

}  // namespace

int RunStartBench(int repeats) {
    // Once each unmeasured, so that both find the prefix's files in the system's cache.
    std::string status;
    BrisklowStart(status);
    TaskManagerStart();
    std::vector<double> brisklow, taskManager;
    for (int i = 0; i < repeats; ++i) {
        brisklow.push_back(BrisklowStart(status));
        taskManager.push_back(TaskManagerStart());
    }
    std::printf("start %.0f %.0f %s\n", Median(brisklow) * 1e3, Median(taskManager) * 1e3,
                status.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace brisklow::bench
