#pragma once
// The program's one window on Win32: creates the controls of the form layout, keeps them in place
// when the window is resized, and hands every user event to TForm1.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/HandleOwners.h"
#include "platform/LastChance.h"
#include "platform/Win32UiServices.h"
#include "platform/WindowHook.h"
#include "ui/BrisklowUnit.h"

namespace brisklow {

// Each control's identifier. They stand above the dialog manager's IDOK and IDCANCEL, which the
// message loop's dialog handling sends for Enter and Escape.
inline constexpr int kFirstControlId = 100;
constexpr int ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }

// Why the window is not there, when the system refused it without a failure of the program's.
inline constexpr const char* kWindowNotCreatedText = "The window could not be created.";

class MainWindow {
  public:
    static constexpr const char* kClassName = "BrisklowMainWindow";

    MainWindow(HINSTANCE instance, Win32UiServices& ui, TForm1& form);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window with its controls (the form's FormCreate runs in there), centred on the
    // work area with its caption on the screen, and shows it. False when the window cannot be
    // created, or when building it failed: then no window is left, and CreationError says why. A
    // window that its first paint finds unable to work (the list refused its hook) is closed there,
    // and CreationError says why too.
    bool Create(int showCommand);
    HWND Handle() const { return window_.get(); }
    const std::string& CreationError() const { return creationError_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Put in front of the input boxes' and the flat buttons' own procedures.
    static LRESULT InputBoxProc(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) noexcept;
    static LRESULT FlatButtonProc(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND CreateControl(Control control, DWORD exStyle, const wchar_t* className, DWORD style,
                       int height);
    void AddButtonPicture(HWND button, int bitmapId);
    void ListenToKeys(HWND inputWindow);
    // Puts `procedure` in front of the control's own; throws HookRefused when the control refuses
    // it.
    void Hook(HWND control, WindowHook::Procedure procedure);
    // Closes the window that was built but cannot work; CreationError says why, and the message
    // loop ends.
    void Refuse(const std::string& why);
    // An exception that none of the handlers caught.
    void ShowUnexpectedError(const CaughtError& error);
    void ArrangeTabOrder();
    void LayOut(int clientWidth, int clientHeight);
    void OnCommand(int id, int code);
    void OnNotify(const NMHDR& header);

    HINSTANCE instance_;
    Win32UiServices& ui_;
    TForm1& form_;
    // Outlived by what the controls use: the font, the pictures and the hooks.
    UniqueFont font_;
    std::vector<UniqueBitmap> pictures_;
    std::vector<std::unique_ptr<WindowHook>> hooks_;
    UniqueWindow window_;
    // The control that had the focus when the window lost activation; it gets it back.
    HWND focusToRestore_ = nullptr;
    bool created_ = false;  // the creation message went through
    std::string creationError_;
};

// The program's window from start to end: creates it and runs the message loop until it is
// closed; the program's exit code. When the window cannot be created the program shows why in a
// box and the exit code is 1.
int RunMainWindow(HINSTANCE instance, int showCommand, Win32UiServices& ui, TForm1& form);

}  // namespace brisklow
