#pragma once
// Puts a procedure of the program in front of a window's own (a control's), for as long as the
// window stands. The window's user data leads to the hook: a window property would be a round trip
// to the window system per message under Wine. The window's own procedure gets every message the
// program's procedure passes on, and is put back when the window is destroyed.
//
// What a caller must keep:
// - The hook lives as long as the window: the window's last message gives the hook up by itself,
//   and a hook destroyed before must not be inside one of the window's messages.
// - Nothing is put in front of the hook later (another subclass or hook): the hook gives its place
//   back only from the front of the window's chain, and what stands in front would go on calling
//   into it.
// - One hook a window: the window's user data leads to the hook, and a window whose user data is
//   taken already (by another hook) is refused.
//
// The procedure is put in place and called through the wide (W) forms: a window whose procedure
// is replaced through the ANSI forms becomes an ANSI window, whose typed characters the system
// narrows to the ANSI code page one byte at a time, which under a multi-byte code page (UTF-8)
// garbles every letter beyond ASCII. A Unicode window keeps what is typed whole, and the
// program's ANSI calls on it still get the text in the system's code page.
#include <windows.h>

#include <stdexcept>

namespace brisklow {

// Why the window is not there, when a control would not take the program's procedure in front of
// its own.
inline constexpr const char* kHookRefusedText =
    "A control of the window would not take the program's procedure.";

// A control of the window that would not take the program's procedure: its keys or notifications
// would go unhandled without a word, so the window is refused instead.
class HookRefused : public std::runtime_error {
  public:
    HookRefused() : std::runtime_error(kHookRefusedText) {}
};

class WindowHook {
  public:
    // Sees each message first and passes on what the window's own procedure is to get with
    // CallPrevious. The system calls it: it must let no exception out.
    using Procedure = LRESULT (*)(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept;

    // `owner` is handed back to the procedure through Owner().
    WindowHook(Procedure procedure, void* owner) noexcept : procedure_(procedure), owner_(owner) {}
    // Puts the window's own procedure back if the window still stands.
    ~WindowHook() { Detach(); }
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;

    // Puts the procedure in front of `window`'s; false when this hook is attached already, the
    // window has a hook (its user data is taken) or the window does not take it.
    bool Attach(HWND window) noexcept {
        if (window_ || !window) return false;
        if (GetWindowLongPtrW(window, GWLP_USERDATA) != 0) return false;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Entry)));
        if (!previous_) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return false;
        }
        window_ = window;
        return true;
    }
    bool Attached() const noexcept { return window_ != nullptr; }
    void* Owner() const noexcept { return owner_; }

    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
        return CallWindowProcW(previous_, window, message, wParam, lParam);
    }

  private:
    static LRESULT CALLBACK Entry(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
        auto* hook = reinterpret_cast<WindowHook*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!hook) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // The window's last message: its own procedure comes back first, then gets it.
            const WNDPROC previous = hook->previous_;
            hook->Detach();
            return CallWindowProcW(previous, window, message, wParam, lParam);
        }
        return hook->procedure_(*hook, window, message, wParam, lParam);
    }

    void Detach() noexcept {
        if (!window_) return;
        if (IsWindow(window_)) {
            // A procedure put in front of this one later keeps leading here; only this one's
            // place is given back.
            if (GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Entry)) {
                SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
                SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            }
        }
        window_ = nullptr;
    }

    Procedure procedure_;
    void* owner_;
    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};

}  // namespace brisklow
