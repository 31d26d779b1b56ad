#include "platform/Win32UiServices.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <versionhelpers.h>
#include <wrl/client.h>

#include <cstddef>
#include <stdexcept>

#include "platform/LastChance.h"

namespace brisklow {

namespace {

// The balloon's tool record carries the parameter field (the form keeps its state beside it),
// so it is registered with the size of the record up to that field: the common controls' second
// version of the record, which every version 6 takes, without the reserved field of the third.
const UINT kBalloonToolSize = static_cast<UINT>(TTTOOLINFOA_V2_SIZE);

constexpr UINT kBalloonToolFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT | TTF_PARSELINKS;
static_assert(kBalloonToolFlags == 0x1111);

// Pop-up, visual-style drawing, balloon shape, no "&" prefix processing, shown even when the
// owner is inactive.
constexpr DWORD kBalloonStyle = 0x80000143;
static_assert(kBalloonStyle ==
              (WS_POPUP | TTS_USEVISUALSTYLE | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP));

// The system's find-computer clip in the shell's library; older shells number it 150.
constexpr int kShellFindComputerClip = 152;
constexpr int kShellFindComputerClipOld = 150;

constexpr int kDisplayNameBufferSize = MAX_PATH;  // 260 bytes

// A block from the shell's allocator, given back to it when the owner goes.
class ShellBlock {
  public:
    ShellBlock(IMalloc* allocator, void* block) : allocator_(allocator), block_(block) {}
    ~ShellBlock() {
        if (block_) allocator_->Free(block_);
    }
    ShellBlock(const ShellBlock&) = delete;
    ShellBlock& operator=(const ShellBlock&) = delete;
    void* get() const { return block_; }

