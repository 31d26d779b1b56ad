#include "tests/e2e/StandinProgramTest.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace brisklow::e2e {
namespace {

constexpr auto kScanTimeout = std::chrono::seconds(120);

}  // namespace

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += "[" + text + "]";
    return all;
}

std::vector<std::string> LogTail::NewLines() {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    LARGE_INTEGER at{};
    at.QuadPart = offset_;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        offset_ += read;
        partial_.append(buffer, read);
    }
    CloseHandle(file);
    size_t start = 0;
    for (;;) {
        const size_t end = partial_.find('\n', start);
        if (end == std::string::npos) break;
        std::string line = partial_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    partial_.erase(0, start);
    return lines;
}

void StandinProgramTest::SetUp() {
    BRISKLOW_NEEDS_WINE("the WMI stand-in is registered only under Wine");
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string stem = std::string(temp) + "brisklow-" + test->test_suite_name() + "-" +
                             std::to_string(GetCurrentProcessId()) + "-" + test->name();
    networkPath_ = stem + ".json";
    logPath_ = stem + ".log";
    DeleteFileA(logPath_.c_str());
}

void StandinProgramTest::TearDown() {
    // The program goes first: it holds the log open.
    program_.reset();
    DeleteFileA(networkPath_.c_str());
    DeleteFileA(logPath_.c_str());
}

ScanEnd StandinProgramTest::StartOn(const std::string& networkFile,
                                    const RunningProgram::Environment& more) {
    tail_ = std::make_unique<LogTail>(logPath_);
    RunningProgram::Environment environment{{"BRISKLOW_WMI_NETWORK", networkFile},
                                            {"BRISKLOW_WMI_LOG", logPath_}};
    environment.insert(environment.end(), more.begin(), more.end());
    program_ = std::make_unique<RunningProgram>(environment);
    return WaitForScanEnd(0);
}

ScanEnd StandinProgramTest::Start(const std::string& network,
                                  const RunningProgram::Environment& more) {
    std::ofstream(networkPath_, std::ios::binary) << network;
    return StartOn(networkPath_, more);
}

void StandinProgramTest::PollLog() {
    if (!tail_) return;
    for (std::string& line : tail_->NewLines()) {
        if (line == "live 0") ++scansEnded_;
        log_.push_back(line);
        segment_.push_back(std::move(line));
    }
}

const std::vector<std::string>& StandinProgramTest::LogLines() {
    PollLog();
    return log_;
}

size_t StandinProgramTest::SegmentCount(const std::string& line) const {
    return static_cast<size_t>(std::count(segment_.begin(), segment_.end(), line));
}

bool StandinProgramTest::Idle() const {
    HWND button = Of(Control::StartButton);
    return IsWindowVisible(button) && IsWindowEnabled(button) && program_->MessageBoxes().empty();
}

ScanEnd StandinProgramTest::WaitForScanEnd(size_t scansBefore) {
    ScanEnd end;
    const auto over = [&] {
        PollLog();
        return scansEnded_ > scansBefore && Idle();
    };
    end.ended =
        WaitUntil([&] { return !program_->MessageBoxes().empty() || over(); }, kScanTimeout);
    const auto boxes = program_->MessageBoxes();
    if (!boxes.empty()) {
        end.boxCaption = TextOf(boxes.front());
        end.boxTexts = RunningProgram::BoxTexts(boxes.front());
        RunningProgram::CloseMessageBox(boxes.front());
        end.ended = WaitUntil(over, kScanTimeout);
    }
    return end;
}

ScanEnd StandinProgramTest::Scan(const std::string& computer, const std::string& user,
                                 const std::string& password, Control enterIn,
                                 const std::function<void()>& whileRunning) {
    return ScanStartedBy([&] {
        Type(Of(Control::PcComboBox), computer);
        Type(Of(Control::UserComboBox), user);
        Type(Of(Control::PasswordEdit), password);
        PressEnter(Of(enterIn));
        if (whileRunning) whileRunning();
    });
}

ScanEnd StandinProgramTest::ScanStartedBy(const std::function<void()>& start) {
    PollLog();
    segment_.clear();
    const size_t before = scansEnded_;
    start();
    return WaitForScanEnd(before);
}

std::string StandinProgramTest::Cell(int row, int column) const {
    return program_->ListCell(Of(Control::ListView1), row, column);
}

int StandinProgramTest::RowCount() const {
    return static_cast<int>(SendMessageA(Of(Control::ListView1), LVM_GETITEMCOUNT, 0, 0));
}

std::vector<Row> StandinProgramTest::Rows() const {
    return program_->ListRows(Of(Control::ListView1), kColumns);
}

std::string StandinProgramTest::Status() const {
    return program_->StatusText(Of(Control::StatusBar));
}

}  // namespace brisklow::e2e
