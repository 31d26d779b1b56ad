// The program's window, started as a user would start it and looked at from outside.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/RunningProgram.h"
#include "tests/e2e/StandinProgramTest.h"
#include "texts/UiTexts.h"
#include "ui/MainWindow.h"

namespace brisklow::e2e {
namespace {

constexpr const char* kWmiErrorCaption = "erro WMI";

// The text of an edit or combo box, asked of the box itself (the system carries this message
// across processes).
std::string BoxText(HWND box) {
    char text[512] = {};
    auto length = SendMessageA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// Presses keys on the virtual display as a keyboard would, into the window holding the focus
// there; the caller waits for the effect.
bool PressKeysOnTheDisplay(const std::string& keys) {
    return StartUnixProgram("/usr/bin/xdotool key " + keys);
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

// Whether `focus` is the control or the edit inside it.
bool IsIn(HWND focus, HWND control) {
    return focus && (focus == control || GetParent(focus) == control);
}

// The window as designed, written out here once rather than read from the program's own tables:
// left, top, width, height in client pixels at the design-time client size of 914 x 659, the
// edges each control keeps its distance to, and whether it takes the focus. The status bar runs
// along the bottom edge, 19 pixels high.
enum Edge : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
struct Designed {
    Control control;
    int left, top, width, height;
    unsigned anchors;
    bool takesFocus;
};
constexpr int kDesignedClientWidth = 914;
constexpr int kDesignedClientHeight = 659;
constexpr int kStatusBarHeight = 19;
constexpr Designed kDesignedControls[] = {
    {Control::PcLabel, 16, 16, 45, 13, kLeft | kTop, false},
    {Control::UserLabel, 200, 16, 22, 13, kLeft | kTop, false},
    {Control::PassLabel, 328, 16, 46, 13, kLeft | kTop, false},
    {Control::DirButton, 154, 31, 27, 24, kLeft | kTop, false},
    {Control::InfoButton, 798, 27, 104, 28, kTop | kRight, false},
    {Control::GoogleButton, 596, 27, 104, 28, kLeft | kTop, false},
    {Control::StartButton, 474, 27, 119, 28, kLeft | kTop, false},
    {Control::PasswordEdit, 328, 32, 121, 21, kLeft | kTop, true},
    {Control::StatusBar, 0, 640, 914, 19, kLeft | kRight | kBottom, false},
    {Control::PcComboBox, 16, 33, 137, 21, kLeft | kTop, true},
    {Control::Animate1, 472, 27, 16, 16, kLeft | kTop, false},
    {Control::UserComboBox, 200, 32, 121, 21, kLeft | kTop, true},
    {Control::ListView1, 16, 72, 889, 561, kLeft | kTop | kRight | kBottom, true},
};
struct DesignedColumn {
    int width;
    bool rightAligned;
};
constexpr DesignedColumn kDesignedColumns[10] = {
    {110, false}, {250, false}, {70, true}, {1, true},  {80, true},
    {80, true},   {65, true},   {65, true}, {65, true}, {65, true},
};

bool SamePath(std::string a, std::string b) {
    for (std::string* path : {&a, &b}) {
        std::replace(path->begin(), path->end(), '/', '\\');
        std::transform(path->begin(), path->end(), path->begin(), [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        });
    }
    return a == b;
}

// The window as a user of a Windows computer finds it: the first paint scans this computer with
// the caller's own credentials and lists its processes, without a box. On Windows its WMI
// answers; under Wine the WMI stand-in does (Wine's own WMI cannot list processes), with this
// computer's live processes. The stand-in writes a log of the calls, which a case under Wine can
// count scans by; on Windows the variable naming it is not read.
class BrisklowWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        logPath_ =
            std::string(temp) + "brisklow-window-" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(logPath_.c_str());
        log_ = std::make_unique<LogTail>(logPath_);
        program_ = std::make_unique<RunningProgram>(
            RunningProgram::Environment{{"BRISKLOW_WMI_LOG", logPath_}});
        ASSERT_TRUE(WaitForScanEnd(std::chrono::seconds(60))) << "the first scan did not end";
    }

    void TearDown() override {
        program_.reset();
        DeleteFileA(logPath_.c_str());
    }

    HWND Of(Control control) const { return program_->Control(ControlId(control)); }
    HWND main() const { return program_->main(); }
    std::string Status() const { return program_->StatusText(Of(Control::StatusBar)); }

    // The scan command is over when its button is back, shown and enabled, and no box is open.
    bool Idle() const {
        HWND button = Of(Control::StartButton);
        return IsWindowVisible(button) && IsWindowEnabled(button) &&
               program_->MessageBoxes().empty();
    }

    // Waits until a scan has ended with its count in the status line. A box on the way is a
    // failure here: scans of this computer end without one.
    ::testing::AssertionResult WaitForScanEnd(
        std::chrono::milliseconds timeout = std::chrono::seconds(30)) const {
        std::vector<HWND> boxes;
        const bool ended = WaitUntil(
            [&] {
                boxes = program_->MessageBoxes();
                return !boxes.empty() || (Idle() && EndsWith(Status(), " processos"));
            },
            timeout);
        if (!boxes.empty()) {
            return ::testing::AssertionFailure()
                   << "a box came: " << Joined(RunningProgram::BoxTexts(boxes.front()));
        }
        if (!ended) return ::testing::AssertionFailure() << "status line: " << Status();
        return ::testing::AssertionSuccess();
    }

    // Puts the window size in the status line (a click on it), which the next scan replaces.
    void MarkTheStatusLine() const {
        const std::string before = Status();
        ClickAt(Of(Control::StatusBar), 40, 8);
        ASSERT_TRUE(WaitUntil([&] { return Status() != before; }, std::chrono::seconds(5)));
    }

    // Expects that `start` starts a scan, and waits for it to end.
    void ExpectScanRan(const std::function<void()>& start) {
        MarkTheStatusLine();
        if (HasFatalFailure()) return;
        const std::string mark = Status();
        start();
        EXPECT_TRUE(WaitUntil([&] { return Status() != mark; })) << "no scan ran";
        ASSERT_TRUE(WaitForScanEnd());
    }

    // The connections the stand-in saw, counted in its log.
    long ScansLogged() {
        for (const std::string& line : log_->NewLines()) {
            if (line.rfind("ConnectServer ", 0) == 0) ++scansLogged_;
        }
        return scansLogged_;
    }

    SIZE ClientSize() const {
        RECT client{};
        GetClientRect(main(), &client);
        return {client.right, client.bottom};
    }

    // Where the layout puts a control in a client area of the given size.
    static RECT Expected(const Designed& layout, SIZE client) {
        if (layout.control == Control::StatusBar) {
            return {0, client.cy - kStatusBarHeight, client.cx, client.cy};
        }
        const int dx = client.cx - kDesignedClientWidth;
        const int dy = client.cy - kDesignedClientHeight;
        RECT rect{layout.left, layout.top, layout.left + layout.width, layout.top + layout.height};
        if (layout.anchors & kRight) {
            rect.right += dx;
            if (!(layout.anchors & kLeft)) rect.left += dx;
        }
        if (layout.anchors & kBottom) {
            rect.bottom += dy;
            if (!(layout.anchors & kTop)) rect.top += dy;
        }
        return rect;
    }

    std::string logPath_;
    std::unique_ptr<RunningProgram> program_;

  private:
    std::unique_ptr<LogTail> log_;
    long scansLogged_ = 0;
};

std::string Describe(const RECT& rect) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld x %ld)", rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top);
    return text;
}

