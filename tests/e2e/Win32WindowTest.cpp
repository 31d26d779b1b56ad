// The Win32 side of the window in this test's own process, on the virtual display: the main window
// over a form whose failures the test chooses, the window hook, the busy animation's thread and the
// Windows version. What only a failure inside the program can show, which the real Brisklow.exe
// never lets a test provoke, and what only holding the window's thread still can.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/AnimationThread.h"
#include "platform/HandleOwners.h"
#include "platform/LastChance.h"
#include "platform/Win32UiServices.h"
#include "platform/WindowHook.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/inventory/ScriptedWmi.h"
#include "ui/BrisklowUnit.h"
#include "ui/MainWindow.h"

namespace brisklow {
namespace {

using e2e::WaitUntil;

// The visible top-level windows of this process of a class.
std::vector<HWND> WindowsOfThisProcess(const char* className) {
    return e2e::TopLevelWindows(GetCurrentProcessId(), className);
}

// The main windows of this process, shown or not.
int MainWindowsOfThisProcess() {
    return static_cast<int>(
        e2e::TopLevelWindowsShownOrNot(GetCurrentProcessId(), MainWindow::kClassName).size());
}

// The next message box this process shows, read and closed as a person would, from a thread of its
// own while the test's thread is inside the box.
class NextBox {
  public:
    // Whether a main window that stands once the box is closed is to be closed too, its message
    // loop in the test's thread ended with it.
    enum class Then { Nothing, EndTheMainWindow };

    explicit NextBox(Then then = Then::Nothing)
        : then_(then), testThread_(GetCurrentThreadId()), watcher_([this] { Watch(); }) {}
    ~NextBox() { Finish(); }
    NextBox(const NextBox&) = delete;
    NextBox& operator=(const NextBox&) = delete;

    // Tells the watcher that the test's thread is back; whether a box came and was closed.
    bool Closed() {
        Finish();
        return closed_;
    }
    std::string Text() const {
        std::string all;
        for (const std::string& text : texts_) all += text;
        return all;
    }

    std::string caption;
    int mainWindowsWhileOpen = -1;  // the main windows that stood while the box was open

  private:
    void Watch() {
        HWND box = nullptr;
        const bool came = WaitUntil([&] {
            if (back_) return true;
            const std::vector<HWND> boxes = WindowsOfThisProcess("#32770");
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        });
        if (came && box) {
            caption = e2e::TextOf(box);
            mainWindowsWhileOpen = MainWindowsOfThisProcess();
            texts_ = e2e::RunningProgram::BoxTexts(box);
            closed_ = e2e::RunningProgram::CloseMessageBox(box);
        }
        // Also when no box came: a window that stands instead must not hold the test.
        if (then_ != Then::EndTheMainWindow) return;
        WaitUntil([&] {
            if (back_) return true;
            const std::vector<HWND> mains = WindowsOfThisProcess(MainWindow::kClassName);
            if (mains.empty()) return false;
            PostMessageA(mains.front(), WM_CLOSE, 0, 0);
            PostThreadMessageA(testThread_, WM_QUIT, 0, 0);
            return true;
        });
    }

    void Finish() {
        back_ = true;
        if (watcher_.joinable()) watcher_.join();
    }

    const Then then_;
    const DWORD testThread_;
    std::vector<std::string> texts_;
    bool closed_ = false;
    std::atomic<bool> back_{false};
    std::thread watcher_;
};

// Every Edit control that this process makes while the recorder stands gets, as its own procedure,
// one that notes the keys pressed in it and hands every message on to the system's Edit procedure.
class EditKeyRecorder {
  public:
    EditKeyRecorder() {
        UniqueWindow probe(Probe());
        system_ = reinterpret_cast<WNDPROC>(
            SetClassLongPtrW(probe.get(), GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Record)));
        keys_.clear();
    }
    ~EditKeyRecorder() {
        UniqueWindow probe(Probe());
        SetClassLongPtrW(probe.get(), GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(system_));
    }
    EditKeyRecorder(const EditKeyRecorder&) = delete;
    EditKeyRecorder& operator=(const EditKeyRecorder&) = delete;

