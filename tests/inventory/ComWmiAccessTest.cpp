#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "inventory/ComOwners.h"
#include "inventory/ComWmiAccess.h"
#include "inventory/ScanProcesses.h"
#include "inventory/WmiError.h"
#include "tests/inventory/RecordingSink.h"
#include "wmi_standin/simulation/WmiDoubles.h"

namespace brisklow {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MessageInBox;
using ::testing::Not;
using testing::RecordingSink;
using wmi_doubles::FakeProcess;
using wmi_doubles::FakeValue;
using wmi_doubles::FakeWmi;
using wmi_doubles::Scenario;

// Records what the scan shows, and how many doubles were alive when a box came up.
// The system's own text for a result code, trimmed as the program trims it; read here directly so
// that the expectation does not lean on the code under test.
std::string TrimmedSystemText(HRESULT result) {
    char buffer[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(result), 0, buffer, sizeof buffer, nullptr);
    return TrimTrailingNoise(std::string(buffer, length));
}

std::string OleErrorText(HRESULT result) {
    return ComposeWmiErrorMessage("", "", static_cast<int32_t>(result));
}

bool ThreadHasErrorObject() {
    IErrorInfo* info = nullptr;
    const HRESULT result = GetErrorInfo(0, &info);
    if (info) info->Release();
    return result == S_OK;
}

FakeProcess MakeProcess(const std::wstring& name, int32_t pid) {
    FakeProcess process;
    process.properties = {
        {L"Name", FakeValue::Text(name)},
        {L"ExecutablePath", FakeValue::Text(L"C:\\Windows\\System32\\" + name)},
        {L"ProcessID", FakeValue::Int32(pid)},
        {L"ParentProcessId", FakeValue::Int32(4)},
        {L"SessionID", FakeValue::Int32(1)},
        {L"ThreadCount", FakeValue::Int32(12)},
        {L"Priority", FakeValue::Int32(8)},
        {L"WorkingSetSize", FakeValue::Text(L"4096000")},
        {L"HandleCount", FakeValue::Int32(345)},
        {L"UserModeTime", FakeValue::Text(L"20000000")},
        {L"KernelModeTime", FakeValue::Text(L"10000000")},
    };
    return process;
}

const char* const kPropertiesInScanOrder[] = {
    "Name",     "ExecutablePath", "ProcessID",   "ParentProcessId", "SessionID",     "ThreadCount",
    "Priority", "WorkingSetSize", "HandleCount", "UserModeTime",    "KernelModeTime"};

class ComWmiAccessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        apartmentEntered_ = true;
    }
    void TearDown() override {
        if (apartmentEntered_) CoUninitialize();
    }

    // An access whose locator is a double serving `scenario` as it stands now.
    ComWmiAccess Access() {
        fake = std::make_shared<FakeWmi>(scenario);
        return ComWmiAccess([served = fake](ISWbemLocator** locator) {
            return wmi_doubles::CreateLocatorDouble(served, locator);
        });
    }

    void Scan(const std::string& computer = "SRV1", const std::string& user = "admin",
              const std::string& password = "pw") {
        ComWmiAccess access = Access();
        sink.liveObjects = [served = fake] { return served->liveObjects.load(); };
        ScanProcesses(access, sink, computer, user, password, table);
    }

    // The message of a failing ConnectServer, made directly on the locator.
    std::string ConnectFailureMessage() {
        ComWmiAccess access = Access();
        const std::unique_ptr<WmiLocator> locator = access.CreateLocator();
        try {
            locator->ConnectServer("SRV1", "root\\CIMV2", "admin", "pw", "", "", 0);
        } catch (const WmiError& error) {
            return error.what();
        }
        ADD_FAILURE() << "ConnectServer did not fail";
        return {};
    }

    void FailConnect(HRESULT result, std::optional<std::wstring> description) {
        scenario.failures.push_back({"ConnectServer", result, std::move(description), {}});
    }

    Scenario scenario;
    std::shared_ptr<FakeWmi> fake;
    RecordingSink sink;
    TPIArray table;

  private:
    bool apartmentEntered_ = false;
};