TEST_F(BrisklowWindow, OpensCentredAtItsOuterSizeUnderTheProgramsName) {
    RECT outer{};
    GetWindowRect(main(), &outer);
    EXPECT_EQ(outer.right - outer.left, 930);
    EXPECT_EQ(outer.bottom - outer.top, 697);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(outer.left, work.left + (work.right - work.left - 930) / 2);
    EXPECT_EQ(outer.top, work.top + (work.bottom - work.top - 697) / 2);
    EXPECT_EQ(TextOf(main()), "Brisklow");
    EXPECT_EQ(ClassOf(main()), MainWindow::kClassName);
    EXPECT_TRUE(StyleOf(main()) & WS_THICKFRAME) << "the window can be resized";
}

TEST_F(BrisklowWindow, ControlsAreOfTheirKinds) {
    const std::map<Control, std::string> kinds = {
        {Control::PcLabel, "Static"},
        {Control::UserLabel, "Static"},
        {Control::PassLabel, "Static"},
        {Control::DirButton, "Button"},
        {Control::InfoButton, "Button"},
        {Control::GoogleButton, "Button"},
        {Control::StartButton, "Button"},
        {Control::PasswordEdit, "Edit"},
        {Control::StatusBar, "msctls_statusbar32"},
        {Control::PcComboBox, "ComboBox"},
        {Control::Animate1, "SysAnimate32"},
        {Control::UserComboBox, "ComboBox"},
        {Control::ListView1, "SysListView32"},
    };
    for (const Designed& layout : kDesignedControls) {
        HWND control = Of(layout.control);
        ASSERT_NE(control, nullptr) << static_cast<int>(layout.control);
        EXPECT_EQ(ClassOf(control), kinds.at(layout.control)) << static_cast<int>(layout.control);
        EXPECT_EQ(GetParent(control), main());
        // Only the four input controls take the focus.
        EXPECT_EQ((StyleOf(control) & WS_TABSTOP) != 0, layout.takesFocus)
            << static_cast<int>(layout.control);
    }
    for (Control button :
         {Control::DirButton, Control::InfoButton, Control::GoogleButton, Control::StartButton}) {
        EXPECT_TRUE(StyleOf(Of(button)) & BS_FLAT);
        EXPECT_NE(SendMessageA(Of(button), BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "a picture";
    }
    EXPECT_TRUE(StyleOf(Of(Control::PasswordEdit)) & ES_PASSWORD);
    EXPECT_EQ(SendMessageA(Of(Control::PasswordEdit), EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_EQ(StyleOf(Of(Control::PcComboBox)) & 3, CBS_DROPDOWN);
    EXPECT_EQ(StyleOf(Of(Control::UserComboBox)) & 3, CBS_SIMPLE);
    EXPECT_EQ(SendMessageA(Of(Control::PcComboBox), CB_GETMINVISIBLE, 0, 0), 20);

    const LONG_PTR animation = StyleOf(Of(Control::Animate1));
    EXPECT_TRUE(animation & ACS_TRANSPARENT);
    EXPECT_FALSE(IsWindowVisible(Of(Control::Animate1))) << "hidden while no scan runs";
    // Its clip plays on a thread of its own, which a scan holding the window's thread leaves free.
    EXPECT_NE(GetWindowThreadProcessId(Of(Control::Animate1), nullptr),
              GetWindowThreadProcessId(main(), nullptr));

    const LONG_PTR list = StyleOf(Of(Control::ListView1));
    EXPECT_EQ(list & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(list & LVS_SINGLESEL);
    EXPECT_FALSE(list & LVS_SHOWSELALWAYS) << "the selection hides without the focus";
    EXPECT_FALSE(list & LVS_EDITLABELS) << "read-only";
    EXPECT_TRUE(SendMessageA(Of(Control::ListView1), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(StyleOf(Of(Control::StatusBar)) & SBARS_SIZEGRIP);
    EXPECT_TRUE(SendMessageA(Of(Control::StatusBar), SB_ISSIMPLE, 0, 0));
}

TEST_F(BrisklowWindow, ControlsStandWhereTheLayoutPutsThem) {
    const SIZE client = ClientSize();
    for (const Designed& layout : kDesignedControls) {
        const RECT actual = RectIn(Of(layout.control), main());
        RECT expected = Expected(layout, client);
        const bool isLabel = layout.control == Control::PcLabel ||
                             layout.control == Control::UserLabel ||
                             layout.control == Control::PassLabel;
        // Labels are as wide as their captions (see the next test).
        if (isLabel) expected.right = expected.left + (actual.right - actual.left);
        EXPECT_EQ(Describe(actual), Describe(expected)) << static_cast<int>(layout.control);
    }
}

TEST_F(BrisklowWindow, LabelsAreAsWideAsTheirCaptions) {
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg");
    HGDIOBJ previous = SelectObject(screen, font);
    for (Control label : {Control::PcLabel, Control::UserLabel, Control::PassLabel}) {
        // Measured as the screen shows it, in UTF-16, whatever the code page.
        const std::string caption = TextOf(Of(label));
        wchar_t shown[64] = {};
        GetWindowTextW(Of(label), shown, 64);
        RECT extent{};
        DrawTextW(screen, shown, -1, &extent, DT_CALCRECT | DT_SINGLELINE);
        const RECT actual = RectIn(Of(label), main());
        EXPECT_EQ(actual.right - actual.left, extent.right - extent.left) << caption;
        EXPECT_GT(extent.right - extent.left, 10) << caption;
    }
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
}

// The captions' bytes are those of the system's code page, whatever code page that is.
TEST_F(BrisklowWindow, CaptionsAreTheProgramsTextsInTheSystemsCodePage) {
    EXPECT_EQ(TextOf(Of(Control::PcLabel)), "Computador");
    EXPECT_EQ(TextOf(Of(Control::UserLabel)), InTheCodePage(L"&Usu\u00e1rio"));
    EXPECT_EQ(TextOf(Of(Control::PassLabel)), "&Senha");
    EXPECT_EQ(TextOf(Of(Control::DirButton)), "");
    EXPECT_EQ(TextOf(Of(Control::InfoButton)), "Sobre");
    EXPECT_EQ(TextOf(Of(Control::GoogleButton)), "Google");
    EXPECT_EQ(TextOf(Of(Control::StartButton)), "&Verifique agora");
}

TEST_F(BrisklowWindow, ListHasTenColumnsWithTheirWidthsAlignmentAndHeaders) {
    HWND list = Of(Control::ListView1);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 10);

    constexpr size_t kTextOffset = sizeof(LVCOLUMNA);
    constexpr int kTextSize = 256;
    RemoteBlock block(program_->process(), kTextOffset + kTextSize);
    for (int column = 0; column < 10; ++column) {
        const DesignedColumn& layout = kDesignedColumns[column];
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0),
                  layout.width)
            << column;

        LVCOLUMNA info{};
        info.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        info.pszText = static_cast<char*>(block.address()) + kTextOffset;
        info.cchTextMax = kTextSize;
        block.Write(&info, sizeof info);
        const char empty[kTextSize] = {};
        block.Write(empty, sizeof empty, kTextOffset);
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                                 reinterpret_cast<LPARAM>(block.address())))
            << column;
        char text[kTextSize] = {};
        block.Read(&info, sizeof info);
        block.Read(text, sizeof text, kTextOffset);
        EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, layout.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT)
            << column;
        EXPECT_EQ(info.cx, layout.width) << column;
        EXPECT_EQ(std::string(text), UiText(8 + column)) << column;
    }
}

TEST_F(BrisklowWindow, FirstScanListsThisComputersProcessesWithoutABox) {
    constexpr int kPathColumn = 1;
    constexpr int kIdColumn = 2;
    const auto rows = program_->ListRows(Of(Control::ListView1), 3);
    ASSERT_GE(rows.size(), 1u);
    EXPECT_EQ(Status(), std::to_string(rows.size()) + " processos");
    // The row of the program the test started: its process ID, name and path.
    const auto own = std::find_if(rows.begin(), rows.end(), [&](const auto& row) {
        return row[kIdColumn] == std::to_string(program_->processId());
    });
    ASSERT_NE(own, rows.end()) << "no row of process " << program_->processId();
    EXPECT_EQ((*own)[0], "Brisklow.exe");
    EXPECT_TRUE(SamePath((*own)[kPathColumn], ProgramPath()))
        << (*own)[kPathColumn] << " is not " << ProgramPath();

    EXPECT_EQ(BoxText(Of(Control::PcComboBox)), ComputerName());
    EXPECT_EQ(SendMessageA(Of(Control::PcComboBox), CB_GETCOUNT, 0, 0), 1)
        << "the scanned computer is remembered";
    // "Administrator", the local user, and the empty user the scan ran with; the box itself
    // stays empty.
    EXPECT_EQ(SendMessageA(Of(Control::UserComboBox), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(BoxText(Of(Control::UserComboBox)), "");
    EXPECT_EQ(BoxText(Of(Control::PasswordEdit)), "");
}

TEST_F(BrisklowWindow, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    EXPECT_EQ(program_->CloseAndWait(), 0);
}

TEST_F(BrisklowWindow, TabWalksComputerPasswordListUserAndRoundAgain) {
    ASSERT_TRUE(WaitUntil([&] { return IsIn(program_->Focus(), Of(Control::PcComboBox)); }))
        << "the focus starts in the computer box";
    const Control order[] = {Control::PasswordEdit, Control::ListView1, Control::UserComboBox,
                             Control::PcComboBox};
    for (Control next : order) {
        PostMessageA(program_->Focus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        EXPECT_TRUE(
            WaitUntil([&] { return IsIn(program_->Focus(), Of(next)); }, std::chrono::seconds(5)))
            << "Tab should lead to control " << static_cast<int>(next);
    }
}

TEST_F(BrisklowWindow, EnterInEachInputBoxStartsAScan) {
    for (Control box : {Control::PcComboBox, Control::UserComboBox, Control::PasswordEdit}) {
        SCOPED_TRACE("control " + std::to_string(static_cast<int>(box)));
        ExpectScanRan(
            [&] { PostMessageA(TypingTarget(Of(box)), WM_KEYDOWN, VK_RETURN, 0x001C0001); });
        if (HasFatalFailure()) return;
    }
}

// Keys pressed on the X display, as a keyboard would: each Enter held with a modifier starts one
// scan, counted in the stand-in's log. The character typed behind it comes through the same
// input queue, so once it shows, a second scan from the same key would have run.
TEST_F(BrisklowWindow, EnterWithAModifierHeldStartsOneScanInEachInputBox) {
    BRISKLOW_NEEDS_WINE("xdotool presses the keys on the X display");
    const std::string computer = BoxText(Of(Control::PcComboBox));
    long scans = ScansLogged();
    ASSERT_EQ(scans, 1) << "the first scan";
    for (const char* keys : {"alt+Return", "ctrl+Return", "shift+Return"}) {
        for (Control box : {Control::PcComboBox, Control::UserComboBox, Control::PasswordEdit}) {
            SCOPED_TRACE(std::string(keys) + " in control " +
                         std::to_string(static_cast<int>(box)));
            HWND target = TypingTarget(Of(box));
            ClickAt(target, 4, 4);
            ASSERT_TRUE(WaitUntil([&] { return program_->Focus() == target; }));
            const std::string before = BoxText(target);
            ASSERT_TRUE(PressKeysOnTheDisplay(std::string(keys) + " x"));
            // The scan leaves a remembered computer's name selected, so the x may replace it.
            ASSERT_TRUE(WaitUntil([&] {
                const std::string now = BoxText(target);
                return now != before && EndsWith(now, "x");
            }));
            ASSERT_TRUE(WaitForScanEnd());
            // The log is written through as the scan goes: its lines are all there by now.
            ASSERT_EQ(ScansLogged(), scans + 1) << "scans started by one key";
            scans = ScansLogged();
            SendMessageA(
                target, WM_SETTEXT, 0,
                reinterpret_cast<LPARAM>(box == Control::PcComboBox ? computer.c_str() : ""));
        }
    }
}

TEST_F(BrisklowWindow, AltVClicksTheScanButtonOnlyWhileItIsShown) {
    HWND password = Of(Control::PasswordEdit);
    ExpectScanRan([&] { PostMessageA(password, WM_SYSCHAR, 'v', 0x20000001); });
    if (HasFatalFailure()) return;

    MarkTheStatusLine();
    if (HasFatalFailure()) return;
    const std::string mark = Status();
    ShowWindow(Of(Control::StartButton), SW_HIDE);
    PostMessageA(password, WM_SYSCHAR, 'v', 0x20000001);
    // A character typed into the user box behind the key shows when the key has been handled
    // (the password box does not tell its text to another program on Windows).
    HWND user = TypingTarget(Of(Control::UserComboBox));
    PostMessageA(user, WM_CHAR, 'x', 0x002D0001);
    EXPECT_TRUE(WaitUntil([&] { return BoxText(user) == "x"; }));
    EXPECT_EQ(Status(), mark) << "a hidden scan button was clicked";
    ShowWindow(Of(Control::StartButton), SW_SHOW);
}

TEST_F(BrisklowWindow, StatusBarClickShowsTheWindowSize) {
    ClickAt(Of(Control::StatusBar), 40, 8);
    const std::string size = InTheCodePage(L"930 \u00d7 697");
    EXPECT_TRUE(WaitUntil([&] { return program_->StatusText(Of(Control::StatusBar)) == size; }))
        << program_->StatusText(Of(Control::StatusBar));
}

TEST_F(BrisklowWindow, HeaderClickTogglesTheColumnsSortFlag) {
    HWND list = Of(Control::ListView1);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RemoteBlock block(program_->process(), sizeof(LVCOLUMNA));
    auto flag = [&] {
        LVCOLUMNA info{};
        info.mask = LVCF_MINWIDTH;
        info.cxMin = -1;
        block.Write(&info, sizeof info);
        SendMessageA(list, LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(block.address()));
        block.Read(&info, sizeof info);
        return info.cxMin;
    };
    EXPECT_EQ(flag(), 0);
    // The middle of column 2, behind the 110 and 250 pixels of columns 0 and 1.
    const int x =
        kDesignedColumns[0].width + kDesignedColumns[1].width + kDesignedColumns[2].width / 2;
    ClickAt(header, x, 8);
    EXPECT_TRUE(WaitUntil([&] { return flag() == 1; }, std::chrono::seconds(5)));
    ClickAt(header, x, 8);
    EXPECT_TRUE(WaitUntil([&] { return flag() == 0; }, std::chrono::seconds(5)));
}

TEST_F(BrisklowWindow, ResizingMovesOnlyTheAnchoredControls) {
    // The window grows into what the work area leaves around it, and shrinks where it leaves too
    // little: the system caps a window's size near the screen's.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    auto change = [](LONG room, int shrink) {
        return room >= 16 ? static_cast<int>(room / 2) : -shrink;
    };
    const int dx = change(work.right - work.left - 930, 120);
    const int dy = change(work.bottom - work.top - 697, 80);
    const SIZE before = ClientSize();
    SetWindowPos(main(), nullptr, work.left, work.top, 930 + dx, 697 + dy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return ClientSize().cx == before.cx + dx; }))
        << "the window would not take the width " << 930 + dx;
    const SIZE after = ClientSize();
    EXPECT_EQ(after.cy, before.cy + dy);
    for (const Designed& layout : kDesignedControls) {
        if (layout.control == Control::PcLabel || layout.control == Control::UserLabel ||
            layout.control == Control::PassLabel) {
            continue;
        }
        EXPECT_EQ(Describe(RectIn(Of(layout.control), main())), Describe(Expected(layout, after)))
            << static_cast<int>(layout.control);
    }
}

TEST_F(BrisklowWindow, FirstPaintCreatesTheDetailsBalloonDeactivatedWithOneTool) {
    const std::vector<HWND> balloons = BalloonsOf(program_->processId());
    ASSERT_EQ(balloons.size(), 1u) << "one balloon, however often the window paints";
    HWND balloon = balloons.front();
    const LONG_PTR style = StyleOf(balloon);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & 0x143, TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON | TTS_USEVISUALSTYLE);
    EXPECT_TRUE(GetWindowLongPtrA(balloon, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(balloon, GW_OWNER), main());
    EXPECT_FALSE(IsWindowVisible(balloon)) << "nothing shows before a click in the list";
    EXPECT_EQ(SendMessageA(balloon, TTM_GETTOOLCOUNT, 0, 0), 1);
    for (WPARAM delay : {TTDT_INITIAL, TTDT_AUTOPOP, TTDT_RESHOW}) {
        EXPECT_EQ(SendMessageA(balloon, TTM_GETDELAYTIME, delay, 0), 32000) << delay;
    }
}

TEST_F(BrisklowWindow, FlatButtonClickLeavesTheFocusInTheInputBox) {
    ASSERT_TRUE(WaitUntil([&] { return IsIn(program_->Focus(), Of(Control::PcComboBox)); }));
    // No row is selected, so the web search asks for one in a simple message box.
    ClickAt(Of(Control::GoogleButton), 20, 10);
    HWND box = program_->WaitForMessageBox("Brisklow");
    ASSERT_NE(box, nullptr);
    const auto texts = RunningProgram::BoxTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), UiText(27)), texts.end());
    ASSERT_TRUE(RunningProgram::CloseMessageBox(box));
    EXPECT_TRUE(WaitUntil([&] { return IsIn(program_->Focus(), Of(Control::PcComboBox)); },
                          std::chrono::seconds(5)))
        << "the focus went to the button";
}

