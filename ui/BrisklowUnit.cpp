#include "ui/BrisklowUnit.h"

#include <exception>

#include "inventory/ScanProcesses.h"
#include "texts/SystemCodePage.h"
#include "texts/TextFormat.h"
#include "texts/UiTexts.h"
#include "texts/WebAddresses.h"
#include "ui/ListSorting.h"
#include "ui/ProcessRow.h"
#include "ui/WebLookup.h"

namespace brisklow {
namespace {

constexpr int kVirtualKeyReturn = 13;
constexpr int kInformationIcon = 1;
constexpr const char* kInitialPickerSelection = "xxxx777";
// Between the window's width and height: the multiplication sign, in Windows-1252 like the table.
constexpr const char* kSizeSign = " \xD7 ";

// Keeps the list's redrawing suspended for as long as rows are added, also when adding fails.
class RedrawSuspended {
  public:
    explicit RedrawSuspended(UiServices& ui) : ui_(ui) { ui_.SuspendRedraw(); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;
    ~RedrawSuspended() { ui_.ResumeRedraw(); }

  private:
    UiServices& ui_;
};

// Gives the scan button back when the scan command ends, whichever way it ends: the animation
// hidden and stopped, the button shown and enabled. The command's last step is GiveBack, whose
// failure leaves the command as any other failure does. When the command is left by an exception
// before that, the destructor gives the button back: every step is tried, and a failure of one is
// dropped, since the exception on its way already stands for the command and a second one thrown
// from a destructor would end the program.
class ScanButtonGivenBack {
  public:
    explicit ScanButtonGivenBack(UiServices& ui) : ui_(ui) {}
    ScanButtonGivenBack(const ScanButtonGivenBack&) = delete;
    ScanButtonGivenBack& operator=(const ScanButtonGivenBack&) = delete;
    ~ScanButtonGivenBack() {
        if (givenBack_) return;
        for (const auto step : kSteps) {
            try {
                step(ui_);
            } catch (...) {
            }
        }
    }

    void GiveBack() {
        for (const auto step : kSteps) step(ui_);
        givenBack_ = true;
    }

  private:
    static constexpr void (*kSteps[])(UiServices&) = {
        [](UiServices& ui) { ui.ShowControl(Control::Animate1, false); },
        [](UiServices& ui) { ui.PlayAnimation(false); },
        [](UiServices& ui) { ui.ShowControl(Control::StartButton, true); },
        [](UiServices& ui) { ui.EnableControl(Control::StartButton, true); },
    };