TEST_F(ComWmiAccessTest, MakesTheScriptingCallsInOrderWithTheirArguments) {
    scenario.processes = {MakeProcess(L"smss.exe", 400)};
    Scan("SRV1", "admin", "s3cret");
    std::vector<std::string> expected = {
        "ConnectServer server=SRV1 namespace=root\\CIMV2 user=admin passwordLength=6 locale= "
        "authority= flags=0 namedValues=null",
        "get_Security_",
        "put_ImpersonationLevel level=3",
        "get_Security_",
        "get_Privileges",
        "Add privilege=19 enabled=true",
        "Get path=Win32_Process flags=131072 namedValues=null",
        "Instances_ flags=0 namedValues=null",
        "get__NewEnum",
        "QueryInterface:IEnumVARIANT",
        "Next count=1",
        "QueryInterface:ISWbemObject",
        "get_Properties_"};
    for (const char* name : kPropertiesInScanOrder) {
        expected.push_back(std::string("Item name=") + name + " flags=0");
        expected.push_back(std::string("get_Value name=") + name);
    }
    expected.push_back("Next count=1");
    EXPECT_THAT(fake->log, ElementsAreArray(expected));
    for (const auto& line : fake->log) EXPECT_THAT(line, Not(HasSubstr("s3cret")));
    EXPECT_THAT(sink.boxes, IsEmpty());
}

TEST_F(ComWmiAccessTest, FillsOneRecordPerProcessAndReleasesEveryObject) {
    scenario.processes = {MakeProcess(L"smss.exe", 400), MakeProcess(L"csrss.exe", 500)};
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
    EXPECT_EQ(table[1].ProcessId, 500u);
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "admin"));
    EXPECT_EQ(fake->liveObjects.load(), 0);
    EXPECT_FALSE(ThreadHasErrorObject());
}

TEST_F(ComWmiAccessTest, HandedOutObjectsCountAsLiveUntilTheirOwnersGo) {
    ComWmiAccess access = Access();
    std::unique_ptr<WmiLocator> locator = access.CreateLocator();
    EXPECT_EQ(fake->liveObjects.load(), 1);
    std::unique_ptr<WmiServices> services =
        locator->ConnectServer("SRV1", "root\\CIMV2", "", "", "", "", 0);
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(fake->liveObjects.load(), 2);
    locator.reset();
    EXPECT_EQ(fake->liveObjects.load(), 1);
    services.reset();
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, ReleasesEveryObjectAndErrorObjectWhicheverCallFails) {
    struct Case {
        const char* call;
        bool perProcess;
        const char* message;  // the box's message, or none when the scan goes on quietly
    };
    const Case cases[] = {
        {"ConnectServer", false, "boom"},
        {"get_Security_", false, "boom"},
        {"put_ImpersonationLevel", false, "boom"},
        {"get_Privileges", false, "boom"},
        {"Add", false, "boom"},
        {"Get", false, "boom"},
        {"Instances_", false, "boom"},
        {"get__NewEnum", false, "boom"},
        {"QueryInterface:IEnumVARIANT", false, kInterfaceNotSupported},
        {"Next", true, nullptr},
        {"QueryInterface:ISWbemObject", true, kInterfaceNotSupported},
        {"get_Properties_", true, "boom"},
        {"Item:Name", true, "boom"},
        {"get_Value:ProcessID", true, "boom"},
        {"Item:KernelModeTime", true, nullptr},  // inside the usage block: skipped quietly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        scenario = {};
        scenario.processes = {MakeProcess(L"a.exe", 1), MakeProcess(L"b.exe", 2)};
        scenario.failures = {{c.call, static_cast<HRESULT>(0x80041001), L"boom",
                              c.perProcess ? std::optional<size_t>(1) : std::nullopt}};
        sink = {};
        table.Clear();
        Scan();
        EXPECT_GT(fake->log.size(), 0u);
        EXPECT_EQ(fake->liveObjects.load(), 0);
        EXPECT_FALSE(ThreadHasErrorObject());
        if (c.message) {
            ASSERT_EQ(sink.boxes.size(), 1u);
            EXPECT_EQ(MessageInBox(sink.boxes[0].text), c.message);
            EXPECT_THAT(sink.liveAtBox, ElementsAre(0));
        } else {
            EXPECT_THAT(sink.boxes, IsEmpty());
        }
    }
}

TEST_F(ComWmiAccessTest, DescriptionIsShownWithoutTrailingBlanksLineBreaksAndFullStops) {
    FailConnect(static_cast<HRESULT>(0x80070005), L"Zugriff verweigert. \r\n");
    EXPECT_EQ(ConnectFailureMessage(), "Zugriff verweigert");
}

TEST_F(ComWmiAccessTest, WithoutDescriptionTheSystemTextOfTheCodeIsShown) {
    const HRESULT rpcServerUnavailable = static_cast<HRESULT>(0x800706BA);
    const std::string systemText = TrimmedSystemText(rpcServerUnavailable);
    ASSERT_FALSE(systemText.empty());
    FailConnect(rpcServerUnavailable, std::nullopt);
    EXPECT_EQ(ConnectFailureMessage(), systemText);
}