TEST_F(BrisklowWindow, CancellingTheComputerPickerLeavesTheComputerBoxAsItWas) {
    const std::string before = BoxText(Of(Control::PcComboBox));
    ClickAt(Of(Control::DirButton), 10, 10);
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND box : program_->MessageBoxes()) {
            const auto texts = RunningProgram::BoxTexts(box);
            if (std::find(texts.begin(), texts.end(), UiText(26)) != texts.end()) picker = box;
        }
        return picker != nullptr;
    })) << "no picker titled "
        << UiText(26);
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(BoxText(Of(Control::PcComboBox)), before);
}

// The version a person reads in the file's properties is the project's, in numbers and in text.
TEST_F(BrisklowWindow, FileVersionIsTheProjectVersion) {
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << path << " has no version resource";
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    const unsigned major = BRISKLOW_PROJECT_VERSION_MAJOR;
    const unsigned minor = BRISKLOW_PROJECT_VERSION_MINOR;
    const unsigned patch = BRISKLOW_PROJECT_VERSION_PATCH;
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &size));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwFileVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed.dwFileVersionLS, patch << 16);
    EXPECT_EQ(fixed.dwProductVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed.dwProductVersionLS, patch << 16);

    const std::string text = std::string(BRISKLOW_PROJECT_VERSION) + ".0";
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        const std::string query = std::string("\\StringFileInfo\\041604E4\\") + name;
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), &value, &size)) << name;
        EXPECT_EQ(std::string(static_cast<const char*>(value)), text) << name;
    }
}

