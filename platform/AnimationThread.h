#pragma once
// The busy animation's control on a thread of the program's own. The scan holds the main window's
// thread from its first WMI call to its last row, and the common controls play a clip on the
// timer of the thread that owns the control; so the control belongs to a thread that does nothing
// but answer its messages, and the clip moves whatever the main window's thread is doing.
//
// The thread makes the control under a hidden window of its own, which answers what the control
// asks of the window it was made under (its colour requests and its start and stop
// notifications), and then puts it into the main window, where it stands as a direct child at its
// place. The main window's thread drives it with synchronous messages, carried out on the
// animation's thread in the order they were sent.
#include <windows.h>

#include "platform/HandleOwners.h"

namespace brisklow {

class AnimationThread {
  public:
    AnimationThread() = default;
    // Ends the thread if End has not.
    ~AnimationThread();
    AnimationThread(const AnimationThread&) = delete;
    AnimationThread& operator=(const AnimationThread&) = delete;

    // Starts the thread, which makes an animation control of `style` (WS_CHILD is added) with the
    // identifier `id` and puts it into `parent` at `place` (client coordinates), hidden. Returns
    // the control once it stands there; null when the thread or the control cannot be made.
    HWND Start(HINSTANCE instance, HWND parent, int id, const RECT& place, DWORD style);
    HWND Control() const { return control_; }

    // Opens the clip resource `resourceId` of `module`; whether the control took it.
    bool Open(HINSTANCE module, int resourceId);
    // Plays the clip over and over, or stops it.
    void Play(bool playing);
    void Show(bool visible);

    // Destroys the control on its own thread and ends the thread. The main window calls it while
    // it is being destroyed, when its children still stand. Afterwards the other calls do nothing.
    void End();

  private:
    static DWORD WINAPI Entry(void* self) noexcept;
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
    DWORD Run() noexcept;

    // Set by Start before the thread runs.
    HINSTANCE instance_ = nullptr;
    HWND parent_ = nullptr;
    int id_ = 0;
    RECT place_{};
    DWORD style_ = 0;
    UniqueKernelHandle ready_;
    // Set by the thread before it signals `ready_`; read by the main window's thread after it.
    HWND host_ = nullptr;
    HWND control_ = nullptr;

    UniqueKernelHandle thread_;
    DWORD threadId_ = 0;
};

}  // namespace brisklow
