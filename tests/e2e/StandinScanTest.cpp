// Scans by the real program: Brisklow.exe started under Wine with the WMI stand-in registered in
// its prefix, driven from outside as a person would drive it (typing into the boxes, Enter, header
// clicks) and read from outside (the list's rows, the status line, the computer list, the error
// box). The stand-in serves this computer's live process table and the simulated computers of a
// network file that each case writes; its call log shows what the program asked for.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/HandleOwners.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/e2e/StandinProgramTest.h"
#include "ui/MainWindow.h"

namespace brisklow::e2e {
namespace {

constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;
constexpr int kPidColumn = 2;

// The CPU times of one minute and of one hour as the locale that CTest starts this case in writes
// them: a time of day that long after midnight for the minute, hours, minutes and seconds for the
// hour. Wine takes the locale from LANG.
struct LocaleTimes {
    std::string minute, hour;
};

std::string Lang() {
    char name[64] = {};
    const DWORD length = GetEnvironmentVariableA("LANG", name, sizeof name);
    return std::string(name, length < sizeof name ? length : 0);
}

std::optional<LocaleTimes> TimesOfTheLocale() {
    const std::string lang = Lang();
    if (lang.rfind("en_US", 0) == 0) return LocaleTimes{"12:01:00 AM", "1:00:00"};
    if (lang.rfind("pt_BR", 0) == 0) return LocaleTimes{"00:01:00", "01:00:00"};
    return std::nullopt;
}

// A text as the code page carries it, read back in UTF-16.
std::wstring AsTheCodePageCarriesIt(const std::wstring& text) {
    const std::string narrow = InTheCodePage(text);
    const int narrowLength = static_cast<int>(narrow.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, narrow.data(), narrowLength, nullptr, 0);
    std::wstring back(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), narrowLength, back.data(), length);
    return back;
}

// JSON's spelling of a text, every character beyond ASCII as its \u escape.
std::string JsonText(const std::wstring& text) {
    std::string json;
    for (const wchar_t c : text) {
        if (c < 0x80) {
            json += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            json += escape;
        }
    }
    return json;
}

// A window's text asked in UTF-16 (the system carries the message across processes): what the
// screen shows, whatever code page this process has.
std::wstring WideText(HWND window) {
    wchar_t text[1024] = {};
    const auto length = SendMessageW(window, WM_GETTEXT, sizeof text / sizeof text[0],
                                     reinterpret_cast<LPARAM>(text));
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// The texts of a message box's static controls, in UTF-16.
std::vector<std::wstring> WideBoxTexts(HWND box) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Static") texts.push_back(WideText(child));
    }
    return texts;
}

std::string Shown(const std::wstring& text) {
    std::string shown;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escape[12];
            std::snprintf(escape, sizeof escape, "<U+%04X>", static_cast<unsigned>(c));
            shown += escape;
        }
    }
    return shown;
}

std::string Shown(const std::vector<std::wstring>& texts) {
    std::string shown;
    for (const std::wstring& text : texts) shown += "[" + Shown(text) + "]";
    return shown;
}

// The processes of this computer by id, as the system's process snapshot gives them.
std::map<DWORD, std::string> ProcessSnapshot() {
    std::map<DWORD, std::string> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        processes[entry.th32ProcessID] = entry.szExeFile;
    }
    CloseHandle(snapshot);
    return processes;
}

// One simulated process in the network file's form.
std::string ProcessJson(const std::string& name, const std::string& path, long long id,
                        const std::string& workingSet, const std::string& userTime,
                        const std::string& kernelTime) {
    std::ostringstream json;
    json << R"({"Name": ")" << name << R"(", "ExecutablePath": )" << path << R"(, "ProcessID": )"
         << id << R"(, "ParentProcessId": 4, "SessionID": 1,)"
         << R"( "ThreadCount": 3, "Priority": 8, "WorkingSetSize": ")" << workingSet
         << R"(", "HandleCount": 25, "UserModeTime": ")" << userTime << R"(", "KernelModeTime": ")"
         << kernelTime << R"("})";
    return json.str();
}

std::string NumberedProcesses(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        if (i) list += ", ";
        list += ProcessJson("p" + std::to_string(i) + ".exe", "null", 100 + i, "4096", "0", "0");
    }
    return list;
}

