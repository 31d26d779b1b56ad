#pragma once
// The user-interface services of the main window over Win32 and the common controls (version 6).
// The program's texts come and go through the ANSI ("A") calls, in the system's ANSI code page;
// the controls themselves are Unicode windows (see WindowHook.h), which the system converts for.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <string>

#include "platform/AnimationThread.h"
#include "platform/HandleOwners.h"
#include "platform/UiServices.h"
#include "platform/WindowHook.h"

namespace brisklow {

// The Windows major version that the kernel's RtlGetVersion (`rtlGetVersion`, null where it cannot
// be found) tells; without it, 6 from Windows Vista on and 5 before.
int WindowsMajorVersionFrom(FARPROC rtlGetVersion);

class Win32UiServices final : public UiServices {
  public:
    explicit Win32UiServices(HINSTANCE instance);
    ~Win32UiServices() override;
    Win32UiServices(const Win32UiServices&) = delete;
    Win32UiServices& operator=(const Win32UiServices&) = delete;

    // The window tells the services its handles as it creates them.
    void SetMainWindow(HWND window) { main_ = window; }
    void SetControlWindow(Control control, HWND window);
    HWND ControlWindow(Control control) const;

    // Where the list's procedure (HookListView) hands the codes of the balloon's notifications.
    void SetBalloonNotificationHandler(std::function<void(int code)> handler) {
        onBalloonNotification_ = std::move(handler);
    }
    // Makes the busy animation's control, of `style`, on a thread of its own (AnimationThread),
    // and puts it into the main window as its child `id` at `place`. Null when it cannot be made.
    HWND CreateAnimationControl(int id, const RECT& place, DWORD style);
    // Opens the system's find-computer clip in the animation control; the clip it plays until a
    // resource of the program is chosen.
    void UseSystemAnimation();
    // Destroys the animation control on its thread and ends that thread; the main window calls it
    // as it is destroyed.
    void EndAnimation();

    // UiServices.
    void SetWindowCaption(const std::string& text) override;
    void SetApplicationTitle(const std::string& text) override;
    WindowSize OuterSize() override;
    int WindowsMajorVersion() override;
    LongTimeFormat UserLongTimeFormat() override;

    void SetCaption(Control control, const std::string& text) override;
    void SetColumnHeader(int column, const std::string& text) override;
    void EnableControl(Control control, bool enabled) override;
    void ShowControl(Control control, bool visible) override;

    void SetStatusText(const std::string& text) override;

    std::string GetText(Control box) override;
    void SetText(Control box, const std::string& text) override;
    int FindEntry(Control box, const std::string& text) override;
    void AppendEntry(Control box, const std::string& text) override;
    void MoveEntry(Control box, int from, int to) override;
    void SelectEntry(Control box, int index) override;

    void DeleteAllRows() override;
    void SuspendRedraw() override;
    void ResumeRedraw() override;
    void AppendRow(const std::vector<std::string>& cells, intptr_t itemData) override;
    std::optional<intptr_t> SelectedRow() override;
    void SortRows(const RowComparison& compare) override;
    int ColumnMinWidth(int column) override;
    void SetColumnMinWidth(int column, int width) override;

    void UseAnimationResource(int resourceId) override;
    void PlayAnimation(bool playing) override;

    void CreateBalloonWindow() override;
    void SetBalloonTitle(int icon, const std::string& title) override;
    void SetBalloonDelay(BalloonDelay which, int milliseconds) override;
    void ActivateBalloon(bool active) override;
    void AddBalloonTool(const std::string& text) override;
    void RemoveBalloonTool() override;
    void PopupBalloon() override;
    void HideBalloon() override;
    void DestroyBalloonWindow() override;
    void HookListView() override;

    void ShowMessage(const std::string& text) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;

    void ShellOpen(const char* verb, const std::string& address) override;
    std::string BrowseForComputer(const std::string& title,
                                  const std::string& initialSelection) override;
    void Beep() override;

    uint32_t TickCount() override;

  private:
    static LRESULT ListViewProc(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) noexcept;
    static void FitLabelToText(HWND label, const std::string& text);
    static int CALLBACK CompareTrampoline(LPARAM item1, LPARAM item2, LPARAM compare);
    HWND List() const { return ControlWindow(Control::ListView1); }

    HINSTANCE instance_;
    HWND main_ = nullptr;
    std::array<HWND, 13> controls_{};
    // The busy animation's control and the thread it belongs to.
    AnimationThread animation_;
    UniqueWindow balloon_;
    // The program's procedure in front of the list's.
    WindowHook listHook_{&Win32UiServices::ListViewProc, this};
    std::function<void(int)> onBalloonNotification_;
    std::string applicationTitle_;
    int redrawSuspensions_ = 0;
    // The balloon's one tool; its text must outlive the tool.
    std::string balloonText_;
    TTTOOLINFOA balloonTool_{};
};

}  // namespace brisklow
