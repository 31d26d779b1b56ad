// Reliability of the real program under the WMI stand-in: every scripting call of the scan fails
// once, each on a simulated computer of its own, in one run of Brisklow.exe that scans them one
// after the other with a healthy scan after each; hostile credentials typed into the boxes and
// hostile names and values served by the computers, with the web search of such names; and a soak
// of many scans of a 1,000-process computer in one run, with the program's handle count and private
// memory compared between an early scan and the last.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "inventory/WmiError.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/e2e/StandinProgramTest.h"
#include "texts/WebAddresses.h"
#include "ui/MainWindow.h"

namespace brisklow::e2e {
namespace {

constexpr int kFailingProcesses = 6;
constexpr int kHealthyProcesses = 5;
constexpr size_t kFailAt = 3;
constexpr int kSoakProcesses = 1000;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// The system's text for a result code, as the program asks for it; empty when there is none.
std::string SystemText(uint32_t result) {
    char* raw = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, result, 0, reinterpret_cast<LPSTR>(&raw), 0, nullptr);
    std::string text = length > 0 && raw ? std::string(raw, length) : std::string();
    if (raw) LocalFree(raw);
    return text;
}

// One scripted failure of the scan and what the window shows after it.
struct FailingCall {
    std::string computer;
    std::string call;                 // as the network file names it
    std::optional<size_t> atProcess;  // for the calls made once per process
    bool enumFailAfter = false;       // the enumerator's own failure instead of a scripted one
    std::string logStart;             // how the call's line in the log begins
    std::string marker;               // the box's "Code: ..."; empty: no box
    bool interfaceQuery = false;      // the program reports its own text for these
    int rows = 0;                     // the rows that stay
};

constexpr const char* kIdentity[] = {"Name",      "ExecutablePath", "ProcessID", "ParentProcessId",
                                     "SessionID", "ThreadCount",    "Priority"};
constexpr int kIdentityColumn[] = {0, 1, 2, 3, 7, 8, 9};
constexpr const char* kUsage[] = {"WorkingSetSize", "HandleCount", "UserModeTime",
                                  "KernelModeTime"};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<FailingCall> FailingCalls() {
    std::vector<FailingCall> calls = {
        {"FAIL-CONNECTSERVER",
         "ConnectServer",
         {},
         false,
         "ConnectServer server=FAIL-CONNECTSERVER ",
         "2",
         false,
         0},
        {"FAIL-GET-SECURITY", "get_Security_", {}, false, "get_Security_ ", "4", false, 0},
        {"FAIL-IMPERSONATION",
         "put_ImpersonationLevel",
         {},
         false,
         "put_ImpersonationLevel ",
         "4",
         false,
         0},
        {"FAIL-GET-PRIVILEGES", "get_Privileges", {}, false, "get_Privileges ", "4", false, 0},
        {"FAIL-ADD", "Add", {}, false, "Add ", "4", false, 0},
        {"FAIL-GET", "Get", {}, false, "Get ", "5", false, 0},
        {"FAIL-INSTANCES", "Instances_", {}, false, "Instances_ ", "6", false, 0},
        {"FAIL-NEWENUM", "get__NewEnum", {}, false, "get__NewEnum ", "6", false, 0},
        {"FAIL-QI-ENUMVARIANT",
         "QueryInterface:IEnumVARIANT",
         {},
         false,
         "QueryInterface:IEnumVARIANT ",
         "6",
         true,
         0},
        {"FAIL-QI-OBJECT-FIRST", "QueryInterface:ISWbemObject", size_t{0}, false,
         "QueryInterface:ISWbemObject ", "7", true, 0},
        {"FAIL-QI-OBJECT", "QueryInterface:ISWbemObject", kFailAt, false,
         "QueryInterface:ISWbemObject ", "9", true, static_cast<int>(kFailAt)},
        {"FAIL-PROPERTIES", "get_Properties_", kFailAt, false, "get_Properties_ ", "9", false,
         static_cast<int>(kFailAt)},
    };
    for (const char* name : kIdentity) {
        calls.push_back({"FAIL-ITEM-" + Upper(name), std::string("Item:") + name, kFailAt, false,
                         std::string("Item name=") + name + " ", "8 " + std::to_string(kFailAt),
                         false, static_cast<int>(kFailAt) + 1});
    }
    for (const char* name : kUsage) {
        calls.push_back({"FAIL-ITEM-" + Upper(name), std::string("Item:") + name, kFailAt, false,
                         std::string("Item name=") + name + " ", "", false, kFailingProcesses});
    }
    calls.push_back(
        {"FAIL-NEXT", "Next", kFailAt, false, "Next ", "", false, static_cast<int>(kFailAt)});
    calls.push_back(
        {"FAIL-ENUM-AFTER", "", {}, true, "Next ", "", false, static_cast<int>(kFailAt)});
    return calls;
}

// The result codes the failures return, in turn: some of them have a system text under some
// systems, others none.
constexpr uint32_t kResults[] = {0x80041001, 0x80070005, 0x80041003, 0x80004005,
                                 0x80041002, 0x800706BA, 0x8007000E, 0x80041010};
constexpr uint32_t kEnumeratorFailure = 0x80041001;  // what the stand-in's enumerator answers

uint32_t ResultOf(size_t index, const FailingCall& call) {
    return call.enumFailAfter ? kEnumeratorFailure : kResults[index % std::size(kResults)];
}

// The description a failure leaves, with trailing noise the program cuts off.
std::string DescriptionJson(const FailingCall& call) {
    return "Simulated " + call.call + " failure. \\t.\\r\\n";
}
std::string DescriptionRaw(const FailingCall& call) {
    return "Simulated " + call.call + " failure. \t.\r\n";
}
std::string DescriptionShown(const FailingCall& call) {
    return "Simulated " + call.call + " failure";
}

Row FullRow(int index) {
    return {"p" + std::to_string(index) + ".exe",
            "C:\\P\\p" + std::to_string(index) + ".exe",
            std::to_string(100 + index),
            "4",
            "8 K",
            "3 s",
            "25",
            "1",
            "3",
            "8"};
}

std::string ProcessesJson(int count) {
    std::ostringstream json;
    for (int i = 0; i < count; ++i) {
        if (i) json << ",\n    ";
        json << R"({"Name": "p)" << i << R"(.exe", "ExecutablePath": "C:\\P\\p)" << i
             << R"(.exe", "ProcessID": )" << 100 + i
             << R"(, "ParentProcessId": 4, "SessionID": 1, "ThreadCount": 3, "Priority": 8,)"
             << R"( "WorkingSetSize": "8192", "HandleCount": 25, "UserModeTime": "20000000",)"
             << R"( "KernelModeTime": "10000000"})";
    }
    return json.str();
}

