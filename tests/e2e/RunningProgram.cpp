#include "tests/e2e/RunningProgram.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <thread>

namespace brisklow::e2e {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string ControlText(HWND control) {
    const auto length = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    const auto copied = SendMessageA(control, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    return text;
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RemoteBlock::RemoteBlock(HANDLE process, size_t size)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
    if (!address_) throw std::runtime_error("VirtualAllocEx failed");
}

RemoteBlock::~RemoteBlock() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }

void RemoteBlock::Write(const void* data, size_t size, size_t offset) {
    SIZE_T written = 0;
    if (!WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                            &written) ||
        written != size) {
        throw std::runtime_error("WriteProcessMemory failed");
    }
}

void RemoteBlock::Read(void* data, size_t size, size_t offset) const {
    SIZE_T read = 0;
    if (!ReadProcessMemory(process_, static_cast<const char*>(address_) + offset, data, size,
                           &read) ||
        read != size) {
        throw std::runtime_error("ReadProcessMemory failed");
    }
}

HWND TypingTarget(HWND control) {
    HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
    return edit ? edit : control;
}

void ClickAt(HWND window, int x, int y) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Type(HWND control, const std::string& text) {
    SendMessageA(TypingTarget(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressEnter(HWND control) {
    PostMessageA(TypingTarget(control), WM_KEYDOWN, VK_RETURN, 0x001C0001);
}

ScreenPicture::ScreenPicture(HWND window, const RECT& clientArea)
    : width_(clientArea.right - clientArea.left), height_(clientArea.bottom - clientArea.top) {
    if (width_ <= 0 || height_ <= 0) throw std::runtime_error("an empty picture");
    POINT origin{clientArea.left, clientArea.top};
    ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool copied = bitmap && bits && SelectObject(memory, bitmap) &&
                        BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
    if (copied) {
        GdiFlush();
        const auto* source = static_cast<const DWORD*>(bits);
        pixels_.reserve(static_cast<size_t>(width_) * static_cast<size_t>(height_));
        for (size_t i = 0; i < static_cast<size_t>(width_) * static_cast<size_t>(height_); ++i) {
            const DWORD bgr = source[i];
            pixels_.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
        }
    }
    DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    if (!copied) throw std::runtime_error("the screen could not be read");
}

COLORREF ScreenPicture::At(int x, int y) const {
    return pixels_.at(static_cast<size_t>(y) * static_cast<size_t>(width_) +
                      static_cast<size_t>(x));
}

int ScreenPicture::CountOtherThan(COLORREF colour, int top, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < width_; ++x) count += At(x, y) != colour ? 1 : 0;
    }
    return count;
}

int ScreenPicture::CountDark(int top, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < width_; ++x) {
            const COLORREF pixel = At(x, y);
            count += GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 100 ? 1 : 0;
        }
    }
    return count;
}

bool StartUnixProgram(std::string command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    return true;
}

bool SaveScreenshot(const std::string& unixPath) {
    const std::string windowsPath = "Z:" + unixPath;
    DeleteFileA(windowsPath.c_str());
    // Wine starts Unix programs too; it gives no handle to wait on, so the finished file is
    // waited for instead: a PNG file ends with its IEND chunk.
    if (!StartUnixProgram("/usr/bin/import -window root " + unixPath)) return false;
    const std::string kEnd = std::string("IEND\xAE\x42\x60\x82", 8);
    return WaitUntil([&] {
        std::ifstream file(windowsPath, std::ios::binary);
        if (!file) return false;
        std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
        return content.size() > 1000 &&
               content.compare(content.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
    });
}

namespace {

// Under Wine, a case that fails leaves a picture of the display as it was at its first failure,
// before the case's own clean-up closes the program: build/windows/failed-<suite>.<case>.png, for
// a run whose screen nobody watched.
class ScreenshotAtFirstFailure : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { taken_ = false; }
    void OnTestPartResult(const testing::TestPartResult& result) override {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        if (taken_ || !result.failed() || !test || !RunningUnderWine()) return;
        taken_ = true;
        SaveScreenshot(std::string(BRISKLOW_FAILURE_SCREENSHOTS) + "/failed-" +
                       test->test_suite_name() + "." + test->name() + ".png");
    }
    bool taken_ = false;
};

[[maybe_unused]] const bool kScreenshotAtFirstFailure = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotAtFirstFailure);
    return true;
}();

}  // namespace

bool ListRowRect(const RunningProgram& program, HWND list, int row, RECT& bounds) {
    RemoteBlock block(program.process(), sizeof(RECT));
    bounds = RECT{LVIR_BOUNDS, 0, 0, 0};
    block.Write(&bounds, sizeof bounds);
    if (!SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(block.address()))) {
        return false;
    }
    block.Read(&bounds, sizeof bounds);
    return true;
}

void ExpectRowsOnScreen(const RunningProgram& program, HWND list, int rows) {
    RECT first{};
    ASSERT_TRUE(ListRowRect(program, list, 0, first));
    const int rowHeight = first.bottom - first.top;
    ASSERT_GT(rowHeight, 8);
    RECT listArea{};
    GetClientRect(list, &listArea);
    listArea.top = first.top;
    const ScreenPicture picture(list, listArea);
    const int shown = std::min(rows, picture.height() / rowHeight);
    ASSERT_GE(shown, 1);
    for (int row = 0; row < shown; ++row) {
        EXPECT_GT(picture.CountDark(row * rowHeight, (row + 1) * rowHeight), 20) << "row " << row;
    }
    if (shown == rows) {
        EXPECT_EQ(
            picture.CountOtherThan(GetSysColor(COLOR_WINDOW), rows * rowHeight, picture.height()),
            0)
            << "nothing below the last row";
    }
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}

