// The README's run command on a machine without a display: starts Brisklow.exe on a virtual
// display, waits for its first scan to end, tells what the window shows, keeps a screenshot,
// closes the program and passes on its exit code.
//   brisklow_headless_run [--require-count] [<screenshot.png (Unix path, under Wine)>]
// With --require-count the run fails unless the first scan ends with "N processos" (N above
// zero) and no box: the check of a machine whose WMI serves every call, such as Windows itself.
#include <windows.h>

#include <algorithm>
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

// Why the window does not stand painted yet, as a person would see it; empty once it does.
// - No visible window of the program holds an update region. The first scan runs inside the
//   window's first paint, and what it changed (the rows, the status line, the scan button) is
//   painted only from the window's message loop: so the thread is back in that loop, too.
// - On the screen, no control shows the black of a surface not painted yet: most of each one's
//   pixels are light, as the button face, the boxes and the list are.
// - With `rows`, the list's first row shows its text.
std::string WhatIsNotPainted(const RunningProgram& program, HWND list, bool rows) {
    std::vector<HWND> windows{program.main()};
    EnumChildWindows(
        program.main(),
        [](HWND child, LPARAM found) {
            if (IsWindowVisible(child))
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (GetUpdateRect(window, nullptr, FALSE)) return ClassOf(window) + " waits for its paint";
        RECT client{};
        GetClientRect(window, &client);
        if (window == program.main() || client.right <= 0 || client.bottom <= 0) continue;
        const ScreenPicture picture(window, client);
        if (picture.CountDark(0, picture.height()) > picture.width() * picture.height() / 2) {
            return ClassOf(window) + " shows dark on the screen";
        }
    }
    if (!rows) return "";
    RECT first{};
    if (!ListRowRect(program, list, 0, first)) return "the list has no first row";
    RECT listArea{};
    GetClientRect(list, &listArea);
    first.left = std::max(first.left, 0L);
    first.right = std::min(first.right, listArea.right);
    first.bottom = std::min(first.bottom, listArea.bottom);
    if (first.right - first.left < 8 || first.bottom - first.top < 8) {
        return "the list's first row is out of sight";
    }
    const ScreenPicture row(list, first);
    if (row.CountDark(0, row.height()) == 0) return "the list's first row shows no text";
    return "";
}

// Waits for the first scan of a started Brisklow.exe, tells what it shows and closes it. The
// screenshot is taken once the window stands painted, and none is kept when it does not.
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
        // A picture of a window that has not painted yet would show black boxes: none is kept.
        HWND list = program.Control(ControlId(Control::ListView1));
        std::string notPainted;
        const bool painted = WaitUntil([&] {
            notPainted = WhatIsNotPainted(program, list, boxes.empty());
            return notPainted.empty();
        });
        if (!painted) DeleteFileA(("Z:" + std::string(screenshot)).c_str());  // an older run's
        saved = painted && SaveScreenshot(screenshot);
        std::printf("Screenshot: %s\n", saved ? screenshot : "(not saved)");
        if (!painted)
            std::fprintf(stderr, "the window did not stand painted: %s\n", notPainted.c_str());
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
