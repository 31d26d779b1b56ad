#include "platform/AnimationThread.h"

#include <commctrl.h>

#include <initializer_list>

namespace brisklow {
namespace {

constexpr const char* kHostClassName = "BrisklowAnimationHost";

// Posted to the animation's thread: destroy the control and end.
constexpr UINT kEndMessage = WM_APP + 1;
// Sent to the hidden window: show the control (lParam) when wParam is TRUE, else hide it.
constexpr UINT kShowMessage = WM_APP + 2;

// Waits until one of `objects` is signalled and returns its index (-1 when the wait fails). The
// messages other threads send to this one meanwhile are answered, so a thread that sends this one
// something while this one waits for it is never left waiting in turn.
int WaitAnsweringSentMessages(std::initializer_list<HANDLE> objects) {
    const auto count = static_cast<DWORD>(objects.size());
    for (;;) {
        // Only the sent messages: posted ones stay for the message loop.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD woke =
            MsgWaitForMultipleObjects(count, objects.begin(), FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke < WAIT_OBJECT_0 + count) return static_cast<int>(woke - WAIT_OBJECT_0);
        if (woke != WAIT_OBJECT_0 + count) return -1;
    }
}

}  // namespace

AnimationThread::~AnimationThread() { End(); }

HWND AnimationThread::Start(HINSTANCE instance, HWND parent, int id, const RECT& place,
                            DWORD style) {
    if (thread_) return control_;
    instance_ = instance;
    parent_ = parent;
    id_ = id;
    place_ = place;
    style_ = style;
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) return nullptr;
    thread_.reset(CreateThread(nullptr, 0, &AnimationThread::Entry, this, 0, &threadId_));
    if (!thread_) return nullptr;
    // Putting the control into the parent may ask something of the parent's thread, this one.
    if (WaitAnsweringSentMessages({ready_.get(), thread_.get()}) == 0 && control_) return control_;
    WaitAnsweringSentMessages({thread_.get()});
    thread_.reset();
    host_ = nullptr;
    control_ = nullptr;
    return nullptr;
}

bool AnimationThread::Open(HINSTANCE module, int resourceId) {
    if (!control_) return false;
    return SendMessageA(control_, ACM_OPENA, reinterpret_cast<WPARAM>(module),
                        reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(resourceId))) != 0;
}

void AnimationThread::Play(bool playing) {
    if (!control_) return;
    if (playing) {
        SendMessageA(control_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    } else {
        SendMessageA(control_, ACM_STOP, 0, 0);
    }
}

void AnimationThread::Show(bool visible) {
    if (!host_) return;
    SendMessageA(host_, kShowMessage, visible ? TRUE : FALSE, reinterpret_cast<LPARAM>(control_));
}

void AnimationThread::End() {
    if (!thread_) return;
    // Should the thread not take the message, it is left to end with the process rather than
    // waited for in vain.
    if (PostThreadMessageA(threadId_, kEndMessage, 0, 0)) {
        // Destroying the control may ask something of its parent's thread, this one.
        WaitAnsweringSentMessages({thread_.get()});
    }
    thread_.reset();
    host_ = nullptr;
    control_ = nullptr;
}

DWORD WINAPI AnimationThread::Entry(void* self) noexcept {
    return static_cast<AnimationThread*>(self)->Run();
}

DWORD AnimationThread::Run() noexcept {
    WNDCLASSEXA hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = &AnimationThread::HostProc;
    hostClass.hInstance = instance_;
    hostClass.lpszClassName = kHostClassName;
    UniqueWindow host;
    UniqueWindow control;
    if (RegisterClassExA(&hostClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // Never shown, and a tool window: nothing lists it among the program's windows.
        host.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kHostClassName, "", WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, instance_, nullptr));
    }
    if (host) {
        // No parent notifications: when the control is destroyed it tells the main window
        // nothing, which might be busy.
        control.reset(CreateWindowExA(
            WS_EX_NOPARENTNOTIFY, ANIMATE_CLASSA, "", WS_CHILD | style_, place_.left, place_.top,
            place_.right - place_.left, place_.bottom - place_.top, host.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), instance_, nullptr));
    }
    // The control keeps its place, now in the parent's client area, and keeps asking the hidden
    // window, which it was made under, for its colours.
    if (control && !SetParent(control.get(), parent_)) control.reset();
    host_ = host.get();
    control_ = control.get();
    SetEvent(ready_.get());
    if (!control) return 1;

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!message.hwnd && message.message == kEndMessage) break;
        DispatchMessageA(&message);
    }
    // Only this thread can destroy its windows; the main window still stands.
    control.reset();
    host.reset();
    return 0;
}

LRESULT CALLBACK AnimationThread::HostProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            // The clip's background colour (its first frame's top left pixel) is painted in the
            // main window's own, the button face. The answer is a solid colour: nothing depends
            // on what the main window drew beneath the control, which its children clip away.
            auto context = reinterpret_cast<HDC>(wParam);
            SetBkColor(context, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case kShowMessage:
            ShowWindow(reinterpret_cast<HWND>(lParam), wParam ? SW_SHOWNA : SW_HIDE);
            return 0;
        default:
            // The control's start and stop notifications (WM_COMMAND) need no answer.
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace brisklow
