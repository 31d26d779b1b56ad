#pragma once
// The real Brisklow.exe in the scan tests' prefix, where the WMI stand-in serves a network file
// and writes its call log: starting it, scanning as a person would (typing the boxes, pressing
// Enter, closing an error box), and reading the list, the status line and the log.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/RunningProgram.h"
#include "ui/MainWindow.h"

namespace brisklow::e2e {

inline constexpr int kColumns = 10;
using Row = std::vector<std::string>;

// What the end of a scan showed: the error box, if one came.
struct ScanEnd {
    bool ended = false;
    std::string boxCaption;
    std::vector<std::string> boxTexts;
};

// The texts in brackets, one after the other, for failure messages.
std::string Joined(const std::vector<std::string>& texts);

// The lines appended to a log file since the last look; a partial last line waits for its end.
class LogTail {
  public:
    explicit LogTail(std::string path) : path_(std::move(path)) {}
    std::vector<std::string> NewLines();

  private:
    std::string path_;
    long long offset_ = 0;
    std::string partial_;
};

class StandinProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program on the network file `networkFile`, with `more` variables in its
    // environment, and waits for its first scan to end.
    ScanEnd StartOn(const std::string& networkFile, const RunningProgram::Environment& more = {});
    // The same on a network file of the test's own holding `network` (JSON).
    ScanEnd Start(const std::string& network, const RunningProgram::Environment& more = {});

    HWND Of(Control control) const { return program_->Control(ControlId(control)); }

    // Types the three boxes as given and presses Enter in `enterIn`; runs `whileRunning`, if
    // given, then waits for the scan to end. The log lines of that scan are in segment_ afterwards.
    ScanEnd Scan(const std::string& computer, const std::string& user = {},
                 const std::string& password = {}, Control enterIn = Control::PasswordEdit,
                 const std::function<void()>& whileRunning = {});
    // Runs `start`, which starts a scan as a person would, and waits for that scan to end, as Scan.
    ScanEnd ScanStartedBy(const std::function<void()>& start);
    // Waits for the scan after `scansBefore` ended scans to end; an error box that comes on the
    // way is read and closed, as a person would close it.
    ScanEnd WaitForScanEnd(size_t scansBefore);
    // The scan command is over when its button is back, shown and enabled, and no box is open.
    bool Idle() const;

    std::string Cell(int row, int column) const;
    int RowCount() const;
    std::vector<Row> Rows() const;
    std::string Status() const;

    // Every line of the call log so far.
    const std::vector<std::string>& LogLines();
    size_t SegmentCount(const std::string& line) const;

    std::string networkPath_;
    std::string logPath_;
    std::unique_ptr<RunningProgram> program_;
    std::vector<std::string> segment_;  // the log lines of the last scan

  private:
    void PollLog();

    std::unique_ptr<LogTail> tail_;
    std::vector<std::string> log_;
    size_t scansEnded_ = 0;  // every scan ends with no object of the stand-in alive: "live 0"
};

}  // namespace brisklow::e2e
