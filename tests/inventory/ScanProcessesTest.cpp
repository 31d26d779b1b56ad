#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "inventory/ScanProcesses.h"
#include "inventory/WmiError.h"
#include "tests/inventory/RecordingSink.h"
#include "tests/inventory/ScriptedWmi.h"
#include "texts/UiTexts.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::MakeProcess;
using testing::MessageInBox;
using testing::RecordingSink;
using testing::ScriptedWmi;

std::string ExpectedBox(const std::string& message, const std::string& code) {
    return "erro WMI\r" + message + "\rCode: " + code + "\r\rDica: Procure online por \"WMI " +
           message + "\" para corrigir este erro.";
}

class ScanProcessesTest : public ::testing::Test {
  protected:
    ScriptedWmi wmi;
    RecordingSink sink;
    TPIArray table;

    void Scan(const std::string& computer = "SRV1", const std::string& user = "admin",
              const std::string& password = "pw") {
        ScanProcesses(wmi, sink, computer, user, password, table);
    }
};

TEST_F(ScanProcessesTest, MakesTheCallsInOrderWithTheirArguments) {
    wmi.processes = {MakeProcess("smss.exe", 400)};
    Scan("SRV1", "admin", "s3cret");
    // The other ten property reads and the Next that finds the end follow these fourteen.
    ASSERT_EQ(wmi.log.size(), 14u + 10u + 1u);
    EXPECT_THAT(std::vector<std::string>(wmi.log.begin(), wmi.log.begin() + 14),
                ElementsAre("CreateLocator", "ConnectServer SRV1|root\\CIMV2|admin|s3cret|||0",
                            "Security_", "ImpersonationLevel 3", "Security_", "Privileges",
                            "Add 19 true", "Get Win32_Process 131072", "Instances_ 0", "_NewEnum",
                            "Next", "QueryObject", "Properties_", "Item Name 0"));
    std::vector<std::string> items;
    for (const auto& line : wmi.log) {
        if (line.rfind("Item ", 0) == 0) items.push_back(line.substr(5));
    }
    EXPECT_THAT(items, ElementsAre("Name 0", "ExecutablePath 0", "ProcessID 0", "ParentProcessId 0",
                                   "SessionID 0", "ThreadCount 0", "Priority 0", "WorkingSetSize 0",
                                   "HandleCount 0", "UserModeTime 0", "KernelModeTime 0"));
    EXPECT_EQ(wmi.log.back(), "Next");
    EXPECT_EQ(wmi.liveObjects, 0);
}

TEST_F(ScanProcessesTest, FillsOneRecordPerProcessWithConvertedUnits) {
    wmi.processes = {MakeProcess("smss.exe", 400), MakeProcess("csrss.exe", 500)};
    Scan();
    ASSERT_EQ(table.Length(), 2u);
    const TProcesInformation& smss = table[0];
    EXPECT_EQ(smss.ProcessName, "smss.exe");
    EXPECT_EQ(smss.ExecutablePath, "C:\\Windows\\System32\\smss.exe");
    EXPECT_EQ(smss.ProcessId, 400u);
    EXPECT_EQ(smss.ParentProcessId, 4u);
    EXPECT_EQ(smss.SessionId, 1u);
    EXPECT_EQ(smss.ThreadCount, 12u);
    EXPECT_EQ(smss.Priority, 8u);
    EXPECT_EQ(smss.WorkingSetKB, 4000u);
    EXPECT_EQ(smss.HandleCount, 345u);
    EXPECT_EQ(smss.CpuSeconds, 3u);
    EXPECT_EQ(table[1].ProcessName, "csrss.exe");
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ScanProcessesTest, NullValuesKeepTheirDefaults) {
    auto process = MakeProcess("System", 4);
    process.properties["ExecutablePath"] = PropertyValue::Null();
    process.properties["SessionID"] = PropertyValue::Null();
    process.properties["UserModeTime"] = PropertyValue::Null();
    wmi.processes = {process};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ExecutablePath, "");
    EXPECT_EQ(table[0].SessionId, 0u);
    EXPECT_EQ(table[0].ProcessId, 4u);
    EXPECT_EQ(table[0].CpuSeconds, 1u);  // kernel part only
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ScanProcessesTest, CpuTimeRoundsEachPartTiesToEven) {
    auto first = MakeProcess("a.exe", 1);
    first.properties["UserModeTime"] = PropertyValue::FromText("14999999");
    first.properties["KernelModeTime"] = PropertyValue::FromText("5000000");
    auto second = MakeProcess("b.exe", 2);
    second.properties["UserModeTime"] = PropertyValue::FromText("15000000");
    second.properties["KernelModeTime"] = PropertyValue::FromText("25000000");
    wmi.processes = {first, second};
    Scan();
    ASSERT_EQ(table.Length(), 2u);
    EXPECT_EQ(table[0].CpuSeconds, 1u);
    EXPECT_EQ(table[1].CpuSeconds, 4u);
}

