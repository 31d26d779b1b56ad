#pragma once
// Starts Brisklow.exe and looks at its windows from outside, through the controls' own messages.
// Messages that carry pointers do not cross into another process by themselves, so their records
// are placed in the program's memory (RemoteBlock).
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace brisklow::e2e {

// Polls `condition` until it holds or `timeout` has passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string ClassOf(HWND window);
// The visible top-level windows of a class that a process shows.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className);
// The top-level windows of a class that a process has made, shown or not.
std::vector<HWND> TopLevelWindowsShownOrNot(DWORD processId, const char* className);
std::string TextOf(HWND window);  // the window's own text, as bytes
// The text of a control of another process, of any length, asked with WM_GETTEXT (GetWindowText
// answers only captions across processes).
std::string ControlText(HWND control);
// A window's rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference);

// A block of memory inside another process, freed with its owner.
class RemoteBlock {
  public:
    RemoteBlock(HANDLE process, size_t size);
    ~RemoteBlock();
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    void* address() const { return address_; }
    void Write(const void* data, size_t size, size_t offset = 0);
    void Read(void* data, size_t size, size_t offset = 0) const;

  private:
    HANDLE process_;
    void* address_;
};

class RunningProgram {
  public:
    // Environment variables given to the program on top of this process's own.
    using Environment = std::vector<std::pair<std::string, std::string>>;

    // Starts the program (ProgramPath()) and waits for its main window. The first start in a
    // process prints "Program under test: <its path>" on stdout.
    RunningProgram();
    // The same, with these variables set (or replaced) in the program's environment.
    explicit RunningProgram(const Environment& environment);
    // Closes what is still open and ends the process if it will not end by itself.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HANDLE process() const { return info_.hProcess; }
    DWORD processId() const { return info_.dwProcessId; }
    DWORD threadId() const { return info_.dwThreadId; }
    HWND main() const { return main_; }
    HWND Control(int id) const { return GetDlgItem(main_, id); }

    // The visible top-level message boxes ("#32770") of the program.
    std::vector<HWND> MessageBoxes() const;
    // Waits for a message box with this caption; null when none came.
    HWND WaitForMessageBox(const std::string& caption) const;
    // The texts of the box's static controls.
    static std::vector<std::string> BoxTexts(HWND box);
    // Presses the box's OK button and waits until the box has gone.
    static bool CloseMessageBox(HWND box);

    // The window in which the keyboard focus is, in the program's thread.
    HWND Focus() const;
    // The status bar's simple text.
    std::string StatusText(HWND statusBar) const;

    // The text of one cell of a report list of the program (up to 511 bytes).
    std::string ListCell(HWND list, int row, int column) const;
    // Every row of the list, each with its first `columns` cells.
    std::vector<std::vector<std::string>> ListRows(HWND list, int columns) const;

    // Asks the window to close and waits for the process to end; its exit code, or -1.
    long CloseAndWait();

  private:
    PROCESS_INFORMATION info_{};
    HWND main_ = nullptr;
};

// The edit control a person types into: a combo box's own edit, or the control itself.
HWND TypingTarget(HWND control);
// Clicks the left mouse button at a point of the window's client area.
void ClickAt(HWND window, int x, int y);
// Replaces the text of the control's edit, as typing it would.
void Type(HWND control, const std::string& text);
// Presses Enter in the control's edit.
void PressEnter(HWND control);

// Starts a Unix program (a command line with its absolute path) from Wine, without waiting: Wine
// gives no handle of it to wait on, so the caller waits for its effect.
bool StartUnixProgram(std::string command);

// What the screen shows inside a rectangle of a window's client area, read back pixel by pixel.
class ScreenPicture {
  public:
    ScreenPicture(HWND window, const RECT& clientArea);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF At(int x, int y) const;  // relative to the rectangle's top left corner
    // How many pixels of the rows [top, bottom) differ from `colour`, and how many of them are
    // dark (as text is on a light background).
    int CountOtherThan(COLORREF colour, int top, int bottom) const;
    int CountDark(int top, int bottom) const;
    bool SameAs(const ScreenPicture& other) const { return pixels_ == other.pixels_; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

// The bounds of a row of a report list of the program, in the list's client coordinates; false when
// the list has no such row.
bool ListRowRect(const RunningProgram& program, HWND list, int row, RECT& bounds);

// Checks what the screen shows of a report list of the program: its first `rows` rows (those of
// them that fit) each with dark text on the light background, and below the last row, when it
// fits, nothing but the list's background.
void ExpectRowsOnScreen(const RunningProgram& program, HWND list, int rows);

// Saves a picture of the whole display as a PNG file at a Unix path; whether it was written.
bool SaveScreenshot(const std::string& unixPath);

// This computer's name, as the program's computer box shows it after start.
std::string ComputerName();
// A text in this system's ANSI code page, the code page of every 8-bit text of the program: the
// characters it has stay, the others become what the system makes of them (its nearest
// character, else '?').
std::string InTheCodePage(const std::wstring& text);
bool EndsWith(const std::string& text, const std::string& end);
// The tooltip windows in the balloon style that a process has made.
std::vector<HWND> BalloonsOf(DWORD processId);

// Whether these tests run under Wine.
bool RunningUnderWine();

// Marks a case, or a fixture's SetUp, that needs Wine: the WMI stand-in (registered only under
// Wine) or something only Wine does or shows. Such cases are defined only where the tests run
// under Wine (tests/e2e/CMakeLists.txt, checked by tests/build-checks), and skip themselves
// anywhere else.
#define BRISKLOW_NEEDS_WINE(why)                      \
    if (!::brisklow::e2e::RunningUnderWine()) {       \
        GTEST_SKIP() << "only under Wine: " << (why); \
    }                                                 \
    static_assert(true)

// The path of the Brisklow.exe that was built with this driver, or of the one that the variable
// BRISKLOW_PROGRAM names (a release's, say).
std::string ProgramPath();

}  // namespace brisklow::e2e
