// The README's run command on a machine without a display: starts Brisklow.exe on a virtual
// display, waits for its first scan to end, tells what the window shows, keeps a screenshot,
// closes the program and passes on its exit code.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/RunningProgram.h"
#include "ui/MainWindow.h"

using namespace brisklow;
using namespace brisklow::e2e;

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <screenshot.png (Unix path)>\n", argv[0]);
        return 2;
    }
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
    for (HWND box : program.MessageBoxes()) {
        std::printf("Box \"%s\":\n", TextOf(box).c_str());
        for (const std::string& text : RunningProgram::BoxTexts(box)) {
            std::string shown = text;
            for (char& c : shown) {
                if (c == '\r') c = '\n';
            }
            std::printf("  %s\n", shown.c_str());
        }
    }
    const bool saved = SaveScreenshot(argv[1]);
    std::printf("Screenshot: %s\n", saved ? argv[1] : "(not saved)");
    for (HWND box : program.MessageBoxes()) RunningProgram::CloseMessageBox(box);
    WaitUntil([&] { return EndsWith(program.StatusText(statusBar), " processos"); });
    std::printf("Status line: %s\n", program.StatusText(statusBar).c_str());
    const long exitCode = program.CloseAndWait();
    std::printf("Brisklow.exe ended with exit code %ld\n", exitCode);
    std::fflush(stdout);
    return saved && exitCode == 0 ? 0 : 1;
}
