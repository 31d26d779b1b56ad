// The README's run command on a machine without a display: starts Brisklow.exe on a virtual
// display, waits for its first scan to end, tells what the window shows, keeps a screenshot,
// closes the program and passes on its exit code.
//   brisklow_headless_run [--require-count] [<screenshot.png (Unix path, under Wine)>]
// With --require-count the run fails unless the first scan ends with "N processos" (N above
// zero) and no box: the check of a machine whose WMI serves every call, such as Windows itself.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "tests/e2e/RunningProgram.h"
#include "ui/MainWindow.h"

using namespace brisklow;
using namespace brisklow::e2e;

namespace {

// Waits for the first scan of a started Brisklow.exe, tells what it shows and closes it.
int FirstScan(bool requireCount, const char* screenshot) {
    RunningProgram program;
    HWND statusBar = program.Control(ControlId(Control::StatusBar));
    // The first scan ends with the count in the status line, or with a box that reports why not.
    const bool ended = WaitUntil(
        [&] {
            return EndsWith(program.StatusText(statusBar), " processos") ||
                   !program.MessageBoxes().empty();
        },
        std::chrono::minutes(3));
    if (!ended) {
        std::fprintf(stderr, "the first scan did not end within three minutes\n");
        return 1;
    }
    const std::vector<HWND> boxes = program.MessageBoxes();
    for (HWND box : boxes) {
        std::printf("Box \"%s\":\n", TextOf(box).c_str());
        for (const std::string& text : RunningProgram::BoxTexts(box)) {
            std::string shown = text;
            for (char& c : shown) {
                if (c == '\r') c = '\n';
            }
            std::printf("  %s\n", shown.c_str());
        }
    }
    bool saved = true;
    if (screenshot) {
        // The scan ran inside the window's first paint: its controls paint once the program's
        // message loop runs again, the first time it waits for input.
        WaitForInputIdle(program.process(), 10000);
        saved = SaveScreenshot(screenshot);
        std::printf("Screenshot: %s\n", saved ? screenshot : "(not saved)");
    }
    for (HWND box : boxes) RunningProgram::CloseMessageBox(box);
    WaitUntil([&] { return EndsWith(program.StatusText(statusBar), " processos"); });
    const std::string status = program.StatusText(statusBar);
    std::printf("Status line: %s\n", status.c_str());
    const long exitCode = program.CloseAndWait();
    std::printf("Brisklow.exe ended with exit code %ld\n", exitCode);
    std::fflush(stdout);
    if (requireCount && (!boxes.empty() || std::atoi(status.c_str()) <= 0)) {
        std::fprintf(stderr, "the first scan did not list this computer's processes\n");
        return 1;
    }
    return saved && exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool requireCount = false;
    const char* screenshot = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--require-count") == 0) {
            requireCount = true;
        } else if (!screenshot && argv[i][0] != '-') {
            screenshot = argv[i];
        } else {
            std::fprintf(stderr, "usage: %s [--require-count] [<screenshot.png (Unix path)>]\n",
                         argv[0]);
            return 2;
        }
    }
    try {
        return FirstScan(requireCount, screenshot);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