TEST_F(ScanProcessesTest, WorkingSetIsDividedBy1024OverTheFullRange) {
    const std::pair<const char*, uint32_t> cases[] = {{"1023", 0},
                                                      {"1024", 1},
                                                      {"3221225472", 3145728},
                                                      // 2^64 - 1 bytes: the quotient's low 32 bits.
                                                      {"18446744073709551615", 0xFFFFFFFFu}};
    for (const auto& [bytes, kb] : cases) {
        auto process = MakeProcess("big.exe", 9);
        process.properties["WorkingSetSize"] = PropertyValue::FromText(bytes);
        wmi.processes.push_back(process);
    }
    Scan();
    ASSERT_EQ(table.Length(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(table[i].WorkingSetKB, cases[i].second) << cases[i].first;
        EXPECT_EQ(table[i].HandleCount, 345u);
        EXPECT_EQ(table[i].CpuSeconds, 3u);
    }
}

TEST_F(ScanProcessesTest, UnreadableWorkingSetLeavesTheUsageFieldsZeroAndGoesOn) {
    auto process = MakeProcess("guarded.exe", 7);
    process.properties.erase("WorkingSetSize");
    wmi.processes = {process, MakeProcess("next.exe", 8)};
    Scan();
    ASSERT_EQ(table.Length(), 2u);
    EXPECT_EQ(table[0].ProcessId, 7u);
    EXPECT_EQ(table[0].WorkingSetKB, 0u);
    EXPECT_EQ(table[0].HandleCount, 0u);
    EXPECT_EQ(table[0].CpuSeconds, 0u);
    EXPECT_EQ(table[1].HandleCount, 345u);
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ScanProcessesTest, FailureInsideTheUsageBlockKeepsWhatWasStoredBefore) {
    auto process = MakeProcess("half.exe", 7);
    process.properties["KernelModeTime"] = PropertyValue::FromText("not a number");
    wmi.processes = {process};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].WorkingSetKB, 4000u);
    EXPECT_EQ(table[0].HandleCount, 345u);
    EXPECT_EQ(table[0].CpuSeconds, 2u);  // the user-mode part only
}

TEST_F(ScanProcessesTest, RefusedConnectionShowsCodeTwoWithTheMessageTwiceAndNoRows) {
    wmi.processes = {MakeProcess("smss.exe", 400)};
    wmi.FailCall("ConnectServer", "Access denied");
    Scan();
    EXPECT_EQ(table.Length(), 0u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "erro WMI");
    EXPECT_EQ(sink.boxes[0].text, ExpectedBox("Access denied", "2"));
    EXPECT_EQ(wmi.liveObjects, 0);
}

TEST_F(ScanProcessesTest, FailureAtSeventhProcessKeepsEightRows) {
    for (int i = 0; i < 12; ++i) wmi.processes.push_back(MakeProcess("p.exe", 100 + i));
    wmi.FailCall("Item:ThreadCount", "Generic failure", 7);
    Scan();
    ASSERT_EQ(table.Length(), 8u);
    EXPECT_EQ(table[7].ProcessId, 107u);
    EXPECT_EQ(table[7].SessionId, 1u);
    EXPECT_EQ(table[7].ThreadCount, 0u);
    EXPECT_EQ(table[7].HandleCount, 0u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, ExpectedBox("Generic failure", "8 7"));
    EXPECT_EQ(wmi.liveObjects, 0);
}

TEST_F(ScanProcessesTest, EachFailingStepNamesItsMarker) {
    struct Case {
        const char* call;
        const char* code;
        bool perProcess;
    };
    const Case cases[] = {{"Security_", "4", false},  {"ImpersonationLevel", "4", false},
                          {"Privileges", "4", false}, {"Add", "4", false},
                          {"Get", "5", false},        {"Instances_", "6", false},
                          {"_NewEnum", "6", false},   {"QueryObject", "9", true},
                          {"Properties_", "9", true}};
    for (const auto& [call, code, perProcess] : cases) {
        ScriptedWmi fresh;
        fresh.processes = {MakeProcess("a.exe", 1), MakeProcess("b.exe", 2)};
        fresh.FailCall(call, "boom", perProcess ? std::optional<size_t>(1) : std::nullopt);
        RecordingSink freshSink;
        TPIArray rows;
        ScanProcesses(fresh, freshSink, "pc", "", "", rows);
        ASSERT_EQ(freshSink.boxes.size(), 1u) << call;
        EXPECT_THAT(freshSink.boxes[0].text, HasSubstr(std::string("\rCode: ") + code + "\r\r"))
            << call;
        // A failing item object or property set comes before its record is appended.
        EXPECT_EQ(rows.Length(), std::string(code) == "9" ? 1u : 0u) << call;
        EXPECT_EQ(fresh.liveObjects, 0) << call;
        EXPECT_EQ(freshSink.userEntries.size(), 1u) << "a failed user is not remembered";
    }
}