std::string FailureNetwork(bool withDescription) {
    std::ostringstream json;
    json << R"({"computers": [
  {"name": "HEALTHY", "processes": [)"
         << ProcessesJson(kHealthyProcesses) << "]}";
    const auto calls = FailingCalls();
    for (size_t i = 0; i < calls.size(); ++i) {
        const FailingCall& call = calls[i];
        json << ",\n  {\"name\": \"" << call.computer << "\", ";
        if (call.enumFailAfter) {
            json << "\"enumFailAfter\": " << kFailAt << ", ";
        } else {
            json << R"("failures": [{"call": ")" << call.call << R"(", "hresult": ")"
                 << Hex(ResultOf(i, call)) << '"';
            if (withDescription) json << R"(, "description": ")" << DescriptionJson(call) << '"';
            if (call.atProcess) json << R"(, "atProcess": )" << *call.atProcess;
            json << "}], ";
        }
        json << "\"processes\": [" << ProcessesJson(kFailingProcesses) << "]}";
    }
    json << ",\n  {\"name\": \"GEN1000\", \"generate\": " << kSoakProcesses << "}\n]}";
    return json.str();
}

// The rows a failing scan leaves: those before the failing process complete, that process as far
// as it was read, the rest complete when the scan went on.
std::vector<Row> ExpectedRows(const FailingCall& call) {
    std::vector<Row> rows;
    for (int i = 0; i < call.rows; ++i) rows.push_back(FullRow(i));
    if (!call.atProcess || call.rows <= static_cast<int>(*call.atProcess)) return rows;
    Row& row = rows[*call.atProcess];
    const std::string property = call.call.substr(call.call.find(':') + 1);
    bool cut = false;
    for (size_t k = 0; k < std::size(kIdentity); ++k) {
        if (property == kIdentity[k]) cut = true;
        if (cut) row[kIdentityColumn[k]] = k < 2 ? "" : "0";
    }
    if (cut || property == "WorkingSetSize") {
        row[4] = "0 K";
        row[5] = "";
        row[6] = "0";
    } else if (property == "HandleCount") {
        row[5] = "";
        row[6] = "0";
    } else if (property == "UserModeTime") {
        row[5] = "";
    } else if (property == "KernelModeTime") {
        row[5] = "2 s";  // the user-mode part alone
    }
    return rows;
}

