#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brisklow {

// The controls of the main window, in the order the window declares them.
enum class Control {
    PcLabel,
    UserLabel,
    PassLabel,
    DirButton,
    InfoButton,
    GoogleButton,
    StartButton,
    PasswordEdit,
    StatusBar,
    PcComboBox,
    Animate1,
    UserComboBox,
    ListView1,
};

// How the user's locale writes a long time: built once at start-up from the locale's settings.
struct LongTimeFormat {
    bool leadingZero = false;  // hours below 10 with a leading zero
    std::string separator = ":";
    bool twelveHour = false;
    bool markerFirst = false;  // the morning/afternoon marker stands before the time
    std::string morningMarker;
    std::string afternoonMarker;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

// Orders two list rows, given their item data: negative, zero or positive.
using RowComparison = std::function<int(intptr_t item1, intptr_t item2)>;

// Everything the main window asks of the platform's user-interface services. The program's logic
// (TForm1) is written against this seam only; texts are 8-bit, in the system's ANSI code page.
class UiServices {
  public:
    virtual ~UiServices() = default;

    // Main window and application.
    virtual void SetWindowCaption(const std::string& text) = 0;
    virtual void SetApplicationTitle(const std::string& text) = 0;
    virtual WindowSize OuterSize() = 0;
    virtual int WindowsMajorVersion() = 0;
    virtual LongTimeFormat UserLongTimeFormat() = 0;

    // Labels, flat buttons, column headers.
    virtual void SetCaption(Control control, const std::string& text) = 0;
    virtual void SetColumnHeader(int column, const std::string& text) = 0;
    virtual void EnableControl(Control control, bool enabled) = 0;
    virtual void ShowControl(Control control, bool visible) = 0;

    // The status bar's one simple text; repainted at once, since the scan blocks the UI thread.
    virtual void SetStatusText(const std::string& text) = 0;

    // Combo boxes and the edit box.
    virtual std::string GetText(Control box) = 0;
    virtual void SetText(Control box, const std::string& text) = 0;
    // The index of the entry equal to `text` without regard to letter case, or -1.
    virtual int FindEntry(Control box, const std::string& text) = 0;
    virtual void AppendEntry(Control box, const std::string& text) = 0;
    virtual void MoveEntry(Control box, int from, int to) = 0;
    // Selects the entry, which sets the box's text to it.
    virtual void SelectEntry(Control box, int index) = 0;

    // The report list. AppendRow raises an exception carrying a message when the list refuses.
    virtual void DeleteAllRows() = 0;
    virtual void SuspendRedraw() = 0;
    virtual void ResumeRedraw() = 0;
    virtual void AppendRow(const std::vector<std::string>& cells, intptr_t itemData) = 0;
    // The item data of the selected row, if a row is selected.
    virtual std::optional<intptr_t> SelectedRow() = 0;
    // The list's own sort: it orders its rows by the comparison's sign.
    virtual void SortRows(const RowComparison& compare) = 0;
    virtual int ColumnMinWidth(int column) = 0;
    virtual void SetColumnMinWidth(int column, int width) = 0;

    // The busy animation: the system's find-computer clip unless a resource is chosen.
    virtual void UseAnimationResource(int resourceId) = 0;
    virtual void PlayAnimation(bool playing) = 0;

    // The details balloon: a tooltip window of the main window, with one tool on the list.
    virtual void CreateBalloonWindow() = 0;
    virtual void SetBalloonTitle(int icon, const std::string& title) = 0;
    enum class BalloonDelay { Initial, AutoPop, Reshow };
    virtual void SetBalloonDelay(BalloonDelay which, int milliseconds) = 0;
    virtual void ActivateBalloon(bool active) = 0;
    virtual void AddBalloonTool(const std::string& text) = 0;
    virtual void RemoveBalloonTool() = 0;
    virtual void PopupBalloon() = 0;
    virtual void HideBalloon() = 0;
    virtual void DestroyBalloonWindow() = 0;
    // Puts the program's procedure in front of the list's window procedure: it hands the balloon's
    // notifications to TForm1::BalloonNotification, then always calls the previous procedure.
    // Throws HookRefused when the list will not take it.
    virtual void HookListView() = 0;

    // Modal boxes: the simple one is captioned with the application title.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;

    // The shell: opens an address with a verb (none: the default verb), show command 5, owned by
    // the main window; the result is ignored.
    virtual void ShellOpen(const char* verb, const std::string& address) = 0;
    // The network computer picker; the chosen display name, or empty.
    virtual std::string BrowseForComputer(const std::string& title,
                                          const std::string& initialSelection) = 0;
    virtual void Beep() = 0;

    virtual uint32_t TickCount() = 0;
};

}  // namespace brisklow