TEST_F(ScanProcessesTest, FailingEnumeratorEndsTheLoopSilently) {
    for (int i = 0; i < 5; ++i) wmi.processes.push_back(MakeProcess("p.exe", i));
    wmi.FailCall("Next", "Generic failure", 3);
    Scan();
    EXPECT_EQ(table.Length(), 3u);
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "admin"));
    EXPECT_EQ(wmi.liveObjects, 0);

    // The same whatever the step raised, not only the WMI error type.
    const std::function<void()> raisers[] = {[] { throw std::runtime_error("the set went away"); },
                                             [] { throw 7; }};
    for (const auto& raise : raisers) {
        ScriptedWmi other;
        RecordingSink otherSink;
        TPIArray otherTable;
        other.processes = wmi.processes;
        other.FailCallRaising("Next", raise, 3);
        ScanProcesses(other, otherSink, "SRV1", "admin", "pw", otherTable);
        EXPECT_EQ(otherTable.Length(), 3u);
        EXPECT_TRUE(otherSink.boxes.empty());
        EXPECT_THAT(otherSink.userEntries, ElementsAre("Administrator", "admin"));
        EXPECT_EQ(other.liveObjects, 0);
    }

    // Running out of memory is a failure of the scan: the rows read stay, the box says so.
    ScriptedWmi starved;
    RecordingSink starvedSink;
    TPIArray starvedTable;
    starved.processes = wmi.processes;
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    starved.FailCallRaising("Next", outOfMemory, 3);
    ScanProcesses(starved, starvedSink, "SRV1", "admin", "pw", starvedTable);
    EXPECT_EQ(starvedTable.Length(), 3u);
    ASSERT_EQ(starvedSink.boxes.size(), 1u);
    EXPECT_THAT(starvedSink.boxes[0].text, HasSubstr("\rCode: 9\r\r"));
    EXPECT_THAT(starvedSink.userEntries, ElementsAre("Administrator"));
    EXPECT_EQ(starved.liveObjects, 0);
}

TEST_F(ScanProcessesTest, StatusLineShowsStartThenConnectingText) {
    Scan("SRV-FILES");
    EXPECT_THAT(sink.statusTexts, ElementsAre("Iniciar...", "Conectando em SRV-FILES ..."));
}

TEST_F(ScanProcessesTest, LocatorFailureReachesTheCallerWithTheStartText) {
    wmi.FailCall("CreateLocator", "Class not registered");
    EXPECT_THROW(Scan(), WmiError);
    EXPECT_THAT(sink.statusTexts, ElementsAre(UiText(24)));
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ScanProcessesTest, AbsentServicesSkipToRememberingTheUser) {
    wmi.connectReturnsNoServices = true;
    wmi.processes = {MakeProcess("a.exe", 1)};
    Scan("pc", "operator", "");
    EXPECT_EQ(table.Length(), 0u);
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "operator"));
    EXPECT_THAT(wmi.log,
                ElementsAre("CreateLocator", "ConnectServer pc|root\\CIMV2|operator||||0"));
}

TEST_F(ScanProcessesTest, UserIsRememberedOnceWithoutRegardToCase) {
    sink.userEntries = {"Administrator", "Admin"};
    Scan("pc", "admin", "");
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "Admin"));
    Scan("pc", "", "");
    Scan("pc", "", "");
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "Admin", ""));
}

TEST_F(ScanProcessesTest, ConversionFailureOutsideTheUsageBlockEndsTheScan) {
    auto process = MakeProcess("odd.exe", 1);
    process.properties["ProcessID"] = PropertyValue::FromText("abc");
    wmi.processes = {process};
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text,
              ExpectedBox("Could not convert variant of type (String) into type (Int64)", "8 0"));
    EXPECT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ProcessName, "odd.exe");
}

TEST_F(ScanProcessesTest, MessagesWithFormatDirectivesAreShownAsTheyAre) {
    wmi.FailCall("ConnectServer", "bad %s%n%d name");
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, ExpectedBox("bad %s%n%d name", "2"));
}

}  // namespace
}  // namespace brisklow