class BrisklowReliability : public StandinProgramTest {
  protected:
    // Every call fails once; `withDescription` chooses whether the failure leaves a description.
    void EveryCallFailsOnce(bool withDescription) {
        const ScanEnd first = Start(FailureNetwork(withDescription));
        ASSERT_TRUE(first.ended) << "the first scan did not end";
        const auto calls = FailingCalls();
        int systemTexts = 0;
        int oleTexts = 0;
        for (size_t i = 0; i < calls.size(); ++i) {
            const FailingCall& call = calls[i];
            SCOPED_TRACE(call.computer);
            const uint32_t result = ResultOf(i, call);
            const ScanEnd end = Scan(call.computer);
            ASSERT_TRUE(end.ended) << "the scan did not end";

            if (call.marker.empty()) {
                EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
            } else {
                std::string message;
                if (call.interfaceQuery) {
                    message = kInterfaceNotSupported;
                } else if (withDescription) {
                    message = DescriptionShown(call);
                    EXPECT_EQ(ComposeWmiErrorMessage(DescriptionRaw(call), SystemText(result),
                                                     static_cast<int32_t>(result)),
                              message);
                } else {
                    const std::string system = SystemText(result);
                    message = ComposeWmiErrorMessage("", system, static_cast<int32_t>(result));
                    (TrimTrailingNoise(system).empty() ? oleTexts : systemTexts) += 1;
                    std::cout << call.computer << " " << Hex(result) << ": \"" << message << "\""
                              << std::endl;
                }
                EXPECT_EQ(end.boxCaption, "erro WMI");
                const std::string expected = "erro WMI\r" + message + "\rCode: " + call.marker +
                                             "\r\rDica: Procure online por \"WMI " + message +
                                             "\" para corrigir este erro.";
                EXPECT_NE(Joined(end.boxTexts).find("[" + expected + "]"), std::string::npos)
                    << Joined(end.boxTexts);
            }
            EXPECT_EQ(Rows(), ExpectedRows(call));
            EXPECT_EQ(Status(), std::to_string(call.rows) + " processos");

            // The call failed once, with its code, and the scan ended with nothing alive.
            const std::string code = "result=" + Hex(result);
            const auto failed =
                std::count_if(segment_.begin(), segment_.end(), [&](const std::string& line) {
                    return line.starts_with(call.logStart) && line.ends_with(code);
                });
            EXPECT_EQ(failed, 1) << Joined(segment_);
            ASSERT_FALSE(segment_.empty());
            EXPECT_EQ(segment_.back(), "live 0");
            EXPECT_EQ(SegmentCount("live 0"), 1u);

            // A healthy computer scans as before.
            const ScanEnd healthy = Scan("HEALTHY");
            ASSERT_TRUE(healthy.ended);
            EXPECT_TRUE(healthy.boxTexts.empty()) << Joined(healthy.boxTexts);
            std::vector<Row> expectedRows;
            for (int row = 0; row < kHealthyProcesses; ++row) expectedRows.push_back(FullRow(row));
            EXPECT_EQ(Rows(), expectedRows);
            EXPECT_EQ(Status(), std::to_string(kHealthyProcesses) + " processos");
            EXPECT_EQ(SegmentCount("live 0"), 1u);
        }
        std::cout << calls.size() << " calls failed once each";
        if (!withDescription) {
            std::cout << "; " << systemTexts << " boxes showed the system's text, " << oleTexts
                      << " the OLE-Fehler text";
        }
        std::cout << std::endl;
    }
};

TEST_F(BrisklowReliability, EveryCallFailsOnceWithADescription) { EveryCallFailsOnce(true); }

TEST_F(BrisklowReliability, EveryCallFailsOnceWithoutADescription) { EveryCallFailsOnce(false); }

// Hostile input typed into the boxes and served by the computers.

