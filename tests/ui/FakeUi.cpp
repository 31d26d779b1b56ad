#include "tests/ui/FakeUi.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace brisklow::testing {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

FakeUi::FakeUi() {
    entries[Control::UserComboBox] = {"Administrator"};
    visible[Control::Animate1] = false;
}

std::vector<std::string> FakeUi::Calls(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& line : log) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

void FakeUi::SetWindowCaption(const std::string& text) { windowCaption = text; }
void FakeUi::SetApplicationTitle(const std::string& text) { applicationTitle = text; }
void FakeUi::SetCaption(Control control, const std::string& text) { captions[control] = text; }
void FakeUi::SetColumnHeader(int column, const std::string& text) {
    columnHeaders.at(static_cast<size_t>(column)) = text;
}

void FakeUi::EnableControl(Control control, bool on) {
    enabled[control] = on;
    log.push_back(std::string(on ? "Enable " : "Disable ") + std::to_string(int(control)));
}

void FakeUi::ShowControl(Control control, bool on) {
    if (on && failShowing == control) throw std::runtime_error("will not show");
    visible[control] = on;
    log.push_back(std::string(on ? "Show " : "Hide ") + std::to_string(int(control)));
}

void FakeUi::SetStatusText(const std::string& text) {
    statusText = text;
    log.push_back("Status " + text);
}

int FakeUi::FindEntry(Control box, const std::string& text) {
    const auto& list = entries[box];
    for (size_t i = 0; i < list.size(); ++i) {
        if (SameIgnoringCase(list[i], text)) return static_cast<int>(i);
    }
    return -1;
}

void FakeUi::AppendEntry(Control box, const std::string& text) { entries[box].push_back(text); }

void FakeUi::MoveEntry(Control box, int from, int to) {
    auto& list = entries[box];
    const std::string moved = list.at(static_cast<size_t>(from));
    list.erase(list.begin() + from);
    list.insert(list.begin() + to, moved);
}

void FakeUi::SelectEntry(Control box, int index) {
    texts[box] = entries[box].at(static_cast<size_t>(index));
}

void FakeUi::DeleteAllRows() {
    rows.clear();
    selectedRow.reset();
    log.push_back("DeleteAllRows");
}

void FakeUi::SuspendRedraw() {
    ++redrawSuspensions;
    log.push_back("SuspendRedraw");
}

void FakeUi::ResumeRedraw() {
    --redrawSuspensions;
    log.push_back("ResumeRedraw");
}

void FakeUi::AppendRow(const std::vector<std::string>& cells, intptr_t itemData) {
    if (static_cast<int>(rows.size()) == failAppendRowAt) throw std::runtime_error("out of rows");
    rows.push_back({cells, itemData});
}

std::optional<intptr_t> FakeUi::SelectedRow() {
    if (!selectedRow) return std::nullopt;
    return rows.at(*selectedRow).itemData;
}

void FakeUi::SortRows(const RowComparison& compare) {
    log.push_back("SortRows");
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return compare(a.itemData, b.itemData) < 0;
    });
}

void FakeUi::SetColumnMinWidth(int column, int width) {
    columnMinWidths.at(static_cast<size_t>(column)) = width;
}

void FakeUi::UseAnimationResource(int resourceId) { animationResource = resourceId; }

void FakeUi::PlayAnimation(bool playing) {
    animationPlaying = playing;
    log.push_back(playing ? "Play" : "Stop");
}

void FakeUi::CreateBalloonWindow() {
    balloonWindow = true;
    log.push_back("CreateBalloonWindow");
}

void FakeUi::SetBalloonTitle(int icon, const std::string& title) {
    log.push_back("BalloonTitle " + std::to_string(icon) + " " + title);
}

void FakeUi::SetBalloonDelay(BalloonDelay which, int milliseconds) {
    const char* name = which == BalloonDelay::Initial   ? "initial"
                       : which == BalloonDelay::AutoPop ? "auto-pop"
                                                        : "reshow";
    log.push_back(std::string("BalloonDelay ") + name + " " + std::to_string(milliseconds));
}

void FakeUi::ActivateBalloon(bool active) {
    balloonActive = active;
    log.push_back(active ? "BalloonActivate" : "BalloonDeactivate");
}

void FakeUi::AddBalloonTool(const std::string& text) {
    balloonToolAdded = true;
    log.push_back("BalloonAddTool " + text);
}

void FakeUi::RemoveBalloonTool() {
    balloonToolAdded = false;
    log.push_back("BalloonRemoveTool");
}

void FakeUi::PopupBalloon() { log.push_back("BalloonPopup"); }
void FakeUi::HideBalloon() { log.push_back("BalloonHide"); }

void FakeUi::DestroyBalloonWindow() {
    balloonWindow = false;
    log.push_back("DestroyBalloonWindow");
}

void FakeUi::HookListView() {
    listViewHooked = true;
    log.push_back("HookListView");
}

void FakeUi::ShowMessage(const std::string& text) {
    log.push_back("Message " + text);
    if (whileBoxOpen) whileBoxOpen();
}

void FakeUi::ShowErrorBox(const std::string& text, const std::string& caption) {
    log.push_back("ErrorBox " + caption + "|" + text);
    if (whileBoxOpen) whileBoxOpen();
}

void FakeUi::ShellOpen(const char* verb, const std::string& address) {
    log.push_back(std::string("Shell ") + (verb ? verb : "(default)") + " " + address);
}

std::string FakeUi::BrowseForComputer(const std::string& title,
                                      const std::string& initialSelection) {
    log.push_back("Browse " + title + "|" + initialSelection);
    return browseResult;
}

std::vector<std::string> FakeUi::Column(size_t column) const {
    std::vector<std::string> cells;
    for (const auto& row : rows) cells.push_back(row.cells.at(column));
    return cells;
}

}  // namespace brisklow::testing