// The network of most cases: the edge values, a computer that wants an account, one that fails
// part way, and the two names of the computer list's case.
std::string TestNetwork() {
    const std::string edge =
        ProcessJson("System", "null", 4, "3221225472", "14999999", "5000000") + ",\n" +
        ProcessJson("tie.exe", R"("C:\\Tie\\tie.exe")", 996, "0", "15000000", "25000000") + ",\n" +
        ProcessJson("fiftynine.exe", R"("C:\\A\\fiftynine.exe")", 1000, "8192", "590000000", "0") +
        ",\n" +
        ProcessJson("minute.exe", R"("C:\\A\\minute.exe")", 4294967295LL, "1024", "600000000",
                    "0") +
        ",\n" + ProcessJson("hour.exe", R"("C:\\A\\hour.exe")", 70, "2048", "36000000000", "0") +
        ",\n" + ProcessJson("idle.exe", R"("C:\\A\\idle.exe")", 0, "4096", "0", "0");
    return R"({"computers": [
  {"name": "EDGE", "processes": [)" +
           edge + R"(]},
  {"name": "LOCKED", "accounts": [{"user": "admin", "password": "s3cret"}],
   "processes": [)" +
           NumberedProcesses(2) + R"(]},
  {"name": "FAILING", "failures": [{"call": "Item:ThreadCount", "hresult": "0x80041001",
                                   "description": "Generic failure", "atProcess": 7}],
   "processes": [)" +
           NumberedProcesses(10) + R"(]},
  {"name": "Server1", "processes": [)" +
           NumberedProcesses(1) + R"(]},
  {"name": "pc3", "processes": [)" +
           NumberedProcesses(3) + R"(]}
]})";
}

class BrisklowScan : public StandinProgramTest {
  protected:
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < RowCount(); ++row) cells.push_back(Cell(row, column));
        return cells;
    }

    std::vector<std::string> ComputerEntries() const { return Entries(Control::PcComboBox); }

    std::vector<std::string> Entries(Control control) const {
        HWND box = Of(control);
        std::vector<std::string> entries;
        const auto count = SendMessageA(box, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            // Asked in UTF-16: under Wine the 8-bit form of this message brings only the first
            // character of the entry across processes.
            wchar_t wide[512] = {};
            const auto length = SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(wide));
            char text[1024] = {};
            const int bytes = length > 0
                                  ? WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length),
                                                        text, sizeof text, nullptr, nullptr)
                                  : 0;
            entries.emplace_back(text, bytes > 0 ? static_cast<size_t>(bytes) : 0);
        }
        return entries;
    }

    // The status line in UTF-16, asked of the status bar in the program's memory.
    std::wstring WideStatus() const {
        constexpr size_t kChars = 512;
        RemoteBlock block(program_->process(), kChars * sizeof(wchar_t));
        const wchar_t empty[kChars] = {};
        block.Write(empty, sizeof empty);
        const auto result = SendMessageW(Of(Control::StatusBar), SB_GETTEXTW, 0,
                                         reinterpret_cast<LPARAM>(block.address()));
        wchar_t text[kChars] = {};
        block.Read(text, sizeof text);
        return std::wstring(text, std::min<size_t>(LOWORD(result), kChars - 1));
    }

    // A column header of the list in UTF-16.
    std::wstring WideHeader(int column) const {
        constexpr size_t kChars = 256;
        constexpr size_t kTextOffset = sizeof(LVCOLUMNW);
        RemoteBlock block(program_->process(), kTextOffset + kChars * sizeof(wchar_t));
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT;
        info.pszText =
            reinterpret_cast<wchar_t*>(static_cast<char*>(block.address()) + kTextOffset);
        info.cchTextMax = kChars;
        block.Write(&info, sizeof info);
        const wchar_t empty[kChars] = {};
        block.Write(empty, sizeof empty, kTextOffset);
        if (!SendMessageW(Of(Control::ListView1), LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                          reinterpret_cast<LPARAM>(block.address()))) {
            return L"(no column)";
        }
        wchar_t text[kChars] = {};
        block.Read(text, sizeof text, kTextOffset);
        return text;
    }

    // The program's details balloon: its one tooltip window in the balloon style.
    HWND Balloon() const {
        const std::vector<HWND> balloons = BalloonsOf(program_->processId());
        return balloons.size() == 1 ? balloons.front() : nullptr;
    }

    // The text of the balloon's tool on the list, in UTF-16. (Its title, "Mais detalhes...", is
    // ASCII, and Wine's tooltip does not answer the request for the title.)
    std::wstring WideBalloonText(HWND balloon) const {
        // The tooltip copies a tool's text into a buffer of its own size, 1,024 characters.
        constexpr size_t kChars = 1024;
        constexpr size_t kTextOffset = sizeof(TTTOOLINFOW);
        RemoteBlock block(program_->process(), kTextOffset + kChars * sizeof(wchar_t));
        auto* base = static_cast<char*>(block.address());
        const wchar_t empty[kChars] = {};
        block.Write(empty, sizeof empty, kTextOffset);
        HWND list = Of(Control::ListView1);
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = list;
        tool.uId = reinterpret_cast<UINT_PTR>(list);
        tool.lpszText = reinterpret_cast<wchar_t*>(base + kTextOffset);
        block.Write(&tool, sizeof tool);
        SendMessageW(balloon, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(base));
        wchar_t text[kChars] = {};
        block.Read(text, sizeof text, kTextOffset);
        return text;
    }

    // A mouse click in the middle of a column's header item.
    void ClickHeader(int column) const {
        HWND header =
            reinterpret_cast<HWND>(SendMessageA(Of(Control::ListView1), LVM_GETHEADER, 0, 0));
        ASSERT_NE(header, nullptr);
        RemoteBlock block(program_->process(), sizeof(RECT));
        ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                                 reinterpret_cast<LPARAM>(block.address())));
        RECT rect{};
        block.Read(&rect, sizeof rect);
        ClickAt(header, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
};