// Texts a person may type or paste into the three boxes (Windows-1252 bytes).
std::vector<std::string> HostileTexts() {
    return {"x",          std::string(255, 'A'), std::string(32767, 'z'),       "\\\\SRV01\\root\\",
            "%s%n%d%x%p", "\"quoted\" 'name'",   "Jo\xE3o \x80\x81\x9F\xA0\xFF"};
}

std::wstring Wide(const std::string& windows1252) {
    std::wstring wide(windows1252.size(), L'\0');
    const int length =
        MultiByteToWideChar(1252, 0, windows1252.data(), static_cast<int>(windows1252.size()),
                            wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return wide;
}

// The text's characters with everything outside printable ASCII as \uXXXX, as the stand-in's
// log writes them; for JSON, quotes and backslashes too.
std::string Escaped(const std::string& windows1252, bool forJson) {
    std::string escaped;
    for (const wchar_t c : Wide(windows1252)) {
        const auto code = static_cast<unsigned>(c);
        if (code >= 0x20 && code < 0x7F && !(forJson && (c == L'"' || c == L'\\'))) {
            escaped += static_cast<char>(code);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", code);
            escaped += escape;
        }
    }
    return escaped;
}

// A JSON string of the text.
std::string Json(const std::string& windows1252) {
    return "\"" + Escaped(windows1252, true) + "\"";
}

// The text as the stand-in's log writes it.
std::string Logged(const std::string& windows1252) { return Escaped(windows1252, false); }

std::string ProcessJson(const std::string& nameJson, const std::string& idJson) {
    return R"({"Name": )" + nameJson + R"(, "ExecutablePath": null, "ProcessID": )" + idJson +
           R"(, "ParentProcessId": 4, "SessionID": 1, "ThreadCount": 3, "Priority": 8,)"
           R"( "WorkingSetSize": "8192", "HandleCount": 25, "UserModeTime": "20000000",)"
           R"( "KernelModeTime": "10000000"})";
}

TEST_F(BrisklowReliability, HostileCredentialsTypedIntoTheBoxesReachTheComputerWhole) {
    // Each text is a computer of its own, whose only account is that text as user and password.
    std::string network = R"({"computers": [)";
    const auto texts = HostileTexts();
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i) network += ",\n";
        network += R"({"name": )" + Json(texts[i]) + R"(, "accounts": [{"user": )" +
                   Json(texts[i]) + R"(, "password": )" + Json(texts[i]) + R"(}], "processes": [)" +
                   ProcessJson("\"p.exe\"", "7") + "]}";
    }
    network += "]}";
    ASSERT_TRUE(Start(network).ended);

    for (const std::string& text : texts) {
        SCOPED_TRACE(std::to_string(text.size()) + " bytes, beginning " + text.substr(0, 20));
        const ScanEnd end = Scan(text, text, text);
        ASSERT_TRUE(end.ended);
        EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
        EXPECT_EQ(Status(), "1 processos");
        EXPECT_EQ(Cell(0, 0), "p.exe");
        const std::string connect = "ConnectServer server=" + Logged(text) +
                                    " namespace=root\\CIMV2 user=" + Logged(text) +
                                    " passwordLength=" + std::to_string(Wide(text).size()) + " ";
        EXPECT_EQ(std::count_if(segment_.begin(), segment_.end(),
                                [&](const std::string& line) {
                                    return line.starts_with(connect) &&
                                           line.ends_with("result=0x00000000");
                                }),
                  1)
            << (segment_.empty() ? std::string("no log") : segment_.front().substr(0, 200));
        EXPECT_EQ(SegmentCount("live 0"), 1u);
        // The computer box keeps the name, the user box the user, both whole (compared without
        // printing 32,767 characters on failure).
        EXPECT_TRUE(ControlText(TypingTarget(Of(Control::PcComboBox))) == text);
        EXPECT_GE(SendMessageA(Of(Control::PcComboBox), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(text.c_str())),
                  0);
        EXPECT_GE(SendMessageA(Of(Control::UserComboBox), CB_FINDSTRINGEXACT,
                               static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())),
                  0);
    }
}

