#include "ui/MainWindow.h"

#include <commctrl.h>

#include <cstring>
#include <memory>

#include "platform/LastChance.h"
#include "resources/ResourceIds.h"
#include "texts/UiTexts.h"
#include "ui/FormLayout.h"
#include "ui/ReportList.h"
#include "ui/WindowPlacement.h"

namespace brisklow {
namespace {

// Character height of the window's font: 8 points at 96 pixels per inch.
constexpr int kFontHeight = -11;

// The colour that marks the button pictures' background.
constexpr COLORREF kPictureTransparency = RGB(255, 0, 255);

const ControlLayout& LayoutOf(Control control) {
    for (const ControlLayout& layout : kFormControls) {
        if (layout.control == control) return layout;
    }
    return kFormControls.front();
}

// Paints the pictures' transparency colour in the button face, so the pictures sit on the
// button like drawn on it.
void BlendIntoButtonFace(HBITMAP picture) {
    DIBSECTION section{};
    if (GetObjectA(picture, sizeof section, &section) != sizeof section) return;
    const BITMAP& bitmap = section.dsBm;
    if (bitmap.bmBitsPixel != 24 || !bitmap.bmBits) return;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto* rows = static_cast<BYTE*>(bitmap.bmBits);
    for (int y = 0; y < bitmap.bmHeight; ++y) {
        BYTE* pixel = rows + static_cast<ptrdiff_t>(y) * bitmap.bmWidthBytes;
        for (int x = 0; x < bitmap.bmWidth; ++x, pixel += 3) {
            // Stored blue, green, red.
            if (RGB(pixel[2], pixel[1], pixel[0]) == kPictureTransparency) {
                pixel[0] = GetBValue(face);
                pixel[1] = GetGValue(face);
                pixel[2] = GetRValue(face);
            }
        }
    }
}

// The program's end when it has no window to show: a box says why, and the exit code is 1. Shown
// only once no window stands, and outside the window's message loop, whose quit would close it.
int EndWithoutWindow(const std::string& why) {
    MessageBoxA(nullptr, why.c_str(), UiText(0).c_str(), MB_OK | MB_ICONERROR);
    return 1;
}

MainWindow* FromWindow(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, Win32UiServices& ui, TForm1& form)
    : instance_(instance), ui_(ui), form_(form) {}

MainWindow::~MainWindow() {
    // The controls go with the window, before the font, the pictures and the hooks they use.
    window_.reset();
}

bool MainWindow::Create(int showCommand) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    windowClass.hIcon = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_BRISKLOW),
                                                      IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                      GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_BRISKLOW),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }

    RECT workArea{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        GetWindowRect(GetDesktopWindow(), &workArea);
    }
    const ScreenPoint corner =
        PlaceWindow({workArea.left, workArea.top, workArea.right, workArea.bottom}, kFormOuterWidth,
                    kFormOuterHeight);

    // The caption comes from the form's FormCreate.
    // The window procedure takes the handle over at the window's first message.
    HWND created = CreateWindowExA(0, kClassName, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                   corner.x, corner.y, kFormOuterWidth, kFormOuterHeight, nullptr,
                                   nullptr, instance_, this);
    if (!created) {
        if (creationError_.empty()) creationError_ = kWindowNotCreatedText;
        return false;
    }
    ShowWindow(created, showCommand);
    UpdateWindow(created);
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
        self->ui_.SetMainWindow(window);
    }
    MainWindow* self = FromWindow(window);
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    // A window that fails while it is built is refused (-1), not left half-built; Create's caller
    // says why.
    const LRESULT failed = message == WM_CREATE ? LRESULT{-1} : LRESULT{0};
    const LRESULT result = LastChance([&] { return self->HandleMessage(message, wParam, lParam); },
                                      [&](const CaughtError& error) {
                                          if (message == WM_CREATE) {
                                              self->creationError_ = error.message;
                                          } else {
                                              self->ShowUnexpectedError(error);
                                          }
                                          return failed;
                                      },
                                      failed);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_.release();  // destroyed by now
    }
    return result;
}

void MainWindow::Refuse(const std::string& why) {
    creationError_ = why;
    form_.FormClose();
    DestroyWindow(window_.get());
}

void MainWindow::ShowUnexpectedError(const CaughtError& error) {
    // The box the program shows its other messages in; the program goes on afterwards.
    ui_.ShowMessage(error.message);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            form_.FormCreate();
            created_ = true;
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) LayOut(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window_.get(), &paint);
            EndPaint(window_.get(), &paint);
            // After EndPaint: the first paint scans, and the window must stand painted meanwhile.
            try {
                form_.Paint();
            } catch (const HookRefused& refused) {
                // The first paint hooks the list: a list that will not take the hook refuses the
                // window as an input box does while it is built.
                Refuse(refused.what());
            }
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_.get(), focus)) focusToRestore_ = focus;
                form_.FormDeactivate();
            } else {
                HWND focus = focusToRestore_ && IsWindow(focusToRestore_)
                                 ? focusToRestore_
                                 : ui_.ControlWindow(Control::PcComboBox);
                if (!HIWORD(wParam)) SetFocus(focus);
            }
            return 0;
        case WM_ACTIVATEAPP:
            if (!wParam) form_.FormDeactivate();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            if (lParam) OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_CLOSE:
            form_.FormClose();
            DestroyWindow(window_.get());
            return 0;
        case WM_DESTROY:
            // The animation's thread destroys its control while the window's children stand.
            ui_.EndAnimation();
            // A window refused while it was built ends no message loop: none runs yet, and the
            // quit would close the box that says why at once.
            if (created_) PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window_.get(), message, wParam, lParam);
    }
}