TEST_F(BrisklowScan, FirstScanListsTheProcessesOfThisComputer) {
    const auto before = ProcessSnapshot();
    const ScanEnd first = Start(TestNetwork());
    const auto after = ProcessSnapshot();
    ASSERT_TRUE(first.ended) << "the first scan did not end";
    ASSERT_TRUE(first.boxTexts.empty()) << first.boxCaption << ": " << Joined(first.boxTexts);

    const std::vector<Row> rows = Rows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(Status(), std::to_string(rows.size()) + " processos");
    std::map<DWORD, std::string> listed;
    for (const Row& row : rows) {
        listed[static_cast<DWORD>(std::stoul(row[kPidColumn]))] = row[kNameColumn];
    }
    EXPECT_EQ(listed.size(), rows.size()) << "each process once";

    // Every listed process was there before the scan or after it; only Wine's desktop process
    // (explorer.exe) may come with the program's window and go again between the two.
    for (const auto& [id, name] : listed) {
        if (before.count(id) || after.count(id)) continue;
        EXPECT_EQ(name, "explorer.exe") << "neither before nor after the scan: " << id;
    }
    // Every process that was there before and after it is listed, under its name.
    for (const auto& [id, name] : before) {
        const auto still = after.find(id);
        if (still == after.end() || still->second != name) continue;
        const auto row = listed.find(id);
        ASSERT_NE(row, listed.end()) << "not listed: " << id << " " << name;
        EXPECT_EQ(row->second, name) << id;
    }
    ASSERT_TRUE(listed.count(GetCurrentProcessId()));
    EXPECT_EQ(listed[GetCurrentProcessId()], "brisklow_scan_tests.exe");
    ASSERT_TRUE(listed.count(program_->processId()));
    EXPECT_EQ(listed[program_->processId()], "Brisklow.exe");

    // The scanned computer is remembered as the first entry of the computer list.
    EXPECT_EQ(ComputerEntries(), std::vector<std::string>{ComputerName()});
}

TEST_F(BrisklowScan, SimulatedComputerShowsTheExactCellTexts) {
    const std::optional<LocaleTimes> times = TimesOfTheLocale();
    ASSERT_TRUE(times) << "start this case under LANG=en_US.UTF-8 or LANG=pt_BR.UTF-8";
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const ScanEnd end = Scan("EDGE");
    ASSERT_TRUE(end.ended);
    ASSERT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    const std::vector<Row> expected = {
        {"System", "", "4", "4", "3145728 K", "1 s", "25", "1", "3", "8"},
        {"tie.exe", "C:\\Tie\\tie.exe", "996", "4", "0 K", "4 s", "25", "1", "3", "8"},
        {"fiftynine.exe", "C:\\A\\fiftynine.exe", "1000", "4", "8 K", "59 s", "25", "1", "3", "8"},
        {"minute.exe", "C:\\A\\minute.exe", "4294967295", "4", "1 K", times->minute, "25", "1", "3",
         "8"},
        {"hour.exe", "C:\\A\\hour.exe", "70", "4", "2 K", times->hour, "25", "1", "3", "8"},
        {"idle.exe", "C:\\A\\idle.exe", "0", "4", "4 K", "", "25", "1", "3", "8"},
    };
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(Status(), "6 processos");
}

