#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "inventory/ProcessRecord.h"
#include "inventory/ScanSink.h"
#include "inventory/WmiAccess.h"
#include "platform/LocalIdentity.h"
#include "platform/UiServices.h"
#include "resources/ResourceIds.h"

namespace brisklow {

// Geometry of the main window at 96 dpi.
inline constexpr int kFormOuterWidth = 930;
inline constexpr int kFormOuterHeight = 697;
inline constexpr int kBusyAnimationResource = IDR_BUSY_AVI;

// The local computer's identity and the trace channel; tests put their own in.
struct LocalServices {
    std::function<std::string()> computerName = GetLocalComputerName;
    std::function<std::string()> userName = GetLocalUserName;
    std::function<void(const std::string&)> trace = DebugTrace;
};

// The balloon's state: 0 closed and free to open, 5 open, else the tick count when it closed.
inline constexpr uint32_t kBalloonShown = 5;
inline constexpr uint32_t kBalloonReopenGuardMs = 500;
inline constexpr int kBalloonDelayMs = 32000;
inline constexpr int kTtnShow = -521;
inline constexpr int kTtnPop = -522;
inline constexpr int kTtnLinkClick = -523;

// The main window's logic: one handler per user event, written against the UI seam only. The
// platform side creates the controls and calls these handlers.
class TForm1 : private ScanSink {
  public:
    TForm1(UiServices& ui, WmiAccess& wmi, LocalServices local = {});

    // Events of the window.
    void FormCreate();
    void Paint();  // every paint; the first one runs FormPaint
    void FormClose();
    void FormDeactivate();

    // Events of the controls.
    void StartButtonClick();
    void PcEditKeyDown(int virtualKey);
    void ListView1Click();
    void ListView1ColumnClick(int column);
    void GoogleButtonClick();
    void InfoButtonClick();
    void StatusBarClick();
    void DirButtonClick();
    // A notification that the balloon sent to the list's window (TTN_SHOW, TTN_POP, TTN_LINKCLICK).
    void BalloonNotification(int code);

    // The cell texts of the row whose item data is `itemData`.
    const std::vector<std::string>& RowCells(intptr_t itemData) const;

    uint32_t BalloonState() const { return balloonState_; }

  private:
    void FormPaint();
    void CreateDetailsBalloon(const std::string& title, const std::string& text);
    void RememberComputer();
    void ShowRows(const TPIArray& table);

    // Where the scan shows itself.
    void SetStatusText(const std::string& text) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    bool UserEntryExists(const std::string& user) override;
    void AppendUserEntry(const std::string& user) override;

    UiServices& ui_;
    WmiAccess& wmi_;
    LocalServices local_;
    LongTimeFormat timeFormat_;
    bool paintAttached_ = true;
    bool balloonCreated_ = false;
    uint32_t balloonState_ = 0;
    // The cells of the shown rows; each row's item data is its index here.
    std::vector<std::vector<std::string>> rows_;
};

}  // namespace brisklow