// What the screen shows after the first scan: the form's button-face background, the column
// headers' captions, the rows' dark text on the list's background and nothing below the last row.
// A picture of the whole screen is left in the build folder for a person to look at.
TEST_F(BrisklowWindow, ScreenshotOfTheWindow) {
    BRISKLOW_NEEDS_WINE("the picture is taken of the X display");
    UpdateWindow(main());
    HWND list = Of(Control::ListView1);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    const RECT headerArea = RectIn(header, list);

    // Between the boxes and the list, from the computer box's left edge to the info button's right.
    const ScreenPicture form(main(), RECT{16, 58, 902, 70});
    EXPECT_EQ(form.CountOtherThan(GetSysColor(COLOR_BTNFACE), 0, form.height()), 0);
    const ScreenPicture headers(list, headerArea);
    EXPECT_GT(headers.CountDark(0, headers.height()), 100) << "the headers show their captions";

    ExpectRowsOnScreen(*program_, list,
                       static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));

    EXPECT_TRUE(SaveScreenshot(BRISKLOW_SCREENSHOT)) << BRISKLOW_SCREENSHOT;
}

// Wine's own WMI, without the stand-in: it refuses the debug privilege on the connection (Windows'
// WMI grants it), so the first scan ends at that step in the WMI error box and lists nothing.
class BrisklowUnderWinesOwnWmi : public ::testing::Test {
  protected:
    void SetUp() override {
        BRISKLOW_NEEDS_WINE("Windows' WMI grants the debug privilege");
        program_ = std::make_unique<RunningProgram>();
        HWND box = program_->WaitForMessageBox(kWmiErrorCaption);
        ASSERT_NE(box, nullptr) << "no WMI error box after the first scan";
        boxTexts_ = RunningProgram::BoxTexts(box);
        ASSERT_TRUE(RunningProgram::CloseMessageBox(box));
        ASSERT_TRUE(WaitUntil([this] {
            HWND button = program_->Control(ControlId(Control::StartButton));
            return IsWindowVisible(button) && IsWindowEnabled(button);
        })) << "the scan button did not come back";
    }

    HWND Of(Control control) const { return program_->Control(ControlId(control)); }

    std::unique_ptr<RunningProgram> program_;
    std::vector<std::string> boxTexts_;
};

TEST_F(BrisklowUnderWinesOwnWmi, FirstScanReportsTheMissingDebugPrivilegeAndCountsNothing) {
    const bool namesTheStep = std::any_of(
        boxTexts_.begin(), boxTexts_.end(),
        [](const std::string& text) { return text.find("Code: 4") != std::string::npos; });
    EXPECT_TRUE(namesTheStep) << Joined(boxTexts_);
    EXPECT_EQ(program_->StatusText(Of(Control::StatusBar)), "0 processos");
    EXPECT_EQ(SendMessageA(Of(Control::ListView1), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(BoxText(Of(Control::PcComboBox)), ComputerName());
    EXPECT_EQ(SendMessageA(Of(Control::PcComboBox), CB_GETCOUNT, 0, 0), 1)
        << "the scanned computer is remembered";
    // "Administrator" and the local user: a scan that failed remembers no user.
    EXPECT_EQ(SendMessageA(Of(Control::UserComboBox), CB_GETCOUNT, 0, 0), 2);
}

}  // namespace
}  // namespace brisklow::e2e