TEST_F(ComWmiAccessTest, WithNeitherDescriptionNorSystemTextTheCodeIsShownAsOleError) {
    const HRESULT unknown = static_cast<HRESULT>(0x80041234);
    ASSERT_EQ(TrimmedSystemText(unknown), "");
    FailConnect(unknown, std::nullopt);
    EXPECT_EQ(ConnectFailureMessage(), "OLE-Fehler 80041234");
}

TEST_F(ComWmiAccessTest, ErrorObjectLeftBeforeTheCallIsNotTakenForItsDescription) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CreateErrorInfo(&create));
    std::wstring stale = L"stale description";
    create->SetDescription(stale.data());
    IErrorInfo* info = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)));
    SetErrorInfo(0, info);
    info->Release();
    create->Release();

    const HRESULT classNotRegistered = REGDB_E_CLASSNOTREG;
    ComWmiAccess access([&](ISWbemLocator** locator) {
        *locator = nullptr;
        return classNotRegistered;
    });
    try {
        access.CreateLocator();
        ADD_FAILURE() << "CreateLocator did not fail";
    } catch (const WmiError& error) {
        const std::string systemText = TrimmedSystemText(classNotRegistered);
        EXPECT_EQ(std::string(error.what()),
                  systemText.empty() ? OleErrorText(classNotRegistered) : systemText);
    }
}

TEST_F(ComWmiAccessTest, LocatorFailureReachesTheScanCaller) {
    ComWmiAccess access([](ISWbemLocator** locator) {
        *locator = nullptr;
        return REGDB_E_CLASSNOTREG;
    });
    EXPECT_THROW(ScanProcesses(access, sink, "SRV1", "admin", "pw", table), WmiError);
    EXPECT_THAT(sink.boxes, IsEmpty());
}

TEST_F(ComWmiAccessTest, FailedInterfaceQueriesReadInterfaceNotSupported) {
    for (const char* call : {"QueryInterface:IEnumVARIANT", "QueryInterface:ISWbemObject"}) {
        SCOPED_TRACE(call);
        scenario = {};
        scenario.processes = {MakeProcess(L"a.exe", 1)};
        scenario.failures = {{call, E_NOINTERFACE, std::nullopt, {}}};
        sink = {};
        Scan();
        ASSERT_EQ(sink.boxes.size(), 1u);
        EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Interface not supported");
    }
}

TEST_F(ComWmiAccessTest, ItemWithoutAnObjectReadsInterfaceNotSupported) {
    scenario.processes = {MakeProcess(L"a.exe", 1)};
    scenario.itemType = VT_I4;
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Interface not supported");
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, ItemHandedOutAsUnknownIsReadLikeADispatchItem) {
    scenario.processes = {MakeProcess(L"a.exe", 11)};
    scenario.itemType = VT_UNKNOWN;
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ProcessId, 11u);
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, ConnectionWithoutServicesEndsTheScanQuietly) {
    scenario.processes = {MakeProcess(L"a.exe", 1)};
    scenario.connectReturnsNoServices = true;
    Scan("pc", "operator", "");
    EXPECT_EQ(table.Length(), 0u);
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "operator"));
    EXPECT_THAT(fake->log,
                ElementsAre("ConnectServer server=pc namespace=root\\CIMV2 user=operator "
                            "passwordLength=0 locale= authority= flags=0 namedValues=null"));
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, CallSucceedingWithoutItsObjectEndsTheScanWithAnError) {
    const std::string noObject = TrimmedSystemText(E_POINTER).empty()
                                     ? OleErrorText(E_POINTER)
                                     : TrimmedSystemText(E_POINTER);
    const std::pair<const char*, std::string> cases[] = {{"get_Security_", noObject},
                                                         {"get_Privileges", noObject},
                                                         {"Get", noObject},
                                                         {"Instances_", noObject},
                                                         {"get_Properties_", noObject},
                                                         {"Item:Name", noObject},
                                                         {"get__NewEnum", kInterfaceNotSupported}};
    for (const auto& [call, message] : cases) {
        SCOPED_TRACE(call);
        scenario = {};
        scenario.processes = {MakeProcess(L"a.exe", 1)};
        scenario.callsReturningNoObject = {call};
        sink = {};
        Scan();
        ASSERT_EQ(sink.boxes.size(), 1u);
        EXPECT_EQ(MessageInBox(sink.boxes[0].text), message);
        EXPECT_EQ(fake->liveObjects.load(), 0);
    }
}