TEST_F(BrisklowScan, BusyAnimationPlaysOnAThreadOfItsOwnInTheScanButtonsPlaceWhileAScanRuns) {
    // SLOW keeps the connection, and the scan the window with it, until this test sets the event.
    const std::string hold = "brisklow-hold-" + std::to_string(GetCurrentProcessId());
    const UniqueKernelHandle release(CreateEventA(nullptr, TRUE, FALSE, hold.c_str()));
    ASSERT_NE(release.get(), nullptr);
    ASSERT_TRUE(Start(R"({"computers": [{"name": "SLOW", "holdConnectUntil": ")" + hold +
                      R"(", "processes": [)" +
                      ProcessJson("slow.exe", "null", 7, "4096", "0", "0") + "]}]}")
                    .ended);
    HWND button = Of(Control::StartButton);
    HWND animation = Of(Control::Animate1);
    EXPECT_FALSE(IsWindowVisible(animation));
    // A thread of the program that does not scan: not the one of the main window.
    DWORD animationProcess = 0;
    const DWORD animationThread = GetWindowThreadProcessId(animation, &animationProcess);
    EXPECT_EQ(animationProcess, program_->processId());
    EXPECT_NE(animationThread, GetWindowThreadProcessId(program_->main(), nullptr));
    const RECT frame{0, 0, 16, 16};
    // The dot of the program's own clip (resource 152); the system's find-computer clip has none.
    const COLORREF dot = RGB(16, 104, 160);
    // Only window state and the screen are read while the scan holds the window's thread.
    const auto watchTheHeldScan = [&] {
        ASSERT_TRUE(WaitUntil([&] {
            return IsWindowVisible(animation) && !IsWindowVisible(button);
        })) << "the animation did not take the scan button's place";
        const RECT place = RectIn(animation, program_->main());
        EXPECT_EQ(place.left, 472);
        EXPECT_EQ(place.top, 27);
        EXPECT_EQ(place.right - place.left, 16);
        EXPECT_EQ(place.bottom - place.top, 16);
        // While the scan blocks the window, the clip's frames go on changing on the screen.
        const ScreenPicture first(animation, frame);
        EXPECT_TRUE(WaitUntil([&] { return !ScreenPicture(animation, frame).SameAs(first); }))
            << "the frames do not advance";
        EXPECT_TRUE(WaitUntil([&] {
            const ScreenPicture now(animation, frame);
            return now.CountOtherThan(dot, 0, now.height()) < now.width() * now.height();
        })) << "not the program's own clip";
    };
    const ScanEnd end = Scan("SLOW", {}, {}, Control::PasswordEdit, [&] {
        watchTheHeldScan();
        SetEvent(release.get());
    });
    ASSERT_TRUE(end.ended);
    EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    EXPECT_EQ(Status(), "1 processos");
    EXPECT_TRUE(IsWindowVisible(button));
    EXPECT_FALSE(IsWindowVisible(animation));

    // Closing the window ends the animation's thread with it, and the program.
    ASSERT_TRUE(IsWindow(animation));
    EXPECT_EQ(program_->CloseAndWait(), 0);
}

TEST_F(BrisklowScan, RefusedCredentialsShowTheErrorBoxAndCountNothing) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const ScanEnd end = Scan("LOCKED", "admin", "wrong");
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.boxCaption, "erro WMI");
    const std::string text = Joined(end.boxTexts);
    EXPECT_NE(text.find("erro WMI\rAccess denied\rCode: 2\r\r"), std::string::npos) << text;
    EXPECT_NE(text.find("\"WMI Access denied\""), std::string::npos) << text;
    EXPECT_EQ(Status(), "0 processos");
    EXPECT_EQ(RowCount(), 0);

    // The right pair connects.
    const ScanEnd right = Scan("LOCKED", "admin", "s3cret");
    ASSERT_TRUE(right.ended);
    EXPECT_TRUE(right.boxTexts.empty()) << Joined(right.boxTexts);
    EXPECT_EQ(Status(), "2 processos");
}