HWND MainWindow::CreateControl(Control control, DWORD exStyle, const wchar_t* className,
                               DWORD style, int height) {
    const ControlLayout& layout = LayoutOf(control);
    // Made through the wide form: a control made through the ANSI form is an ANSI window, which
    // gets its typed characters narrowed to the ANSI code page one byte at a time (see
    // WindowHook.h). The program's texts still reach the controls through the ANSI calls.
    HWND handle = CreateWindowExW(exStyle, className, L"", WS_CHILD | style, layout.left,
                                  layout.top, layout.width, height, window_.get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                                  instance_, nullptr);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ui_.SetControlWindow(control, handle);
    return handle;
}

void MainWindow::CreateControls() {
    font_.reset(CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg"));

    for (const ControlLayout& layout : kFormControls) {
        const Control control = layout.control;
        switch (control) {
            case Control::PcLabel:
            case Control::UserLabel:
            case Control::PassLabel:
                CreateControl(control, 0, L"Static", WS_VISIBLE | SS_LEFT, layout.height);
                break;
            case Control::DirButton:
            case Control::InfoButton:
            case Control::GoogleButton:
            case Control::StartButton: {
                // Flat buttons take no focus: no tab stop, and a click hands the focus back.
                HWND button = CreateControl(control, 0, L"Button",
                                            WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, layout.height);
                Hook(button, &MainWindow::FlatButtonProc);
                const int picture = control == Control::DirButton      ? IDB_DIRBUTTON
                                    : control == Control::InfoButton   ? IDB_INFOBUTTON
                                    : control == Control::GoogleButton ? IDB_GOOGLEBUTTON
                                                                       : IDB_STARTBUTTON;
                AddButtonPicture(button, picture);
                break;
            }
            case Control::PasswordEdit: {
                HWND edit = CreateControl(control, WS_EX_CLIENTEDGE, L"Edit",
                                          WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                                          layout.height);
                SendMessageA(edit, EM_SETPASSWORDCHAR, '*', 0);
                ListenToKeys(edit);
                break;
            }
            case Control::StatusBar: {
                // Placed by LayOut along the bottom edge at its own height, not by itself.
                HWND status = CreateControl(
                    control, 0, STATUSCLASSNAMEW,
                    WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, layout.height);
                SendMessageA(status, SB_SIMPLE, TRUE, 0);
                break;
            }
            case Control::PcComboBox: {
                HWND combo = CreateControl(
                    control, 0, L"ComboBox",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                    layout.height);
                SendMessageA(combo, CB_SETMINVISIBLE, kPcComboBoxDropDownCount, 0);
                ListenToKeys(combo);
                break;
            }
            case Control::Animate1: {
                // Made on a thread of the program's own, which plays the clip on its timer (the
                // timer style), so the clip keeps moving while the scan holds this thread.
                // Disabled: it takes no input, and the mouse over it belongs to this window, so
                // the control never passes a mouse message on to this window and waits for it.
                const RECT place{layout.left, layout.top, layout.left + layout.width,
                                 layout.top + layout.height};
                ui_.CreateAnimationControl(ControlId(control), place,
                                           WS_DISABLED | ACS_TRANSPARENT | ACS_TIMER);
                ui_.UseSystemAnimation();
                break;
            }
            case Control::UserComboBox: {
                // The simple kind, as tall as its edit: no list shows, the arrow keys step
                // through the entries.
                HWND combo = CreateControl(control, 0, L"ComboBox",
                                           WS_VISIBLE | WS_TABSTOP | CBS_SIMPLE | CBS_AUTOHSCROLL,
                                           layout.height);
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Administrator"));
                // What is left of its list below the edit would only draw a stray line.
                COMBOBOXINFO parts{};
                parts.cbSize = sizeof parts;
                if (GetComboBoxInfo(combo, &parts) && parts.hwndList) {
                    ShowWindow(parts.hwndList, SW_HIDE);
                }
                ListenToKeys(combo);
                break;
            }
            case Control::ListView1: {
                AddReportColumns(CreateControl(control, kReportListExStyle, WC_LISTVIEWW,
                                               kReportListStyle, layout.height));
                break;
            }
        }
    }
    ArrangeTabOrder();
}

void MainWindow::AddButtonPicture(HWND button, int bitmapId) {
    UniqueBitmap picture(static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(bitmapId),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!picture) return;
    BlendIntoButtonFace(picture.get());
    pictures_.push_back(std::move(picture));
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(pictures_.back().get()));
}