TEST_F(ComWmiAccessTest, PrivilegeAddedWithoutAPrivilegeObjectIsNoFailure) {
    scenario.processes = {MakeProcess(L"a.exe", 1)};
    scenario.callsReturningNoObject = {"Add"};
    Scan();
    EXPECT_EQ(table.Length(), 1u);
    EXPECT_THAT(sink.boxes, IsEmpty());
}

TEST_F(ComWmiAccessTest, FailingEnumeratorEndsTheListQuietly) {
    for (int i = 0; i < 4; ++i) scenario.processes.push_back(MakeProcess(L"p.exe", 100 + i));
    scenario.enumFailAfter = 2;
    Scan();
    EXPECT_EQ(table.Length(), 2u);
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_THAT(sink.userEntries, ElementsAre("Administrator", "admin"));
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, NullValuesLeaveTheirFieldsAtZero) {
    FakeProcess process = MakeProcess(L"System", 4);
    process.properties[L"ExecutablePath"] = FakeValue::Null();
    process.properties[L"SessionID"] = FakeValue::Null();
    process.properties[L"UserModeTime"] = FakeValue::Null();
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ExecutablePath, "");
    EXPECT_EQ(table[0].SessionId, 0u);
    EXPECT_EQ(table[0].ProcessId, 4u);
    EXPECT_EQ(table[0].CpuSeconds, 1u);
    EXPECT_THAT(sink.boxes, IsEmpty());
}

TEST_F(ComWmiAccessTest, WorkingSetAsDecimalTextBecomesKilobytes) {
    FakeProcess process = MakeProcess(L"big.exe", 9);
    process.properties[L"WorkingSetSize"] = FakeValue::Text(L"3221225472");
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].WorkingSetKB, 3145728u);
}

TEST_F(ComWmiAccessTest, RealAndBooleanValuesAreReadAsTheirKinds) {
    FakeProcess process = MakeProcess(L"r.exe", 9);
    process.properties[L"UserModeTime"] = FakeValue::Real(25000000.0);
    process.properties[L"KernelModeTime"] = FakeValue::Real(15000000.0);
    process.properties[L"Priority"] = FakeValue::Boolean(true);
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].CpuSeconds, 4u);         // 2.5 -> 2 and 1.5 -> 2, ties to even
    EXPECT_EQ(table[0].Priority, 0xFFFFFFFFu);  // true reads as -1
}

TEST_F(ComWmiAccessTest, NonNumericTextEndsTheScanWithTheConversionError) {
    FakeProcess process = MakeProcess(L"odd.exe", 1);
    process.properties[L"ProcessID"] = FakeValue::Text(L"abc");
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text),
              "Could not convert variant of type (String) into type (Int64)");
    EXPECT_EQ(fake->liveObjects.load(), 0);
}

TEST_F(ComWmiAccessTest, TextAboveTwoToTheSixtyFourEndsTheScanWithTheOverflowError) {
    FakeProcess process = MakeProcess(L"huge.exe", 1);
    process.properties[L"ProcessID"] = FakeValue::Text(L"18446744073709551616");
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text),
              "Overflow while converting variant of type (String) into type (Int64)");
}

TEST_F(ComWmiAccessTest, AbsentPropertyFailsWithItsDescription) {
    FakeProcess process = MakeProcess(L"a.exe", 1);
    process.properties.erase(L"ThreadCount");
    scenario.processes = {process};
    Scan();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Not found");
}

TEST_F(ComWmiAccessTest, LatinOneNameArrivesAsWindows1252Bytes) {
    ASSERT_EQ(GetACP(), 1252u) << "the test expects the Western European ANSI code page";
    scenario.processes = {MakeProcess(L"caf\u00e9.exe", 1)};
    Scan();
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ProcessName, "caf\xe9.exe");
}

TEST_F(ComWmiAccessTest, LatinOneCredentialsArePassedAsTheirUtf16Characters) {
    ASSERT_EQ(GetACP(), 1252u) << "the test expects the Western European ANSI code page";
    scenario.connectReturnsNoServices = true;
    const std::string password = std::string("se\xf1") + "ha";
    Scan("srv", "Jo\xe3o", password);
    ASSERT_EQ(fake->log.size(), 1u);
    EXPECT_THAT(fake->log[0], HasSubstr(" user=Jo\\u00e3o passwordLength=5 "));
}