std::string InTheCodePage(const std::wstring& text) {
    const int wideLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<HWND> BalloonsOf(DWORD processId) {
    std::vector<HWND> balloons;
    for (HWND tip : TopLevelWindowsShownOrNot(processId, "tooltips_class32")) {
        if (GetWindowLongPtrA(tip, GWL_STYLE) & TTS_BALLOON) balloons.push_back(tip);
    }
    return balloons;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ProgramPath() {
    char named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("BRISKLOW_PROGRAM", named, sizeof named);
    std::string path = length > 0 && length < sizeof named ? named : BRISKLOW_PROGRAM_FILE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && ClassOf(window) == search.className &&
        IsWindowVisible(window)) {
        search.found.push_back(window);
    }
    return TRUE;
}

// Variable names compare without regard to case, as Windows compares them.
struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return _stricmp(a.c_str(), b.c_str()) < 0;
    }
};

// This process's environment block with `overrides` set in it; sorted by name, as Windows keeps
// environment blocks.
std::string EnvironmentBlock(const RunningProgram::Environment& overrides) {
    std::map<std::string, std::string, NameLess> variables;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) {
            const std::string text(entry);
            // Entries such as "=C:=C:\\" start with their separator; they are kept whole.
            const size_t split = text.find('=', 1);
            if (split == std::string::npos) continue;
            variables[text.substr(0, split)] = text.substr(split + 1);
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : overrides) {
        variables.erase(name);
        variables[name] = value;
    }
    std::string result;
    for (const auto& [name, value] : variables) result += name + "=" + value + '\0';
    result += '\0';
    return result;
}

// Tells, before the first start, which exe the tests start: a run against another one (a
// release's, named by BRISKLOW_PROGRAM) checks this line.
void SayWhichProgramOnce(const std::string& path) {
    static bool said = false;
    if (said) return;
    said = true;
    std::printf("Program under test: %s\n", path.c_str());
    std::fflush(stdout);
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> TopLevelWindowsShownOrNot(DWORD processId, const char* className) {
    std::vector<HWND> windows;
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) windows.push_back(window);
    }
    return windows;
}

RunningProgram::RunningProgram() : RunningProgram(Environment{}) {}

RunningProgram::RunningProgram(const Environment& environment) {
    const std::string path = ProgramPath();
    SayWhichProgramOnce(path);
    std::string command = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string block;
    if (!environment.empty()) block = EnvironmentBlock(environment);
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                        block.empty() ? nullptr : block.data(), nullptr, &startup, &info_)) {
        throw std::runtime_error("cannot start " + command);
    }
    WaitUntil([this] {
        auto windows = TopLevelWindows(info_.dwProcessId, "BrisklowMainWindow");
        if (windows.empty()) return false;
        main_ = windows.front();
        return true;
    });
    if (!main_) throw std::runtime_error("the main window did not appear");
}

RunningProgram::~RunningProgram() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        for (HWND box : MessageBoxes()) CloseMessageBox(box);
        if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info_.hProcess, 15000) != WAIT_OBJECT_0) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

std::vector<HWND> RunningProgram::MessageBoxes() const {
    return TopLevelWindows(info_.dwProcessId, "#32770");
}

HWND RunningProgram::WaitForMessageBox(const std::string& caption) const {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND box : MessageBoxes()) {
            if (TextOf(box) == caption) {
                found = box;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::vector<std::string> RunningProgram::BoxTexts(HWND box) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Static") texts.push_back(TextOf(child));
    }
    return texts;
}

bool RunningProgram::CloseMessageBox(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return WaitUntil([box] { return !IsWindow(box); });
}

HWND RunningProgram::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(info_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::string RunningProgram::StatusText(HWND statusBar) const {
    constexpr size_t kSize = 512;
    RemoteBlock block(info_.hProcess, kSize);
    const char empty[1] = {};
    block.Write(empty, 1);
    // The simple text answers as part 0.
    auto result =
        SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(block.address()));
    size_t length = LOWORD(result);
    if (length >= kSize) length = kSize - 1;
    std::string text(length, '\0');
    if (length) block.Read(text.data(), length);
    return text;
}

std::string RunningProgram::ListCell(HWND list, int row, int column) const {
    constexpr size_t kTextSize = 512;
    RemoteBlock block(info_.hProcess, sizeof(LVITEMA) + kTextSize);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = static_cast<char*>(block.address()) + sizeof(LVITEMA);
    item.cchTextMax = kTextSize;
    block.Write(&item, sizeof item);
    const auto length = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(block.address()));
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(std::min<LRESULT>(length, kTextSize - 1)), '\0');
    block.Read(text.data(), text.size(), sizeof(LVITEMA));
    return text;
}

std::vector<std::vector<std::string>> RunningProgram::ListRows(HWND list, int columns) const {
    std::vector<std::vector<std::string>> rows;
    const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column)
            cells.push_back(ListCell(list, row, column));
        rows.push_back(std::move(cells));
    }
    return rows;
}

long RunningProgram::CloseAndWait() {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 15000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    if (!GetExitCodeProcess(info_.hProcess, &code)) return -1;
    return static_cast<long>(code);
}

}  // namespace brisklow::e2e