TEST_F(BrisklowScan, UserNameForThisComputerShowsTheErrorBoxAndIsNotRemembered) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const std::vector<std::string> users = Entries(Control::UserComboBox);
    // This computer with the user box filled, as after scanning a server under an account.
    const ScanEnd end = Scan(ComputerName(), "operador", {}, Control::PcComboBox);
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.boxCaption, "erro WMI");
    const std::string text = Joined(end.boxTexts);
    const std::string refusal = "User credentials cannot be used for local connections";
    EXPECT_NE(text.find("erro WMI\r" + refusal + "\rCode: 2\r\r"), std::string::npos) << text;
    EXPECT_EQ(Status(), "0 processos");
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(Entries(Control::UserComboBox), users) << "the user is not remembered";
}

TEST_F(BrisklowScan, FailureAtProcessSevenLeavesEightRows) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const ScanEnd end = Scan("FAILING");
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.boxCaption, "erro WMI");
    const std::string text = Joined(end.boxTexts);
    EXPECT_NE(text.find("\rGeneric failure\rCode: 8 7\r"), std::string::npos) << text;
    ASSERT_EQ(RowCount(), 8);
    EXPECT_EQ(Status(), "8 processos");
    // The eighth row stops at its thread count: the values after it keep their defaults.
    const Row expectedLast = {"p7.exe", "", "107", "4", "0 K", "", "0", "1", "0", "0"};
    EXPECT_EQ(Rows().back(), expectedLast);
    EXPECT_EQ(Cell(6, 4), "4 K") << "the row before is complete";
}

TEST_F(BrisklowScan, ComputerListKeepsTheFirstSpellingAndMovesUsedNamesUp) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const std::string local = ComputerName();
    ASSERT_EQ(ComputerEntries(), std::vector<std::string>{local});

    ASSERT_TRUE(Scan("Server1", {}, {}, Control::PcComboBox).ended);
    EXPECT_EQ(ComputerEntries(), (std::vector<std::string>{local, "Server1"}));

    ASSERT_TRUE(Scan("server1", {}, {}, Control::PcComboBox).ended);
    EXPECT_EQ(Status(), "1 processos") << "the name reaches the same computer";
    EXPECT_EQ(ComputerEntries(), (std::vector<std::string>{"Server1", local}));
    EXPECT_EQ(SendMessageA(Of(Control::PcComboBox), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ControlText(Of(Control::PcComboBox)), "Server1");

    ASSERT_TRUE(Scan("pc3", {}, {}, Control::PcComboBox).ended);
    EXPECT_EQ(Status(), "3 processos");
    EXPECT_EQ(ComputerEntries(), (std::vector<std::string>{"Server1", local, "pc3"}));
    EXPECT_EQ(ControlText(Of(Control::PcComboBox)), "pc3");
}

TEST_F(BrisklowScan, UserListHoldsTheEmptyUserOnceAndEachNameInItsFirstSpelling) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    for (int scan = 0; scan < 3; ++scan) {
        const ScanEnd end = Scan("Server1", {}, {}, Control::PcComboBox);
        ASSERT_TRUE(end.ended);
        ASSERT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    }
    std::vector<std::string> users = Entries(Control::UserComboBox);
    EXPECT_EQ(std::count(users.begin(), users.end(), std::string()), 1) << Joined(users);

    ASSERT_TRUE(Scan("LOCKED", "Admin", "s3cret").ended);
    EXPECT_EQ(Status(), "2 processos");
    users.push_back("Admin");
    EXPECT_EQ(Entries(Control::UserComboBox), users);
    ASSERT_TRUE(Scan("LOCKED", "admin", "s3cret").ended);
    EXPECT_EQ(Status(), "2 processos");
    EXPECT_EQ(Entries(Control::UserComboBox), users);
}