TEST(PropertyValueFromVariantTest, MapsEachVariantTypeToItsPropertyKind) {
    VARIANT value;
    VariantInit(&value);
    EXPECT_TRUE(PropertyValueFromVariant(value).IsNull());

    value.vt = VT_NULL;
    EXPECT_TRUE(PropertyValueFromVariant(value).IsNull());

    value.vt = VT_I2;
    value.iVal = -5;
    EXPECT_EQ(PropertyValueFromVariant(value).int32, -5);

    value.vt = VT_UI1;
    value.bVal = 200;
    EXPECT_EQ(PropertyValueFromVariant(value).int32, 200);

    value.vt = VT_UI2;
    value.uiVal = 65535;
    EXPECT_EQ(PropertyValueFromVariant(value).int32, 65535);

    value.vt = VT_INT;
    value.intVal = -7;
    EXPECT_EQ(PropertyValueFromVariant(value).int32, -7);

    value.vt = VT_UI4;
    value.ulVal = 0xFFFFFFFFu;
    EXPECT_EQ(PropertyValueFromVariant(value).kind, PropertyValue::Kind::Int32);
    EXPECT_EQ(PropertyValueFromVariant(value).int32, -1);

    value.vt = VT_R4;
    value.fltVal = 1.5f;
    EXPECT_EQ(PropertyValueFromVariant(value).kind, PropertyValue::Kind::Real);
    EXPECT_EQ(PropertyValueFromVariant(value).real, 1.5);

    value.vt = VT_BOOL;
    value.boolVal = VARIANT_FALSE;
    EXPECT_EQ(PropertyValueFromVariant(value).kind, PropertyValue::Kind::Boolean);
    EXPECT_FALSE(PropertyValueFromVariant(value).boolean);

    value.vt = VT_I8;
    value.llVal = INT64_MIN;
    EXPECT_EQ(PropertyValueFromVariant(value).kind, PropertyValue::Kind::Text);
    EXPECT_EQ(PropertyValueFromVariant(value).text, "-9223372036854775808");

    value.vt = VT_UI8;
    value.ullVal = UINT64_MAX;
    EXPECT_EQ(PropertyValueFromVariant(value).text, "18446744073709551615");

    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    EXPECT_EQ(PropertyValueFromVariant(value).kind, PropertyValue::Kind::Text);
    EXPECT_EQ(PropertyValueFromVariant(value).text, "");
}

TEST(PropertyValueFromVariantTest, OtherTypesKeepAReadableTypeName) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DATE;
    value.date = 0.0;
    PropertyValue converted = PropertyValueFromVariant(value);
    EXPECT_EQ(converted.kind, PropertyValue::Kind::Other);
    EXPECT_EQ(converted.text, "Date");
    EXPECT_EQ(TypeName(converted), "Date");

    value.vt = VT_ARRAY | VT_BSTR;
    value.parray = nullptr;
    EXPECT_EQ(PropertyValueFromVariant(value).text, "Array of String");

    value.vt = VT_BYREF | VT_I4;
    value.plVal = nullptr;
    EXPECT_EQ(PropertyValueFromVariant(value).text, "Integer by reference");
}

TEST(ComOwnersTest, VariantOwnerReleasesTheObjectItHolds) {
    const auto served = std::make_shared<FakeWmi>(Scenario{});
    {
        UniqueVariant owner;
        VARIANT* slot = owner.Out();
        ASSERT_HRESULT_SUCCEEDED(wmi_doubles::CreateLocatorDouble(
            served, IID_IUnknown, reinterpret_cast<void**>(&slot->punkVal)));
        slot->vt = VT_UNKNOWN;
        EXPECT_EQ(served->liveObjects.load(), 1);
        owner.Out();  // handing the slot out again drops what it held
        EXPECT_EQ(owner.Get().vt, VT_EMPTY);
        EXPECT_EQ(served->liveObjects.load(), 0);
        slot = owner.Out();
        ASSERT_HRESULT_SUCCEEDED(wmi_doubles::CreateLocatorDouble(
            served, IID_IUnknown, reinterpret_cast<void**>(&slot->punkVal)));
        slot->vt = VT_UNKNOWN;
        EXPECT_EQ(served->liveObjects.load(), 1);
    }
    EXPECT_EQ(served->liveObjects.load(), 0);
}

TEST(ComOwnersTest, BstrOwnerHandsItsTextOverOnMove) {
    UniqueBstr first(SysAllocString(L"secret"), UniqueBstr::Wipe::Yes);
    UniqueBstr second = std::move(first);
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.View(), L"secret");
    second.Reset();
    EXPECT_EQ(second.Get(), nullptr);
    EXPECT_EQ(second.Length(), 0u);
}

TEST_F(ComWmiAccessTest, ProgramsLocatorIsTheRegisteredScriptingLocator) {
    ComWmiAccess access;
    std::unique_ptr<WmiLocator> locator;
    ASSERT_NO_THROW(locator = access.CreateLocator());
    EXPECT_NE(locator, nullptr);
}

}  // namespace
}  // namespace brisklow