    bool installed() const { return system_ != nullptr; }
    // The keys that reached the own procedure of `edit`, in order.
    static std::vector<WPARAM> KeysOf(HWND edit) {
        std::vector<WPARAM> keys;
        for (const auto& [window, key] : keys_) {
            if (window == edit) keys.push_back(key);
        }
        return keys;
    }

  private:
    static HWND Probe() {
        return CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) keys_.emplace_back(window, wParam);
        return CallWindowProcW(system_, window, message, wParam, lParam);
    }

    static inline WNDPROC system_ = nullptr;
    static inline std::vector<std::pair<HWND, WPARAM>> keys_;
};

// Takes the user data of every control of a class that this thread makes while it stands, as a
// hook of another's would.
class UserDataTaken {
  public:
    explicit UserDataTaken(const char* className) {
        className_ = className;
        hook_ = SetWindowsHookExW(WH_CBT, &Take, nullptr, GetCurrentThreadId());
    }
    ~UserDataTaken() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    UserDataTaken(const UserDataTaken&) = delete;
    UserDataTaken& operator=(const UserDataTaken&) = delete;
    bool installed() const { return hook_ != nullptr; }

  private:
    static LRESULT CALLBACK Take(int code, WPARAM wParam, LPARAM lParam) {
        auto* window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND && e2e::ClassOf(window) == className_) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 1);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::string className_;
    HHOOK hook_ = nullptr;
};

class Win32Window : public ::testing::Test {
  protected:
    HINSTANCE instance_ = GetModuleHandleA(nullptr);
    testing::ScriptedWmi wmi_;
    Win32UiServices ui_{instance_};
};

TEST_F(Win32Window, FailureWhileBuildingRefusesTheWindowAndEndsWithABoxAndExitCodeOne) {
    TForm1 form(ui_, wmi_,
                LocalServices{
                    []() -> std::string { throw std::runtime_error("no name for this computer"); },
                    [] { return std::string("maria"); }, [](const std::string&) {}});
    NextBox box(NextBox::Then::EndTheMainWindow);
    const int exitCode = RunMainWindow(instance_, SW_SHOWNORMAL, ui_, form);
    ASSERT_TRUE(box.Closed()) << "no box said why the program ends";
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(box.caption, "Brisklow");
    EXPECT_EQ(box.Text(), "no name for this computer");
    EXPECT_EQ(box.mainWindowsWhileOpen, 0) << "a half-built window";
    EXPECT_TRUE(wmi_.log.empty()) << "a half-built window scanned";

    // A box that will not take the program's procedure refuses the window the same way, and so
    // does the list, whose hook the first paint puts in place.
    for (const char* refusing : {"Edit", "SysListView32"}) {
        const UserDataTaken taken(refusing);
        ASSERT_TRUE(taken.installed());
        Win32UiServices ui(instance_);
        TForm1 plain(ui, wmi_,
                     LocalServices{[] { return std::string("WORKSTATION7"); },
                                   [] { return std::string("maria"); }, [](const std::string&) {}});
        NextBox refused(NextBox::Then::EndTheMainWindow);
        EXPECT_EQ(RunMainWindow(instance_, SW_SHOWNORMAL, ui, plain), 1) << refusing;
        ASSERT_TRUE(refused.Closed()) << refusing << ": no box said why the program ends";
        EXPECT_EQ(refused.Text(), kHookRefusedText) << refusing;
        EXPECT_EQ(refused.mainWindowsWhileOpen, 0) << refusing << ": a window that lost its hook";
        EXPECT_TRUE(wmi_.log.empty()) << refusing << ": a refused window scanned";
    }
}