  private:
    IMalloc* allocator_;
    void* block_;
};

// Restores the process's error mode whatever the dialog does.
class ErrorModeScope {
  public:
    explicit ErrorModeScope(UINT mode) : old_(SetErrorMode(mode)) {}
    ~ErrorModeScope() { SetErrorMode(old_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

  private:
    UINT old_;
};

// What the browse dialog's callback is given.
struct BrowseStart {
    Win32UiServices* services;
    const char* selection;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) noexcept {
    const auto* start = reinterpret_cast<const BrowseStart*>(data);
    return LastChance(
        [&] {
            // Asks the dialog to select the initial computer once it stands.
            if (message == BFFM_INITIALIZED) {
                SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                             reinterpret_cast<LPARAM>(start->selection));
            }
            return 0;
        },
        [&](const CaughtError& error) {
            start->services->ShowMessage(error.message);
            return 0;
        },
        0);
}
static_assert(BFFM_INITIALIZED == 1 && BFFM_SETSELECTIONA == 0x466);

std::string LocaleText(LCTYPE type) {
    char buffer[80] = {};
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    if (length <= 0) return {};
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// A text of the system's code page, as UTF-16.
std::wstring WideFromSystemCodePage(const std::string& text) {
    if (text.empty()) return {};
    const int narrowLength = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength, wide.data(), length);
    return wide;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

}  // namespace

Win32UiServices::Win32UiServices(HINSTANCE instance) : instance_(instance) {}

Win32UiServices::~Win32UiServices() = default;

void Win32UiServices::SetControlWindow(Control control, HWND window) {
    controls_.at(static_cast<size_t>(control)) = window;
}

HWND Win32UiServices::ControlWindow(Control control) const {
    return controls_.at(static_cast<size_t>(control));
}

HWND Win32UiServices::CreateAnimationControl(int id, const RECT& place, DWORD style) {
    HWND animation = animation_.Start(instance_, main_, id, place, style);
    SetControlWindow(Control::Animate1, animation);
    return animation;
}

void Win32UiServices::UseSystemAnimation() {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) return;
    if (!animation_.Open(shell, kShellFindComputerClip)) {
        animation_.Open(shell, kShellFindComputerClipOld);
    }
}

void Win32UiServices::EndAnimation() {
    animation_.End();
    SetControlWindow(Control::Animate1, nullptr);
}

// Main window and application.

void Win32UiServices::SetWindowCaption(const std::string& text) {
    SetWindowTextA(main_, text.c_str());
}

void Win32UiServices::SetApplicationTitle(const std::string& text) { applicationTitle_ = text; }

WindowSize Win32UiServices::OuterSize() {
    RECT rect{};
    GetWindowRect(main_, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int Win32UiServices::WindowsMajorVersion() {
    // The version calls of the user mode answer with an old version unless the manifest names
    // the newer systems; the kernel's own call tells the truth.
    const HMODULE kernel = GetModuleHandleA("ntdll.dll");
    return WindowsMajorVersionFrom(kernel ? GetProcAddress(kernel, "RtlGetVersion") : nullptr);
}

int WindowsMajorVersionFrom(FARPROC rtlGetVersion) {
    if (!rtlGetVersion) {
        // Where the kernel's call cannot be found, the version checks of the user mode still tell
        // whether the system is Windows Vista (6) or later, which is all the program asks.
        return IsWindowsVistaOrGreater() ? 6 : 5;
    }
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto call =
        reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void (*)()>(rtlGetVersion));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    call(&info);
    return static_cast<int>(info.dwMajorVersion);
}

LongTimeFormat Win32UiServices::UserLongTimeFormat() {
    LongTimeFormat format;
    format.leadingZero = LocaleText(LOCALE_ITLZERO) == "1";
    format.separator = LocaleText(LOCALE_STIME);
    format.twelveHour = LocaleText(LOCALE_ITIME) == "0";
    format.markerFirst = LocaleText(LOCALE_ITIMEMARKPOSN) == "1";
    format.morningMarker = LocaleText(LOCALE_S1159);
    format.afternoonMarker = LocaleText(LOCALE_S2359);
    return format;
}

// Labels, flat buttons, column headers.

void Win32UiServices::SetCaption(Control control, const std::string& text) {
    HWND window = ControlWindow(control);
    SetWindowTextA(window, text.c_str());
    if (control == Control::PcLabel || control == Control::UserLabel ||
        control == Control::PassLabel) {
        FitLabelToText(window, text);
    }
}

void Win32UiServices::FitLabelToText(HWND label, const std::string& text) {
    // A label is as wide as its caption, so no caption is cut short whatever the font. Measured
    // on the caption as the label shows it, widened from the system's code page: the ANSI
    // measuring call would widen it by the font's character set instead.
    const std::wstring shown = WideFromSystemCodePage(text);
    RECT extent{};
    {
        const WindowDeviceContext context(label);
        if (!context.get()) return;
        // The label's font stays the label's.
        auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
        HGDIOBJ previous = font ? SelectObject(context.get(), font) : nullptr;
        DrawTextW(context.get(), shown.c_str(), static_cast<int>(shown.size()), &extent,
                  DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
        if (previous) SelectObject(context.get(), previous);
    }
    RECT bounds{};
    GetClientRect(label, &bounds);
    SetWindowPos(label, nullptr, 0, 0, extent.right - extent.left, bounds.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32UiServices::SetColumnHeader(int column, const std::string& text) {
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT;
    header.pszText = const_cast<char*>(text.c_str());
    SendMessageA(List(), LVM_SETCOLUMNA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&header));
}

void Win32UiServices::EnableControl(Control control, bool enabled) {
    EnableWindow(ControlWindow(control), enabled ? TRUE : FALSE);
}

void Win32UiServices::ShowControl(Control control, bool visible) {
    if (control == Control::Animate1) {
        animation_.Show(visible);
        return;
    }
    ShowWindow(ControlWindow(control), visible ? SW_SHOW : SW_HIDE);
}

void Win32UiServices::SetStatusText(const std::string& text) {
    HWND status = ControlWindow(Control::StatusBar);
    SendMessageA(status, SB_SIMPLE, TRUE, 0);
    SendMessageA(status, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    // The scan holds the message loop; paint now or the text would show only after it.
    UpdateWindow(status);
}

// Combo boxes and the edit box.

std::string Win32UiServices::GetText(Control box) { return WindowText(ControlWindow(box)); }

void Win32UiServices::SetText(Control box, const std::string& text) {
    SetWindowTextA(ControlWindow(box), text.c_str());
}

int Win32UiServices::FindEntry(Control box, const std::string& text) {
    HWND combo = ControlWindow(box);
    if (text.empty()) {
        // Some combo boxes never find the empty text: look for an empty entry here instead.
        const auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    auto found = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text.c_str()));
    return found == CB_ERR ? -1 : static_cast<int>(found);
}

void Win32UiServices::AppendEntry(Control box, const std::string& text) {
    SendMessageA(ControlWindow(box), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32UiServices::MoveEntry(Control box, int from, int to) {
    // The entry moves as the box holds it, in UTF-16: nothing of it goes through a code page, and
    // the length the box tells is exact (asked for 8-bit text it may only be an estimate).
    HWND combo = ControlWindow(box);
    auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(from), 0);
    if (length == CB_ERR) return;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(from),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(from), 0);
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(to),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32UiServices::SelectEntry(Control box, int index) {
    SendMessageA(ControlWindow(box), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The report list.

void Win32UiServices::DeleteAllRows() { SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0); }

void Win32UiServices::SuspendRedraw() {
    if (redrawSuspensions_++ == 0) SendMessageA(List(), WM_SETREDRAW, FALSE, 0);
}

void Win32UiServices::ResumeRedraw() {
    if (redrawSuspensions_ == 0) return;
    if (--redrawSuspensions_ == 0) {
        SendMessageA(List(), WM_SETREDRAW, TRUE, 0);
        // The header inside the list is repainted too.
        RedrawWindow(List(), nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void Win32UiServices::AppendRow(const std::vector<std::string>& cells, intptr_t itemData) {
    HWND list = List();
    static const std::string kEmpty;
    const std::string& caption = cells.empty() ? kEmpty : cells.front();
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = itemData;
    auto index = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (index == -1) throw std::runtime_error("The list refused a new row.");
    for (size_t column = 1; column < cells.size(); ++column) {
        LVITEMA cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<char*>(cells[column].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&cell));
    }
}

std::optional<intptr_t> Win32UiServices::SelectedRow() {
    HWND list = List();
    auto index =
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
    if (index < 0) return std::nullopt;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(index);
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return std::nullopt;
    return item.lParam;
}

int CALLBACK Win32UiServices::CompareTrampoline(LPARAM item1, LPARAM item2, LPARAM compare) {
    // A comparison that fails counts the two rows as equal: the sort goes on, and a box per
    // comparison would be no help.
    return LastChance(
        [&] { return (*reinterpret_cast<const RowComparison*>(compare))(item1, item2); },
        [](const CaughtError&) { return 0; }, 0);
}

void Win32UiServices::SortRows(const RowComparison& compare) {
    SendMessageA(List(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&compare),
                 reinterpret_cast<LPARAM>(&CompareTrampoline));
}

int Win32UiServices::ColumnMinWidth(int column) {
    LVCOLUMNA info{};
    info.mask = LVCF_MINWIDTH;
    if (!SendMessageA(List(), LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&info))) {
        return 0;
    }
    return info.cxMin;
}

void Win32UiServices::SetColumnMinWidth(int column, int width) {
    LVCOLUMNA info{};
    info.mask = LVCF_MINWIDTH;
    info.cxMin = width;
    SendMessageA(List(), LVM_SETCOLUMNA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&info));
}

// The busy animation.

void Win32UiServices::UseAnimationResource(int resourceId) {
    animation_.Open(instance_, resourceId);
}

void Win32UiServices::PlayAnimation(bool playing) { animation_.Play(playing); }

// The details balloon.

void Win32UiServices::CreateBalloonWindow() {
    balloon_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, kBalloonStyle, 0, 0, 0,
                                   0, main_, nullptr, instance_, nullptr));
    if (balloon_) {
        SetWindowPos(balloon_.get(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32UiServices::SetBalloonTitle(int icon, const std::string& title) {
    SendMessageA(balloon_.get(), TTM_SETTITLEA, static_cast<WPARAM>(icon),
                 reinterpret_cast<LPARAM>(title.c_str()));
}

void Win32UiServices::SetBalloonDelay(BalloonDelay which, int milliseconds) {
    const WPARAM delay = which == BalloonDelay::Initial   ? TTDT_INITIAL
                         : which == BalloonDelay::AutoPop ? TTDT_AUTOPOP
                                                          : TTDT_RESHOW;
    SendMessageA(balloon_.get(), TTM_SETDELAYTIME, delay, MAKELPARAM(milliseconds, 0));
}

void Win32UiServices::ActivateBalloon(bool active) {
    SendMessageA(balloon_.get(), TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

void Win32UiServices::AddBalloonTool(const std::string& text) {
    balloonText_ = text;
    balloonTool_ = TTTOOLINFOA{};
    balloonTool_.cbSize = kBalloonToolSize;
    balloonTool_.uFlags = kBalloonToolFlags;
    balloonTool_.hwnd = List();
    balloonTool_.uId = reinterpret_cast<UINT_PTR>(List());
    balloonTool_.lpszText = balloonText_.data();
    balloonTool_.lParam = 0;
    SendMessageA(balloon_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&balloonTool_));
}

void Win32UiServices::RemoveBalloonTool() {
    if (!balloon_) return;
    SendMessageA(balloon_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&balloonTool_));
}

void Win32UiServices::PopupBalloon() { SendMessageA(balloon_.get(), TTM_POPUP, 0, 0); }

void Win32UiServices::HideBalloon() {
    if (balloon_) ShowWindow(balloon_.get(), SW_HIDE);
}

void Win32UiServices::DestroyBalloonWindow() { balloon_.reset(); }

void Win32UiServices::HookListView() {
    HWND list = List();
    if (listHook_.Attached() || !list) return;
    if (!listHook_.Attach(list)) throw HookRefused();
}

LRESULT Win32UiServices::ListViewProc(const WindowHook& hook, HWND window, UINT message,
                                      WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<Win32UiServices*>(hook.Owner());
    if (message == WM_NOTIFY && lParam != 0 && self->balloon_) {
        LastChance(
            [&] {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->hwndFrom == self->balloon_.get() && self->onBalloonNotification_) {
                    self->onBalloonNotification_(static_cast<int>(header->code));
                }
                return 0;
            },
            [&](const CaughtError& error) {
                self->ShowMessage(error.message);
                return 0;
            },
            0);
    }
    // The list's own procedure gets every message, also after a failure of the program's part.
    return hook.CallPrevious(window, message, wParam, lParam);
}

// Modal boxes.

void Win32UiServices::ShowMessage(const std::string& text) {
    MessageBoxA(main_, text.c_str(), applicationTitle_.c_str(), MB_OK);
}

void Win32UiServices::ShowErrorBox(const std::string& text, const std::string& caption) {
    MessageBoxA(main_, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

// The shell.

void Win32UiServices::ShellOpen(const char* verb, const std::string& address) {
    ShellExecuteA(main_, verb, address.c_str(), nullptr, nullptr, SW_SHOW);
}

std::string Win32UiServices::BrowseForComputer(const std::string& title,
                                               const std::string& initialSelection) {
    std::string result;
    Microsoft::WRL::ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.GetAddressOf())) || !allocator) return result;

    ShellBlock buffer(allocator.Get(), allocator->Alloc(kDisplayNameBufferSize));
    if (!buffer.get()) return result;
    static_cast<char*>(buffer.get())[0] = '\0';

    // When the network neighbourhood cannot be had, the root stays empty: the desktop.
    LPITEMIDLIST rootList = nullptr;
    SHGetSpecialFolderLocation(main_, CSIDL_NETWORK, &rootList);
    ShellBlock root(allocator.Get(), rootList);

    BROWSEINFOA settings{};
    settings.hwndOwner = main_;
    settings.pidlRoot = rootList;
    settings.pszDisplayName = static_cast<char*>(buffer.get());
    settings.lpszTitle = title.c_str();
    settings.ulFlags = BIF_BROWSEFORCOMPUTER | BIF_NEWDIALOGSTYLE;
    BrowseStart start{this, initialSelection.c_str()};
    if (!initialSelection.empty()) {
        settings.lpfn = &BrowseCallback;
        settings.lParam = reinterpret_cast<LPARAM>(&start);
    }
    static_assert((BIF_BROWSEFORCOMPUTER | BIF_NEWDIALOGSTYLE) == 0x1040 && CSIDL_NETWORK == 18);

    LPITEMIDLIST chosen = nullptr;
    {
        ErrorModeScope failCriticalErrors(SEM_FAILCRITICALERRORS);
        chosen = SHBrowseForFolderA(&settings);
    }
    if (chosen) {
        ShellBlock chosenList(allocator.Get(), chosen);
        const char* name = static_cast<const char*>(buffer.get());
        result.assign(name, strnlen(name, kDisplayNameBufferSize));
    }
    return result;
}

void Win32UiServices::Beep() { MessageBeep(MB_OK); }

uint32_t Win32UiServices::TickCount() { return GetTickCount(); }

}  // namespace brisklow