// Stands in for the web browser: the https handler of the prefix points at the recorder while
// the test runs, and the old handler comes back afterwards.
class BrowserStandIn {
  public:
    explicit BrowserStandIn(const std::string& recorder) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        char old[1024] = {};
        DWORD size = sizeof old - 1;
        hadOld_ = RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                   &size) == ERROR_SUCCESS;
        old_ = old;
        const std::string command = "\"" + recorder + "\" \"%1\"";
        RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    ~BrowserStandIn() {
        if (hadOld_) {
            RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>(old_.size() + 1));
        } else {
            RegDeleteValueA(key_, nullptr);
        }
        RegCloseKey(key_);
    }
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;

  private:
    static constexpr const char* kKey = "Software\\Classes\\https\\shell\\open\\command";
    HKEY key_ = nullptr;
    bool hadOld_ = false;
    std::string old_;
};

// The file the browser stand-in writes the addresses it was asked to open to, empty.
std::string EmptyUrlLog() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string path =
        std::string(temp) + "brisklow-opened-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(path.c_str());
    return path;
}

std::string FolderOfThisProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/"));
}

TEST_F(BrisklowReliability, HostileProcessesShowWholeAndTheWebQueryStaysWellFormed) {
    const std::string longName = std::string(300, 'n') + ".exe";
    struct Served {
        std::string nameJson, idJson;
        std::string name, id;  // the cells that show
    };
    const std::vector<Served> served = {
        {"\"\"", "1", "", "1"},
        {Json(longName), "2", longName, "2"},
        {"\"a&b#c%d+e f.exe\"", "3", "a&b#c%d+e f.exe", "3"},
        {"\"%s%n%d.exe\"", "4", "%s%n%d.exe", "4"},
        {Json("caf\xE9.exe"), "5", "caf\xE9.exe", "5"},
        {"\"bool.exe\"", "true", "bool.exe", "4294967295"},
        {"\"real.exe\"", "3.7", "real.exe", "4"},
        {"\"minus.exe\"", "\"-1\"", "minus.exe", "4294967295"},
        {"\"wrapped.exe\"", "\"4294967296\"", "wrapped.exe", "0"},
    };
    std::string network = R"({"computers": [{"name": "ODDNAMES", "processes": [)";
    for (size_t i = 0; i < served.size(); ++i) {
        network += (i ? ",\n" : "") + ProcessJson(served[i].nameJson, served[i].idJson);
    }
    network += "]},\n";
    // Values no conversion takes end the scan at that process, with the rows read before it.
    const std::pair<std::string, std::string> refused[] = {
        {"\"abc\"", "Could not convert variant of type (String) into type (Int64)"},
        {"\"\"", "Could not convert variant of type (String) into type (Int64)"},
        {"\"18446744073709551616\"",
         "Overflow while converting variant of type (String) into type (Int64)"},
    };
    for (size_t i = 0; i < std::size(refused); ++i) {
        network += R"({"name": "REFUSED)" + std::to_string(i) + R"(", "processes": [)" +
                   ProcessJson("\"first.exe\"", "10") + ",\n" +
                   ProcessJson("\"odd.exe\"", refused[i].first) + ",\n" +
                   ProcessJson("\"never.exe\"", "12") + "]},\n";
    }
    network += R"({"name": "NOTHING", "processes": []}]})";

    const std::string opened = EmptyUrlLog();
    const BrowserStandIn browser(FolderOfThisProgram() + "\\brisklow_url_recorder.exe");
    ASSERT_TRUE(Start(network, {{"BRISKLOW_URL_LOG", opened}}).ended);

    const ScanEnd end = Scan("ODDNAMES");
    ASSERT_TRUE(end.ended);
    EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    ASSERT_EQ(RowCount(), static_cast<int>(served.size()));
    for (size_t i = 0; i < served.size(); ++i) {
        EXPECT_EQ(Cell(static_cast<int>(i), 0), served[i].name) << "row " << i;
        EXPECT_EQ(Cell(static_cast<int>(i), 2), served[i].id) << "row " << i;
    }

    // The web search for three of them: the name goes into the query percent-encoded as UTF-8.
    HWND list = Of(Control::ListView1);
    const std::pair<int, std::string> searches[] = {
        {2, "a%26b%23c%25d%2Be%20f.exe"},
        {4, "caf%C3%A9.exe"},
        {3, "%25s%25n%25d.exe"},
    };
    std::vector<std::string> lines, expected;
    for (const auto& [row, query] : searches) {
        RemoteBlock block(program_->process(), sizeof(LVITEMA));
        LVITEMA item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        block.Write(&item, sizeof item);
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(block.address()));
        PostMessageA(Of(Control::GoogleButton), BM_CLICK, 0, 0);
        expected.push_back(std::string(web::kSearchPage) + query + "+site%3A" +
                           web::kInfoPageDomain);
        // One search at a time: the next row is selected once this one's address has arrived.
        EXPECT_TRUE(WaitUntil([&] {
            lines.clear();
            std::ifstream file(opened);
            for (std::string line; std::getline(file, line);) lines.push_back(line);
            return lines.size() >= expected.size();
        })) << "the browser was asked "
            << lines.size() << " times";
    }
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(program_->MessageBoxes().empty());

    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE("REFUSED" + std::to_string(i));
        const ScanEnd failed = Scan("REFUSED" + std::to_string(i));
        ASSERT_TRUE(failed.ended);
        const std::string& message = refused[i].second;
        EXPECT_EQ(failed.boxCaption, "erro WMI");
        const std::string box = "erro WMI\r" + message +
                                "\rCode: 8 1\r\rDica: Procure online por \"WMI " + message +
                                "\" para corrigir este erro.";
        EXPECT_NE(Joined(failed.boxTexts).find("[" + box + "]"), std::string::npos)
            << Joined(failed.boxTexts);
        ASSERT_EQ(RowCount(), 2);
        EXPECT_EQ(Cell(0, 0), "first.exe");
        EXPECT_EQ(Cell(1, 0), "odd.exe");
        EXPECT_EQ(Status(), "2 processos");
        EXPECT_EQ(SegmentCount("live 0"), 1u);
    }

    const ScanEnd nothing = Scan("NOTHING");
    ASSERT_TRUE(nothing.ended);
    EXPECT_TRUE(nothing.boxTexts.empty()) << Joined(nothing.boxTexts);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(Status(), "0 processos");
    DeleteFileA(opened.c_str());
}