TEST_F(Win32Window, KeyWhoseHandlingFailsStillReachesTheBoxsOwnProcedure) {
    const EditKeyRecorder recorder;
    ASSERT_TRUE(recorder.installed());
    TForm1 form(ui_, wmi_,
                LocalServices{[] { return std::string("WORKSTATION7"); },
                              [] { return std::string("maria"); }, [](const std::string&) {}});
    MainWindow window(instance_, ui_, form);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    HWND password = ui_.ControlWindow(Control::PasswordEdit);
    ASSERT_NE(password, nullptr);
    // What is typed reaches the boxes and the list whole only in Unicode windows: an ANSI window
    // gets each character narrowed to the ANSI code page.
    for (Control control :
         {Control::PcComboBox, Control::UserComboBox, Control::PasswordEdit, Control::ListView1}) {
        HWND box = ui_.ControlWindow(control);
        EXPECT_TRUE(IsWindowUnicode(box)) << static_cast<int>(control);
        EXPECT_TRUE(IsWindowUnicode(e2e::TypingTarget(box))) << static_cast<int>(control);
    }

    // The scan command lets through what is no std::exception; the box's barrier catches it.
    wmi_.FailCallRaising("CreateLocator", [] { throw 7; });
    NextBox box;
    SendMessageA(password, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ASSERT_TRUE(box.Closed()) << "the failure was not shown";
    EXPECT_EQ(box.Text(), kUnknownErrorText);
    EXPECT_EQ(EditKeyRecorder::KeysOf(password), std::vector<WPARAM>{VK_RETURN});
    // The scan command gave its button back on the way out all the same.
    EXPECT_TRUE(IsWindowVisible(ui_.ControlWindow(Control::StartButton)));
    EXPECT_TRUE(IsWindowEnabled(ui_.ControlWindow(Control::StartButton)));
    EXPECT_FALSE(IsWindowVisible(ui_.ControlWindow(Control::Animate1)));

    // As when nothing fails.
    SendMessageA(password, WM_KEYDOWN, VK_HOME, 0x01470001);
    EXPECT_EQ(EditKeyRecorder::KeysOf(password), (std::vector<WPARAM>{VK_RETURN, VK_HOME}));
}

TEST_F(Win32Window, CharactersPostedInUtf16ReachTheInputBoxWholeThroughTheMessageLoop) {
    TForm1 form(ui_, wmi_,
                LocalServices{[] { return std::string("WORKSTATION7"); },
                              [] { return std::string("maria"); }, [](const std::string&) {}});
    // As the keyboard hands them to the message loop: an accented letter, which the code page may
    // have, and a Hangul syllable, which a Western one has not.
    const std::wstring typed = L"Jo\u00e3o \ud55c";
    std::wstring inTheBox;
    std::thread keyboard([&] {
        HWND main = nullptr;
        WaitUntil([&] {
            const std::vector<HWND> windows = WindowsOfThisProcess(MainWindow::kClassName);
            main = windows.empty() ? nullptr : windows.front();
            return main != nullptr;
        });
        HWND box = e2e::TypingTarget(GetDlgItem(main, ControlId(Control::UserComboBox)));
        for (wchar_t character : typed) PostMessageW(box, WM_CHAR, character, 1);
        WaitUntil(
            [&] {
                wchar_t text[64] = {};
                GetWindowTextW(box, text, 64);
                inTheBox = text;
                return inTheBox == typed;
            },
            std::chrono::seconds(10));
        PostMessageW(main, WM_CLOSE, 0, 0);
    });
    const int exitCode = RunMainWindow(instance_, SW_SHOWNORMAL, ui_, form);
    keyboard.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(inTheBox, typed);
}

constexpr UINT kCounted = WM_APP + 1;

LRESULT CountCalls(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                   LPARAM lParam) noexcept {
    if (message == kCounted) ++*static_cast<int*>(hook.Owner());
    return hook.CallPrevious(window, message, wParam, lParam);
}

TEST_F(Win32Window, WindowHookRefusesASecondHookOnAWindowThatHasOne) {
    const UniqueWindow window(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, instance_, nullptr));
    ASSERT_TRUE(window);
    int firstCalls = 0;
    int secondCalls = 0;
    WindowHook first(&CountCalls, &firstCalls);
    WindowHook second(&CountCalls, &secondCalls);
    ASSERT_TRUE(first.Attach(window.get()));
    ASSERT_FALSE(second.Attach(window.get()));
    EXPECT_FALSE(second.Attached());
    SendMessageA(window.get(), kCounted, 0, 0);
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST_F(Win32Window, BusyAnimationMovesWhileTheWindowsThreadIsHeld) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_ANIMATE_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    // The window stands in for the main window, on top of the screen where nothing hides the clip,
    // painted all over in the stock gray.
    WNDCLASSW gray{};
    gray.lpfnWndProc = &DefWindowProcW;
    gray.hInstance = instance_;
    gray.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    gray.lpszClassName = L"BrisklowTestGrayWindow";
    RegisterClassW(&gray);
    const UniqueWindow window(CreateWindowExW(WS_EX_TOPMOST, gray.lpszClassName, L"",
                                              WS_POPUP | WS_VISIBLE, 40, 40, 120, 60, nullptr,
                                              nullptr, instance_, nullptr));
    ASSERT_TRUE(window);
    // A screen that cannot be read back (some desktops give black for every pixel) would show a
    // clip standing still: the window's gray must read back before the clip is looked at.
    COLORREF read = 0;
    const bool readable = WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            read = e2e::ScreenPicture(window.get(), RECT{0, 0, 8, 8}).At(4, 4);
            return read == RGB(128, 128, 128);
        },
        std::chrono::seconds(10));
    ASSERT_TRUE(readable) << "the screen cannot be read back here: a window painted RGB(128, 128, "
                             "128) reads as RGB("
                          << int{GetRValue(read)} << ", " << int{GetGValue(read)} << ", "
                          << int{GetBValue(read)} << "), so no motion of the clip can be seen";
    AnimationThread animation;
    HWND control = animation.Start(instance_, window.get(), 1, RECT{16, 16, 32, 32},
                                   WS_DISABLED | ACS_TRANSPARENT | ACS_TIMER);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), window.get());
    EXPECT_NE(GetWindowThreadProcessId(control, nullptr), GetCurrentThreadId());
    ASSERT_TRUE(animation.Open(instance_, kBusyAnimationResource));
    animation.Show(true);
    animation.Play(true);

    // This thread answers no message at all, as a scan holds the main window's thread, until
    // another thread has seen the clip on the screen move on after a second of it.
    const RECT frame{0, 0, 16, 16};
    const UniqueKernelHandle seen(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    int changes = 0;
    bool movedAfterASecond = false;
    std::string failure;
    std::thread watcher([&] {
        try {
            const auto held = std::chrono::steady_clock::now();
            e2e::ScreenPicture last(control, frame);
            movedAfterASecond = WaitUntil(
                [&] {
                    e2e::ScreenPicture now(control, frame);
                    if (now.SameAs(last)) return false;
                    ++changes;
                    last = std::move(now);
                    return std::chrono::steady_clock::now() - held >= std::chrono::seconds(1);
                },
                std::chrono::seconds(10));
        } catch (const std::exception& error) {
            failure = error.what();
        }
        SetEvent(seen.get());
    });
    WaitForSingleObject(seen.get(), INFINITE);
    watcher.join();
    EXPECT_EQ(failure, "");
    EXPECT_TRUE(movedAfterASecond)
        << "the clip stood still while the window's thread was held, after " << changes
        << " changes of its frames";

    // Ending the thread cannot hang, not even beside a window that has just been held.
    const auto ending = std::chrono::steady_clock::now();
    animation.End();
    const auto took = std::chrono::steady_clock::now() - ending;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 5000)
        << "milliseconds to end the animation's thread";
    EXPECT_FALSE(IsWindow(control));
}

// The kernel's version call of a system that reports itself as Windows 11.
LONG WINAPI ElevenAsTheKernelsVersion(OSVERSIONINFOW* info) {
    info->dwMajorVersion = 11;
    return 0;
}

TEST_F(Win32Window, WindowsMajorVersionIsTheKernelsAndFallsBackWhenItsCallIsMissing) {
    // As GetProcAddress hands the call over: through the function pointer type that fits any.
    const auto call =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ElevenAsTheKernelsVersion));
    EXPECT_EQ(WindowsMajorVersionFrom(call), 11);
    // Without the kernel's call, what the user mode's version checks tell: from Vista on, 6.
    EXPECT_EQ(WindowsMajorVersionFrom(nullptr), 6);
}

}  // namespace
}  // namespace brisklow
