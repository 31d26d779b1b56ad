#pragma once
// A recording stand-in of the user-interface services: it keeps the state a window would show
// and logs every call that changes something, so tests can state what the user would see.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/UiServices.h"

namespace brisklow::testing {

class FakeUi : public UiServices {
  public:
    // What the window shows.
    std::string windowCaption, applicationTitle, statusText;
    std::map<Control, std::string> captions, texts;
    std::map<Control, std::vector<std::string>> entries;
    std::map<Control, bool> enabled, visible;
    std::vector<std::string> columnHeaders = std::vector<std::string>(10);
    std::vector<int> columnMinWidths = std::vector<int>(10, 0);
    struct Row {
        std::vector<std::string> cells;
        intptr_t itemData;
    };
    std::vector<Row> rows;
    std::optional<size_t> selectedRow;  // index into rows
    int redrawSuspensions = 0;
    bool animationPlaying = false;
    std::optional<int> animationResource;
    bool balloonWindow = false, balloonActive = false, balloonToolAdded = false;
    bool listViewHooked = false;

    // What the platform answers.
    WindowSize outerSize{930, 697};
    int windowsMajorVersion = 10;
    LongTimeFormat timeFormat;
    uint32_t tickCount = 100000;
    std::string browseResult;
    int failAppendRowAt = -1;            // the row index at which AppendRow raises
    std::optional<Control> failShowing;  // the control that ShowControl raises on when showing it

    // Every call that does something, in order: "Status <text>", "Message <text>", ...
    std::vector<std::string> log;
    std::vector<std::string> Calls(const std::string& prefix) const;
    // Runs inside modal boxes, so tests can look at the window while a box is open.
    std::function<void()> whileBoxOpen;

    FakeUi();

    void SetWindowCaption(const std::string& text) override;
    void SetApplicationTitle(const std::string& text) override;
    WindowSize OuterSize() override { return outerSize; }
    int WindowsMajorVersion() override { return windowsMajorVersion; }
    LongTimeFormat UserLongTimeFormat() override { return timeFormat; }
    void SetCaption(Control control, const std::string& text) override;
    void SetColumnHeader(int column, const std::string& text) override;
    void EnableControl(Control control, bool on) override;
    void ShowControl(Control control, bool on) override;
    void SetStatusText(const std::string& text) override;
    std::string GetText(Control box) override { return texts[box]; }
    void SetText(Control box, const std::string& text) override { texts[box] = text; }
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
    int ColumnMinWidth(int column) override {
        return columnMinWidths.at(static_cast<size_t>(column));
    }
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
    void Beep() override { log.push_back("Beep"); }
    uint32_t TickCount() override { return tickCount; }

    // The cells of column `column` from top to bottom.
    std::vector<std::string> Column(size_t column) const;
};

}  // namespace brisklow::testing