TEST_F(BrisklowReliability, NameInAKoreanCodePageSearchesAsUtf8) {
    // Wine takes the code page from the locale of the Unix process that starts the first Windows
    // program of the chain, not from a variable a Windows program sets for its child: CTest starts
    // this case under LANG=ko_KR.UTF-8, which gives this program and Brisklow.exe code page 949.
    ASSERT_EQ(GetACP(), 949u) << "start this case under LANG=ko_KR.UTF-8";
    const std::string network = R"({"computers": [{"name": "SEOUL", "processes": [)" +
                                ProcessJson(R"("C:\\Windows\\\uba54\ubaa8\uc7a5.exe")", "5") +
                                "]}]}";
    const std::string opened = EmptyUrlLog();
    const BrowserStandIn browser(FolderOfThisProgram() + "\\brisklow_url_recorder.exe");
    ASSERT_TRUE(Start(network, {{"BRISKLOW_URL_LOG", opened}}).ended);

    const ScanEnd end = Scan("SEOUL");
    ASSERT_TRUE(end.ended);
    EXPECT_TRUE(end.boxTexts.empty()) << Joined(end.boxTexts);
    ASSERT_EQ(RowCount(), 1);
    ASSERT_EQ(Cell(0, 0), "C:\\Windows\\\xB8\xDE\xB8\xF0\xC0\xE5.exe")
        << "the program does not run under code page 949";

    // A double click on the row searches for the name, written as UTF-8.
    HWND list = Of(Control::ListView1);
    RemoteBlock block(program_->process(), sizeof(RECT));
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    block.Write(&bounds, sizeof bounds);
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(block.address())));
    block.Read(&bounds, sizeof bounds);
    const LPARAM point =
        MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
    std::vector<std::string> lines;
    EXPECT_TRUE(WaitUntil([&] {
        lines.clear();
        std::ifstream file(opened);
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return !lines.empty();
    })) << "the browser was not asked";
    EXPECT_EQ(lines, std::vector<std::string>{std::string(web::kSearchPage) +
                                              "%EB%A9%94%EB%AA%A8%EC%9E%A5.exe+site%3A" +
                                              web::kInfoPageDomain});
    DeleteFileA(opened.c_str());
}

// What the program holds of the system after a scan.
struct Usage {
    DWORD handles = 0;
    bool handlesFromList = false;  // GetProcessHandleCount gave nothing
    SIZE_T privateBytes = 0;       // PROCESS_MEMORY_COUNTERS_EX.PrivateUsage
    SIZE_T pagefileBytes = 0;      // PagefileUsage
    SIZE_T committedPrivate = 0;   // committed private regions, by walking the address space
};