void MainWindow::ListenToKeys(HWND inputWindow) {
    HWND target = inputWindow;
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    // A combo box's keys arrive at the edit inside it.
    if (GetComboBoxInfo(inputWindow, &combo) && combo.hwndItem) target = combo.hwndItem;
    Hook(target, &MainWindow::InputBoxProc);
}

void MainWindow::Hook(HWND control, WindowHook::Procedure procedure) {
    hooks_.push_back(std::make_unique<WindowHook>(procedure, this));
    // A control without its procedure would lose its keys' handling without a word: the window
    // is refused instead, and the box says why.
    if (!hooks_.back()->Attach(control)) throw HookRefused();
}

void MainWindow::ArrangeTabOrder() {
    // The keyboard focus walks the window's children in their stacking order.
    HWND previous = HWND_TOP;
    for (Control control :
         {Control::PcComboBox, Control::PasswordEdit, Control::ListView1, Control::UserComboBox}) {
        HWND handle = ui_.ControlWindow(control);
        SetWindowPos(handle, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = handle;
    }
}

void MainWindow::LayOut(int clientWidth, int clientHeight) {
    const int dx = clientWidth - kDesignClientWidth;
    const int dy = clientHeight - kDesignClientHeight;
    for (const ControlLayout& layout : kFormControls) {
        HWND handle = ui_.ControlWindow(layout.control);
        if (!handle) continue;
        if (layout.control == Control::StatusBar) {
            MoveWindow(handle, 0, clientHeight - kStatusBarHeight, clientWidth, kStatusBarHeight,
                       TRUE);
            continue;
        }
        if (!(layout.anchors & (kAnchorRight | kAnchorBottom))) continue;  // stays put
        int left = layout.left;
        int top = layout.top;
        int width = layout.width;
        int height = layout.height;
        if (layout.anchors & kAnchorRight) {
            if (layout.anchors & kAnchorLeft) {
                width += dx;
            } else {
                left += dx;
            }
        }
        if (layout.anchors & kAnchorBottom) {
            if (layout.anchors & kAnchorTop) {
                height += dy;
            } else {
                top += dy;
            }
        }
        MoveWindow(handle, left, top, width, height, TRUE);
    }
}

void MainWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == ControlId(Control::StartButton)) {
        form_.StartButtonClick();
    } else if (id == ControlId(Control::GoogleButton)) {
        form_.GoogleButtonClick();
    } else if (id == ControlId(Control::InfoButton)) {
        form_.InfoButtonClick();
    } else if (id == ControlId(Control::DirButton)) {
        form_.DirButtonClick();
    }
}

void MainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == ui_.ControlWindow(Control::ListView1)) {
        switch (header.code) {
            case NM_CLICK:
                form_.ListView1Click();
                break;
            case NM_DBLCLK:
                form_.GoogleButtonClick();
                break;
            case LVN_COLUMNCLICK:
                form_.ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
                break;
            default:
                break;
        }
    } else if (header.hwndFrom == ui_.ControlWindow(Control::StatusBar) &&
               header.code == NM_CLICK) {
        form_.StatusBarClick();
    }
}

LRESULT MainWindow::InputBoxProc(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) noexcept {
    auto* self = static_cast<MainWindow*>(hook.Owner());
    if (message == WM_GETDLGCODE) {
        LRESULT code = hook.CallPrevious(window, message, wParam, lParam);
        // Enter belongs to the box: the window's message loop must not turn it into the
        // default-button command of the dialog manager.
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
            code |= DLGC_WANTMESSAGE;
        }
        return code;
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {  // WM_SYSKEYDOWN: with Alt held
        LastChance(
            [&] {
                self->form_.PcEditKeyDown(static_cast<int>(wParam));
                return 0;
            },
            [&](const CaughtError& error) {
                self->ShowUnexpectedError(error);
                return 0;
            },
            0);
    }
    // The box's own procedure gets every key, also after a failure of the program's handling.
    return hook.CallPrevious(window, message, wParam, lParam);
}

LRESULT MainWindow::FlatButtonProc(const WindowHook& hook, HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    if (message == WM_SETFOCUS) {
        // Hand the focus back to where it was, the way a flat button never holds it.
        auto previous = reinterpret_cast<HWND>(wParam);
        SetFocus(previous && IsWindow(previous) ? previous : GetParent(window));
        return 0;
    }
    return hook.CallPrevious(window, message, wParam, lParam);
}

int RunMainWindow(HINSTANCE instance, int showCommand, Win32UiServices& ui, TForm1& form) {
    MainWindow window(instance, ui, form);
    if (!window.Create(showCommand)) return EndWithoutWindow(window.CreationError());
    MSG message{};
    for (;;) {
        // The wide forms: the ANSI ones narrow every typed character to the ANSI code page one byte
        // at a time before the boxes see it.
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got < 0) return 1;
        if (got == 0) {
            // A window refused at its first paint has ended the loop as well.
            if (!window.CreationError().empty()) return EndWithoutWindow(window.CreationError());
            return static_cast<int>(message.wParam);
        }
        // The dialog manager moves the focus with Tab and clicks the scan button on its
        // accelerator key.
        HWND main = window.Handle();
        if (main && IsDialogMessageW(main, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace brisklow