TEST_F(BrisklowScan, HeaderClickSortsByValueDescendingThenAscending) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    ASSERT_TRUE(Scan("EDGE").ended);
    ASSERT_EQ(Column(kPidColumn),
              (std::vector<std::string>{"4", "996", "1000", "4294967295", "70", "0"}));

    const std::vector<std::string> descending = {"4294967295", "1000", "996", "70", "4", "0"};
    ClickHeader(kPidColumn);
    EXPECT_TRUE(
        WaitUntil([&] { return Column(kPidColumn) == descending; }, std::chrono::seconds(5)))
        << Joined(Column(kPidColumn));
    // Whole rows move: the name goes with its id.
    EXPECT_EQ(Cell(0, kNameColumn), "minute.exe");
    EXPECT_EQ(Cell(0, kPathColumn), "C:\\A\\minute.exe");

    const std::vector<std::string> ascending(descending.rbegin(), descending.rend());
    ClickHeader(kPidColumn);
    EXPECT_TRUE(WaitUntil([&] { return Column(kPidColumn) == ascending; }, std::chrono::seconds(5)))
        << Joined(Column(kPidColumn));
    EXPECT_EQ(Cell(5, kNameColumn), "minute.exe");
}

TEST_F(BrisklowScan, CallLogShowsTheCallsInOrderAndEachScanEndsWithNothingAlive) {
    ASSERT_TRUE(Start(TestNetwork()).ended);
    const std::vector<std::string> first = LogLines();
    ASSERT_FALSE(first.empty());
    // The first scan: this computer, under the caller's own credentials.
    EXPECT_EQ(first.front(), "ConnectServer server=" + ComputerName() +
                                 " namespace=root\\CIMV2 user= passwordLength=0 locale= "
                                 "authority= flags=0 namedValues=null result=0x00000000");
    EXPECT_EQ(first.back(), "live 0");
    EXPECT_EQ(std::count(first.begin(), first.end(), "live 0"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "Next count=1 result=0x00000000"), RowCount());

    ASSERT_TRUE(Scan("LOCKED", "admin", "s3cret").ended);
    ASSERT_TRUE(Scan("LOCKED", "admin", "wrong").ended);
    std::vector<std::string> expected = {
        "ConnectServer server=LOCKED namespace=root\\CIMV2 user=admin passwordLength=6 "
        "locale= authority= flags=0 namedValues=null result=0x00000000",
        "get_Security_ result=0x00000000",
        "put_ImpersonationLevel level=3 result=0x00000000",
        "get_Security_ result=0x00000000",
        "get_Privileges result=0x00000000",
        "Add privilege=19 enabled=true result=0x00000000",
        "Get path=Win32_Process flags=131072 namedValues=null result=0x00000000",
        "Instances_ flags=0 namedValues=null result=0x00000000",
        "get__NewEnum result=0x00000000",
        "QueryInterface:IEnumVARIANT result=0x00000000"};
    for (int process = 0; process < 2; ++process) {
        expected.push_back("Next count=1 result=0x00000000");
        expected.push_back("QueryInterface:ISWbemObject result=0x00000000");
        expected.push_back("get_Properties_ result=0x00000000");
        for (const char* name :
             {"Name", "ExecutablePath", "ProcessID", "ParentProcessId", "SessionID", "ThreadCount",
              "Priority", "WorkingSetSize", "HandleCount", "UserModeTime", "KernelModeTime"}) {
            expected.push_back(std::string("Item name=") + name + " flags=0 result=0x00000000");
            expected.push_back(std::string("get_Value name=") + name + " result=0x00000000");
        }
    }
    expected.push_back("Next count=1 result=0x00000001");
    expected.push_back("live 0");
    expected.push_back(
        "ConnectServer server=LOCKED namespace=root\\CIMV2 user=admin passwordLength=5 "
        "locale= authority= flags=0 namedValues=null result=0x80070005");
    expected.push_back("live 0");

    const std::vector<std::string> all = LogLines();
    ASSERT_GE(all.size(), first.size());
    const std::vector<std::string> later(all.begin() + static_cast<long>(first.size()), all.end());
    EXPECT_EQ(later, expected);
    for (const std::string& line : all) {
        EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
        EXPECT_EQ(line.find("wrong"), std::string::npos) << line;
    }
}