// The process's handle count from the system's process list, for a system whose
// GetProcessHandleCount answers 0 for another process (Wine does).
DWORD ListedHandleCount(DWORD processId) {
    using Query = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const FARPROC found = ntdll ? GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
    if (!found) return 0;
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(found));
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status = 0;
    for (;;) {
        status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status != static_cast<LONG>(0xC0000004)) break;  // else the buffer is too small
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    }
    if (status < 0) return 0;
    for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == processId) {
            return entry->HandleCount;
        }
        if (entry->NextEntryOffset == 0) return 0;
        at += entry->NextEntryOffset;
    }
}

Usage UsageOf(HANDLE process) {
    Usage usage;
    if (!GetProcessHandleCount(process, &usage.handles) || usage.handles == 0) {
        usage.handles = ListedHandleCount(GetProcessId(process));
        usage.handlesFromList = true;
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        usage.privateBytes = counters.PrivateUsage;
        usage.pagefileBytes = counters.PagefileUsage;
    }
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            usage.committedPrivate += region.RegionSize;
        }
    }
    return usage;
}

void Print(const char* when, const Usage& usage) {
    std::cout << when << ": " << usage.handles << " handles"
              << (usage.handlesFromList ? " (from the system's process list)" : "")
              << ", private bytes " << usage.privateBytes << ", pagefile bytes "
              << usage.pagefileBytes << ", committed private regions " << usage.committedPrivate
              << std::endl;
}

int SoakScans() {
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA("BRISKLOW_SOAK_SCANS", text, sizeof text);
    return length > 0 && length < sizeof text ? std::atoi(text) : 100;
}

TEST_F(BrisklowReliability, SoakOfManyScansKeepsHandlesAndMemoryFlat) {
    const int scans = SoakScans();
    ASSERT_GT(scans, 10) << "BRISKLOW_SOAK_SCANS must be above 10";
    ASSERT_TRUE(Start(FailureNetwork(false)).ended);
    Usage early;
    for (int scan = 1; scan <= scans; ++scan) {
        const ScanEnd end = Scan("GEN1000");
        ASSERT_TRUE(end.ended) << "scan " << scan;
        ASSERT_TRUE(end.boxTexts.empty()) << "scan " << scan << ": " << Joined(end.boxTexts);
        ASSERT_EQ(Status(), std::to_string(kSoakProcesses) + " processos") << "scan " << scan;
        ASSERT_EQ(RowCount(), kSoakProcesses) << "scan " << scan;
        ASSERT_EQ(SegmentCount("Next count=1 result=0x00000000"),
                  static_cast<size_t>(kSoakProcesses))
            << "scan " << scan;
        ASSERT_EQ(SegmentCount("live 0"), 1u) << "scan " << scan;
        if (scan == 10) {
            early = UsageOf(program_->process());
            Print("after scan 10", early);
        } else if (scan % 100 == 0 && scan < scans) {
            // The way there, for telling a steady leak from the heap's occasional growth.
            Print(("after scan " + std::to_string(scan)).c_str(), UsageOf(program_->process()));
        }
    }
    const Usage last = UsageOf(program_->process());
    Print(("after scan " + std::to_string(scans)).c_str(), last);
    EXPECT_EQ(Cell(0, 0), "proc00001.exe");
    EXPECT_EQ(Cell(kSoakProcesses - 1, 0), "proc01000.exe");

    ASSERT_GT(early.handles, 0u) << "no handle count";
    const double handleGrowth =
        static_cast<double>(last.handles) - static_cast<double>(early.handles);
    EXPECT_LE(std::abs(handleGrowth), 0.01 * early.handles)
        << early.handles << " -> " << last.handles;

    // Where a system leaves PrivateUsage 0 (Wine does), the committed private regions count.
    const bool filled = early.privateBytes > 0 && last.privateBytes > 0;
    const double before = static_cast<double>(filled ? early.privateBytes : early.committedPrivate);
    const double after = static_cast<double>(filled ? last.privateBytes : last.committedPrivate);
    ASSERT_GT(before, 0.0);
    EXPECT_LE(std::abs(after - before), 1024.0 * 1024.0)
        << (filled ? "private bytes " : "committed private regions ") << before << " -> " << after;
}

}  // namespace
}  // namespace brisklow::e2e