    UiServices& ui_;
    bool givenBack_ = false;
};

}  // namespace

TForm1::TForm1(UiServices& ui, WmiAccess& wmi, LocalServices local)
    : ui_(ui), wmi_(wmi), local_(std::move(local)) {}

void TForm1::FormCreate() {
    if (ui_.WindowsMajorVersion() >= 6) ui_.UseAnimationResource(kBusyAnimationResource);
    balloonCreated_ = false;
    balloonState_ = 0;
    timeFormat_ = ui_.UserLongTimeFormat();

    ui_.SetCaption(Control::PcLabel, UiText(3));
    ui_.SetCaption(Control::InfoButton, UiText(6));
    ui_.SetCaption(Control::GoogleButton, UiText(7));
    ui_.SetColumnHeader(6, UiText(14));
    ui_.SetColumnHeader(7, UiText(15));
    ui_.SetColumnHeader(8, UiText(16));
    ui_.SetCaption(Control::UserLabel, UiText(4));
    ui_.SetCaption(Control::PassLabel, UiText(5));
    for (int column = 0; column <= 5; ++column) ui_.SetColumnHeader(column, UiText(8 + column));
    ui_.SetColumnHeader(9, UiText(17));
    ui_.SetCaption(Control::StartButton, UiText(18));
    ui_.SetWindowCaption(UiText(0));
    ui_.SetApplicationTitle(UiText(0));

    ui_.SetText(Control::PcComboBox, local_.computerName());
    // Appended after "Administrator" without looking for it: that name may then stand twice.
    ui_.AppendEntry(Control::UserComboBox, local_.userName());
}

void TForm1::Paint() {
    if (!paintAttached_) return;
    paintAttached_ = false;
    FormPaint();
}

void TForm1::FormPaint() {
    CreateDetailsBalloon(UiText(1), UiText(2));
    ui_.HookListView();
    StartButtonClick();
}

void TForm1::FormClose() {
    if (!balloonCreated_) return;
    ui_.RemoveBalloonTool();
    ui_.DestroyBalloonWindow();
    balloonCreated_ = false;
}

void TForm1::StartButtonClick() {
    TPIArray table;
    ui_.DeleteAllRows();
    rows_.clear();
    // After the box below, if one comes; also when something else, or the box itself, fails.
    ScanButtonGivenBack buttonBack(ui_);
    try {
        ui_.EnableControl(Control::StartButton, false);
        ui_.ShowControl(Control::StartButton, false);
        ui_.ShowControl(Control::Animate1, true);
        ui_.PlayAnimation(true);

        const std::string password = ui_.GetText(Control::PasswordEdit);
        const std::string user = ui_.GetText(Control::UserComboBox);
        const std::string computer = ui_.GetText(Control::PcComboBox);
        ScanProcesses(wmi_, *this, computer, user, password, table);

        ShowRows(table);
        const auto count = static_cast<long long>(table.Length());
        ui_.SetStatusText(std::to_string(count) + " " + UiText(19));
        ui_.SetStatusText(FormatNumber(UiText(20), count));
        RememberComputer();
    } catch (const std::exception& error) {
        // The box comes up while the animation still runs; the button returns after it closes.
        ui_.ShowMessage(std::string("ListView ") + error.what());
    }
    buttonBack.GiveBack();
}

void TForm1::ShowRows(const TPIArray& table) {
    RedrawSuspended suspended(ui_);
    rows_.reserve(table.Length());
    for (const TProcesInformation& record : table) {
        rows_.push_back(FormatProcessRow(record, timeFormat_));
        ui_.AppendRow(rows_.back(), static_cast<intptr_t>(rows_.size() - 1));
    }
}

void TForm1::RememberComputer() {
    const std::string computer = ui_.GetText(Control::PcComboBox);
    const int index = ui_.FindEntry(Control::PcComboBox, computer);
    if (index < 0) {
        ui_.AppendEntry(Control::PcComboBox, computer);
        return;
    }
    // Names used again climb to the top and show as they were first stored.
    ui_.MoveEntry(Control::PcComboBox, index, 0);
    ui_.SelectEntry(Control::PcComboBox, 0);
}

void TForm1::PcEditKeyDown(int virtualKey) {
    if (virtualKey == kVirtualKeyReturn) StartButtonClick();
}

const std::vector<std::string>& TForm1::RowCells(intptr_t itemData) const {
    return rows_.at(static_cast<size_t>(itemData));
}

void TForm1::ListView1ColumnClick(int column) {
    const int flag = ui_.ColumnMinWidth(column) == 0 ? 1 : 0;
    ui_.SetColumnMinWidth(column, flag);
    const int key = SortKey(column, flag);
    ui_.SortRows([this, key](intptr_t item1, intptr_t item2) {
        return CompareListItems(RowCells(item1), RowCells(item2), key);
    });
}

void TForm1::CreateDetailsBalloon(const std::string& title, const std::string& text) {
    if (balloonCreated_) return;
    ui_.CreateBalloonWindow();
    balloonCreated_ = true;
    ui_.SetBalloonTitle(kInformationIcon, title);
    ui_.SetBalloonDelay(UiServices::BalloonDelay::Initial, kBalloonDelayMs);
    ui_.SetBalloonDelay(UiServices::BalloonDelay::AutoPop, kBalloonDelayMs);
    ui_.SetBalloonDelay(UiServices::BalloonDelay::Reshow, kBalloonDelayMs);
    ui_.ActivateBalloon(false);
    ui_.AddBalloonTool(text);
    local_.trace("--- created ---");
    balloonState_ = 0;
}

void TForm1::BalloonNotification(int code) {
    switch (code) {
        case kTtnShow:
            local_.trace("-- show");
            balloonState_ = kBalloonShown;
            break;
        case kTtnPop:
            if (balloonState_ == kBalloonShown) balloonState_ = ui_.TickCount();
            local_.trace("-- hide");
            break;
        case kTtnLinkClick:
            ui_.ShellOpen("open", web::kProductPage);
            ui_.HideBalloon();
            balloonState_ = 0;
            local_.trace("-- TTN_LINKCLICK");
            ui_.Beep();
            break;
        default:
            break;
    }
}

void TForm1::ListView1Click() {
    local_.trace("               CLICK");
    if (balloonState_ == kBalloonShown) {
        local_.trace("just showing");
        return;
    }
    // Unsigned subtraction keeps the guard right across the tick counter's wrap.
    if (ui_.TickCount() - balloonState_ < kBalloonReopenGuardMs) {
        local_.trace("just hidden");
        return;
    }
    local_.trace("just popup");
    ui_.ActivateBalloon(true);
    ui_.PopupBalloon();
}

void TForm1::FormDeactivate() {
    if (balloonCreated_) ui_.HideBalloon();
    balloonState_ = 0;
}

void TForm1::GoogleButtonClick() {
    const std::optional<intptr_t> selected = ui_.SelectedRow();
    if (!selected) {
        ui_.ShowMessage(UiText(27));
        return;
    }
    // The name came narrowed to this system's code page: read it back with the same one.
    ui_.ShellOpen(nullptr, SearchAddressFor(AnsiToUtf16(RowCells(*selected).at(0))));
}

void TForm1::InfoButtonClick() { ui_.ShellOpen("open", web::kInfoPage); }

void TForm1::StatusBarClick() {
    // In the screen's code page, as the table's texts are.
    static const std::string sign = Windows1252ToSystemCodePage(kSizeSign);
    const WindowSize size = ui_.OuterSize();
    ui_.SetStatusText(std::to_string(size.width) + sign + std::to_string(size.height));
}

void TForm1::DirButtonClick() {
    const std::string chosen = ui_.BrowseForComputer(UiText(26), kInitialPickerSelection);
    if (!chosen.empty()) ui_.SetText(Control::PcComboBox, chosen);
}

void TForm1::SetStatusText(const std::string& text) { ui_.SetStatusText(text); }

void TForm1::ShowErrorBox(const std::string& text, const std::string& caption) {
    ui_.ShowErrorBox(text, caption);
}

bool TForm1::UserEntryExists(const std::string& user) {
    return ui_.FindEntry(Control::UserComboBox, user) >= 0;
}

void TForm1::AppendUserEntry(const std::string& user) {
    ui_.AppendEntry(Control::UserComboBox, user);
}

}  // namespace brisklow