// The program's own texts, carried as Windows-1252, read in the system's code page: under
// LANG=hi_IN.UTF-8 that is UTF-8 and every character must read right; under ko_KR.UTF-8 it is 949,
// where each character the code page has must read right (the multiplication sign among them) and
// the others as the system's nearest. Everything joined with them, names and messages, is in the
// same code page. Read back in UTF-16, as the screen shows it.
TEST_F(BrisklowScan, TextsReadRightInTheSystemsCodePage) {
    const std::string lang = Lang();
    const bool hindi = lang.rfind("hi_IN", 0) == 0;
    const bool korean = lang.rfind("ko_KR", 0) == 0;
    if (hindi) {
        ASSERT_EQ(GetACP(), 65001u) << "UTF-8 as the ANSI code page";
    }
    if (korean) {
        ASSERT_EQ(GetACP(), 949u) << "the Korean ANSI code page";
    }
    const auto carried = [](const std::wstring& text) { return AsTheCodePageCarriesIt(text); };

    // A computer named in characters of the code page, whose connection fails with a message that
    // has characters beyond ASCII.
    const std::wstring portuguese = L"S\u00c3O-PAULO";
    const std::wstring computer =
        carried(portuguese) == portuguese ? portuguese : L"SEUL-\uc11c\uc6b8";
    const std::wstring failure = L"Falha gen\u00e9rica \u00d7 2";
    ASSERT_TRUE(Start(R"({"computers": [{"name": ")" + JsonText(computer) +
                      R"(", "failures": [{"call": "ConnectServer", "hresult": "0x80041001",
                          "description": ")" +
                      JsonText(failure) + R"("}], "processes": [)" + NumberedProcesses(1) + "]}]}")
                    .ended);

    EXPECT_EQ(WideText(program_->main()), L"Brisklow");
    const std::pair<Control, std::wstring> captions[] = {
        {Control::PcLabel, L"Computador"},  {Control::UserLabel, L"&Usu\u00e1rio"},
        {Control::PassLabel, L"&Senha"},    {Control::InfoButton, L"Sobre"},
        {Control::GoogleButton, L"Google"}, {Control::StartButton, L"&Verifique agora"},
    };
    for (const auto& [control, caption] : captions) {
        EXPECT_EQ(WideText(Of(control)), carried(caption)) << Shown(WideText(Of(control)));
    }
    const std::wstring headers[kColumns] = {
        L"Processo",     L"Pasta",        L"ID do Processs",  L"PID do processo pai",
        L"Mem\u00f3ria", L"Tempo de CPU", L"Identificadores", L"Sess\u00e3o",
        L"Threads",      L"Prioridade"};
    for (int column = 0; column < kColumns; ++column) {
        EXPECT_EQ(WideHeader(column), carried(headers[column])) << Shown(WideHeader(column));
    }

    HWND balloon = Balloon();
    ASSERT_NE(balloon, nullptr);
    const std::wstring balloonText = WideBalloonText(balloon);
    EXPECT_EQ(balloonText,
              carried(L"Veja uma descri\u00e7\u00e3o detalhada e o grau de seguran\u00e7a deste "
                      L"processo\r\ncom nosso programa <a href=\"https://www.velmarch.example/\">"
                      L"Velmarch</a>.\r\nExperimente a <A>Vers\u00e3o Gratuita</A>!"))
        << Shown(balloonText);

    // The size readout's sign is the multiplication sign itself in UTF-8 and in 949.
    ClickAt(Of(Control::StatusBar), 40, 8);
    const std::wstring size = L"930 \u00d7 697";
    if (hindi || korean) {
        ASSERT_EQ(carried(size), size) << "the code page has the multiplication sign";
    }
    EXPECT_TRUE(WaitUntil([&] { return WideStatus() == carried(size); })) << Shown(WideStatus());

    // While the connection's error box is open, the status line still says where it connects.
    std::wstring connecting, boxCaption;
    std::vector<std::wstring> boxTexts;
    const ScanEnd end = Scan(InTheCodePage(computer), {}, {}, Control::PasswordEdit, [&] {
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<HWND> boxes = program_->MessageBoxes();
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        }));
        connecting = WideStatus();
        boxCaption = WideText(box);
        boxTexts = WideBoxTexts(box);
    });
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(connecting, L"Conectando em " + computer + L" ...") << Shown(connecting);
    EXPECT_EQ(boxCaption, L"erro WMI");
    const std::wstring message = carried(failure);
    const std::wstring expectedBox = L"erro WMI\r" + message +
                                     L"\rCode: 2\r\rDica: Procure online por \"WMI " + message +
                                     L"\" para corrigir este erro.";
    EXPECT_NE(std::find(boxTexts.begin(), boxTexts.end(), expectedBox), boxTexts.end())
        << Shown(boxTexts);
    EXPECT_EQ(WideStatus(), L"0 processos");
}

