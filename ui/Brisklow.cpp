// The program's entry: COM for this thread, the common controls, the window and its message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "inventory/ComWmiAccess.h"
#include "platform/Win32UiServices.h"
#include "ui/BrisklowUnit.h"
#include "ui/MainWindow.h"

namespace {

// COM for the user-interface thread, in a single-threaded apartment, for the whole run.
class ComApartment {
  public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialised_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ComApartment apartment;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_ANIMATE_CLASS |
                     ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    brisklow::ComWmiAccess wmi;
    brisklow::Win32UiServices ui(instance);
    brisklow::TForm1 form(ui, wmi);
    ui.SetBalloonNotificationHandler([&form](int code) { form.BalloonNotification(code); });
    return brisklow::RunMainWindow(instance, showCommand, ui, form);
}