// Types on the keyboard as one that delivers characters does (Unicode key events), into the box
// that has the focus in the foreground window, then presses `key` if one is given.
bool TypeOnTheKeyboard(const std::wstring& text, WORD key = 0) {
    std::vector<INPUT> inputs;
    const auto press = [&](WORD virtualKey, wchar_t character, DWORD flags) {
        for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = virtualKey;
            input.ki.wScan = static_cast<WORD>(character);
            input.ki.dwFlags = flags | up;
            inputs.push_back(input);
        }
    };
    for (const wchar_t c : text) press(0, c, KEYEVENTF_UNICODE);
    if (key) press(key, 0, 0);
    const auto count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// Typed on the keyboard, an accented user name and password reach a computer whose one account
// has exactly them, and the user box remembers the name as typed; a computer name typed in
// characters of the code page reads back whole, a Korean one where the code page has it (UTF-8
// under hi_IN). The program reads the boxes in the system's code page, so under UTF-8 nothing
// typed may be lost on the way in.
TEST_F(BrisklowScan, TypedCredentialsReachTheComputerAsTyped) {
    const auto carried = [](const std::wstring& text) { return AsTheCodePageCarriesIt(text); };
    const std::wstring korean = L"SEUL-\uc11c\uc6b8";
    const std::wstring computer = carried(korean) == korean ? korean : L"S\u00c3O-PAULO";
    const std::wstring user = L"Jo\u00e3o";
    const std::wstring password = L"s\u00e9nha\u00e7";
    ASSERT_EQ(carried(user + password), user + password) << "a code page with the accents";
    ASSERT_TRUE(Start(R"({"computers": [{"name": ")" + JsonText(computer) +
                      R"(", "accounts": [{"user": ")" + JsonText(user) + R"(", "password": ")" +
                      JsonText(password) + R"("}], "processes": [)" + NumberedProcesses(1) + "]}]}")
                    .ended);
    ASSERT_TRUE(SetForegroundWindow(program_->main()));
    const auto typeInto = [&](Control box, const std::wstring& text, WORD key) {
        HWND target = TypingTarget(Of(box));
        Type(target, "");
        ClickAt(target, 4, 4);
        ASSERT_TRUE(WaitUntil([&] { return program_->Focus() == target; }));
        ASSERT_TRUE(TypeOnTheKeyboard(text, key));
    };
    const ScanEnd end = ScanStartedBy([&] {
        // Each box reads back before the next one takes the focus: a click would come before the
        // keys still waiting in the input queue. The password box tells no other program its
        // text; the computer's accepting the account shows it came whole.
        for (const auto& [box, text] :
             {std::pair{Control::PcComboBox, computer}, std::pair{Control::UserComboBox, user}}) {
            typeInto(box, text, 0);
            EXPECT_TRUE(WaitUntil([&] { return WideText(TypingTarget(Of(box))) == text; }))
                << Shown(WideText(TypingTarget(Of(box))));
        }
        typeInto(Control::PasswordEdit, password, VK_RETURN);
    });
    ASSERT_TRUE(end.ended);
    EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    EXPECT_EQ(Status(), "1 processos");
    HWND users = Of(Control::UserComboBox);
    const auto index = SendMessageW(users, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(user.c_str()));
    ASSERT_GE(index, 0) << "the user is not remembered";
    wchar_t entry[64] = {};
    SendMessageW(users, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(std::wstring(entry), user) << Shown(entry);
}

// Leaves a picture of a filled list in the build folder, for a person to look at: the demo
// network's file server, reached with its account.
TEST_F(BrisklowScan, ScreenshotOfAFilledList) {
    ASSERT_TRUE(StartOn(BRISKLOW_DEMO_NETWORK).ended);
    const ScanEnd end = Scan("SRV-FILES", "admin", "s3cret");
    ASSERT_TRUE(end.ended);
    ASSERT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    EXPECT_EQ(Status(), "15 processos");
    EXPECT_EQ(Cell(11, kNameColumn), "filestore.exe");
    EXPECT_EQ(Cell(11, 4), "3145728 K");
    UpdateWindow(program_->main());

    // On the screen each of the fifteen rows shows dark text on the light background, and the
    // list below the last row shows only its background.
    HWND list = Of(Control::ListView1);
    ExpectRowsOnScreen(*program_, list, 15);

    EXPECT_TRUE(SaveScreenshot(BRISKLOW_FILLED_SCREENSHOT)) << BRISKLOW_FILLED_SCREENSHOT;
}

}  // namespace
}  // namespace brisklow::e2e
