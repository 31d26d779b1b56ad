// The stand-in as the program meets it: registered in the test prefix as the scripting locator's
// server, created through COM by the program's own access, and driven by the program's scan.
#include <windows.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "inventory/ComWmiAccess.h"
#include "inventory/ScanProcesses.h"
#include "inventory/WmiError.h"
#include "tests/inventory/RecordingSink.h"
#include "wmi_standin/simulation/WmiDoubles.h"

namespace brisklow {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MessageInBox;
using ::testing::Not;
using testing::RecordingSink;

constexpr const wchar_t* kServerKey =
    L"Software\\Classes\\CLSID\\{76A64158-CB41-11D1-8B02-00600806D9B6}\\InprocServer32";
constexpr const wchar_t* kSavedServerKey = L"Software\\Brisklow\\WmiStandin\\SavedInprocServer32";

std::string TrimmedSystemText(HRESULT result) {
    char buffer[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(result), 0, buffer, sizeof buffer, nullptr);
    return TrimTrailingNoise(std::string(buffer, length));
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return c < 128 ? static_cast<wchar_t>(std::tolower(c)) : c; });
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

// A text value of the 64-bit registry view; empty when it is not there.
std::wstring RegistryText(const wchar_t* key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    const LSTATUS status =
        RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? std::wstring(buffer) : std::wstring();
}

std::wstring Utf16(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, text.size());
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        text.append(chunk, read);
    CloseHandle(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The Unix path of a Windows one, through Wine; empty outside Wine.
std::string UnixPathOf(const std::wstring& path) {
    using ToUnixName = char*(__cdecl*)(const wchar_t*);
    const FARPROC found =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!found) return {};
    const auto toUnixName = reinterpret_cast<ToUnixName>(reinterpret_cast<void (*)()>(found));
    char* name = toUnixName(path.c_str());
    if (!name) return {};
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// The description that the last failing call left as the thread's error information; empty
// without one.
std::wstring ThreadErrorDescription() {
    IErrorInfo* info = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetDescription(&description);
        info->Release();
    }
    std::wstring text(description ? description : L"", SysStringLen(description));
    SysFreeString(description);
    return text;
}

const TProcesInformation* FindRecord(const TPIArray& table, const std::string& name) {
    for (const TProcesInformation& record : table) {
        if (record.ProcessName == name) return &record;
    }
    return nullptr;
}

class StandinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        apartmentEntered_ = true;
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ =
            std::wstring(temp) + L"brisklow-standin-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        networkPath = folder_ + L"\\network.json";
        logPath = folder_ + L"\\calls.log";
        DeleteFileW(logPath.c_str());
        SetEnvironmentVariableW(L"BRISKLOW_WMI_LOG", logPath.c_str());
    }

    void TearDown() override {
        SetEnvironmentVariableW(L"BRISKLOW_WMI_NETWORK", nullptr);
        SetEnvironmentVariableW(L"BRISKLOW_WMI_LOG", nullptr);
        // The stand-in holds the log open until the next locator names another one.
        if (apartmentEntered_) CoUninitialize();
        DeleteFileW(networkPath.c_str());
        DeleteFileW(logPath.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    void UseNetwork(const std::string& json) {
        WriteFileText(networkPath, json);
        SetEnvironmentVariableW(L"BRISKLOW_WMI_NETWORK", networkPath.c_str());
    }

    // A scan through the program's own access: the registered locator, made by COM.
    void Scan(const std::string& computer, const std::string& user = "",
              const std::string& password = "") {
        sink = {};
        table.Clear();
        ComWmiAccess access;
        ScanProcesses(access, sink, computer, user, password, table);
    }

    std::wstring networkPath;
    std::wstring logPath;
    RecordingSink sink;
    TPIArray table;

  private:
    std::wstring folder_;
    bool apartmentEntered_ = false;
};

// One process with every property; `extra` (JSON members) replaces or adds some.
std::string ProcessJson(const std::string& name, long long processId,
                        const std::string& extra = "") {
    std::string json = R"({"Name": ")" + name + R"(", "ExecutablePath": "C:\\Apps\\)" + name +
                       R"(", "ProcessID": )" + std::to_string(processId) +
                       R"(, "ParentProcessId": 4, "SessionID": 1, "ThreadCount": 3, "Priority": 8,
                          "WorkingSetSize": "1048576", "HandleCount": 50,
                          "UserModeTime": "10000000", "KernelModeTime": "0")";
    if (!extra.empty()) json += ", " + extra;
    return json + "}";
}

TEST_F(StandinTest, LocatorClassIsServedByTheStandinWithTheReplacedEntryKept) {
    const std::wstring server = Lower(RegistryText(kServerKey, nullptr));
    EXPECT_THAT(server, HasSubstr(Lower(Utf16(BRISKLOW_STANDIN_DLL_NAME))));
    EXPECT_EQ(RegistryText(kServerKey, L"ThreadingModel"), L"Apartment");
    const std::wstring saved = RegistryText(kSavedServerKey, nullptr);
    EXPECT_FALSE(saved.empty());
    EXPECT_THAT(Lower(saved), Not(HasSubstr(Lower(Utf16(BRISKLOW_STANDIN_DLL_NAME)))));
}

TEST_F(StandinTest, RegisteringAgainKeepsTheReplacedEntry) {
    const std::wstring saved = RegistryText(kSavedServerKey, nullptr);
    const std::wstring savedModel = RegistryText(kSavedServerKey, L"ThreadingModel");
    const HMODULE standin = LoadLibraryW(RegistryText(kServerKey, nullptr).c_str());
    ASSERT_NE(standin, nullptr);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer = reinterpret_cast<Entry>(
        reinterpret_cast<void (*)()>(GetProcAddress(standin, "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_HRESULT_SUCCEEDED(registerServer());
    EXPECT_EQ(RegistryText(kSavedServerKey, nullptr), saved);
    EXPECT_EQ(RegistryText(kSavedServerKey, L"ThreadingModel"), savedModel);
    EXPECT_EQ(RegistryText(kServerKey, L"ThreadingModel"), L"Apartment");
    FreeLibrary(standin);
}

// On a Windows that is not Wine the locator's class is the system's own: told so, the stand-in's
// registration refuses, says why, and writes nothing, not even where nothing of its own stands.
TEST_F(StandinTest, RegisteringOutsideWineRefusesAndWritesNothing) {
    const HMODULE standin = LoadLibraryW(RegistryText(kServerKey, nullptr).c_str());
    ASSERT_NE(standin, nullptr);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto entry = [&](const char* name) {
        return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(standin, name)));
    };
    const Entry registerServer = entry("DllRegisterServer");
    const Entry unregisterServer = entry("DllUnregisterServer");
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);

    // The prefix as it was before the stand-in: the system's own server, nothing of Brisklow's.
    ASSERT_HRESULT_SUCCEEDED(unregisterServer());
    const std::wstring system = RegistryText(kServerKey, nullptr);
    const std::wstring systemModel = RegistryText(kServerKey, L"ThreadingModel");
    ASSERT_THAT(Lower(system), Not(HasSubstr(Lower(Utf16(BRISKLOW_STANDIN_DLL_NAME)))));
    HKEY own = nullptr;
    ASSERT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Brisklow", 0,
                            KEY_READ | KEY_WOW64_64KEY, &own),
              ERROR_SUCCESS);

    SetEnvironmentVariableW(L"BRISKLOW_WMI_STANDIN_NOT_WINE", L"1");
    SetErrorInfo(0, nullptr);
    const HRESULT refused = registerServer();
    SetEnvironmentVariableW(L"BRISKLOW_WMI_STANDIN_NOT_WINE", nullptr);
    EXPECT_EQ(refused, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_THAT(ThreadErrorDescription(), HasSubstr(L"only under Wine"));
    EXPECT_EQ(RegistryText(kServerKey, nullptr), system);
    EXPECT_EQ(RegistryText(kServerKey, L"ThreadingModel"), systemModel);
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Brisklow", 0,
                            KEY_READ | KEY_WOW64_64KEY, &own),
              ERROR_SUCCESS)
        << "the stand-in kept an entry of its own";

    // Under Wine it registers again, for the cases after this one.
    ASSERT_HRESULT_SUCCEEDED(registerServer());
    EXPECT_THAT(Lower(RegistryText(kServerKey, nullptr)),
                HasSubstr(Lower(Utf16(BRISKLOW_STANDIN_DLL_NAME))));
    FreeLibrary(standin);
}

TEST_F(StandinTest, ClassFactoryServesOnlyTheLocator) {
    const HMODULE standin = LoadLibraryW(RegistryText(kServerKey, nullptr).c_str());
    ASSERT_NE(standin, nullptr);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void (*)()>(GetProcAddress(standin, "DllGetClassObject")));
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    const CLSID otherClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(getClassObject(otherClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_HRESULT_SUCCEEDED(
        getClassObject(kWbemLocatorClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IUnknown* outer = factory;
    ISWbemLocator* locator = nullptr;
    EXPECT_EQ(
        factory->CreateInstance(outer, __uuidof(ISWbemLocator), reinterpret_cast<void**>(&locator)),
        CLASS_E_NOAGGREGATION);
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, __uuidof(ISWbemLocator),
                                                     reinterpret_cast<void**>(&locator)));
    locator->Release();
    factory->Release();
    FreeLibrary(standin);
}

// The simulation's COM methods are the stand-in's barrier: what its own code raises reaches the
// caller as a failure code with the message as the error description, never as an exception.
TEST_F(StandinTest, ExceptionInsideTheSimulationBecomesAFailureCodeWithItsMessage) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        HRESULT result;
        std::wstring description;
    };
    const Case cases[] = {
        {"runtime error", [] { throw std::runtime_error("the network file vanished"); },
         E_UNEXPECTED, L"the network file vanished"},
        {"allocation failure", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, L"std::bad_alloc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fake = std::make_shared<wmi_doubles::FakeWmi>(wmi_doubles::Scenario{});
        fake->connector = [&c](const wmi_doubles::ConnectRequest&) -> wmi_doubles::Connection {
            c.raise();
            return {};
        };
        ISWbemLocator* locator = nullptr;
        ASSERT_HRESULT_SUCCEEDED(wmi_doubles::CreateLocatorDouble(fake, &locator));
        ISWbemServices* services = nullptr;
        const HRESULT result = locator->ConnectServer(nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      nullptr, 0, nullptr, &services);
        const std::wstring description = ThreadErrorDescription();
        locator->Release();

        EXPECT_EQ(result, c.result);
        EXPECT_EQ(services, nullptr);
        EXPECT_EQ(description, c.description);
        EXPECT_EQ(fake->log.size(), 1u);  // the failed call is logged like any other
        EXPECT_EQ(fake->liveObjects.load(), 0);
    }
}

TEST_F(StandinTest, LocalComputerListsThisProcessWithItsExecutablePath) {
    char ownPath[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, ownPath, MAX_PATH), 0u);
    char computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computerName;
    ASSERT_TRUE(GetComputerNameA(computerName, &length));
    for (const std::string& name : {std::string(), std::string("."), std::string("LOCALHOST"),
                                    Lower(std::string(computerName, length))}) {
        SCOPED_TRACE("computer \"" + name + "\"");
        Scan(name);
        EXPECT_THAT(sink.boxes, IsEmpty());
        EXPECT_GT(table.Length(), 1u);
        const auto own = std::find_if(table.begin(), table.end(), [](const auto& record) {
            return record.ProcessId == GetCurrentProcessId();
        });
        ASSERT_NE(own, table.end());
        EXPECT_EQ(Lower(own->ExecutablePath), Lower(std::string(ownPath)));
        EXPECT_EQ(Lower(own->ProcessName), "brisklow_standin_tests.exe");
        EXPECT_GE(own->ThreadCount, 1u);
        EXPECT_GT(own->WorkingSetKB, 0u);
    }
}

TEST_F(StandinTest, CredentialsForThisComputerAreRefusedAsLocalOnes) {
    char computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computerName;
    ASSERT_TRUE(GetComputerNameA(computerName, &length));
    // Refused by the name, even where the network file lists it with that very account.
    UseNetwork(R"({"computers": [{"name": "localhost",
        "accounts": [{"user": "someone", "password": "secret"}], "processes": [)" +
               ProcessJson("listed.exe", 77) + "]}]}");
    const std::vector<std::pair<std::string, std::string>> credentials = {
        {"someone", "secret"}, {"someone", ""}, {"", "secret"}};
    for (const std::string& name : {std::string(), std::string("."), std::string("LocalHost"),
                                    Lower(std::string(computerName, length))}) {
        for (const auto& [user, password] : credentials) {
            SCOPED_TRACE("computer \"" + name + "\", user \"" + user + "\", password \"" +
                         password + "\"");
            Scan(name, user, password);
            ASSERT_EQ(sink.boxes.size(), 1u);
            EXPECT_EQ(MessageInBox(sink.boxes[0].text),
                      "User credentials cannot be used for local connections");
            EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 2\r"));
            EXPECT_EQ(table.Length(), 0u);
        }
    }
    // Each with WMI's code for it.
    const std::vector<std::string> lines = ReadLines(logPath);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("ConnectServer ") &&
                                       line.ends_with(" result=0x80041064");
                            }),
              12);
    // The caller's own logon still connects.
    Scan("localhost");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_EQ(table.Length(), 1u);
}

TEST_F(StandinTest, SimulatedComputerServesItsEdgeValuesExactly) {
    UseNetwork(R"({"computers": [{"name": "SRV-EDGE", "processes": [
        {"Name": "System", "ExecutablePath": null, "ProcessID": 4, "ParentProcessId": 0,
         "SessionID": 0, "ThreadCount": 150, "Priority": 8, "WorkingSetSize": "3221225472",
         "HandleCount": 2500, "UserModeTime": "14999999", "KernelModeTime": "5000000"},
        )" + ProcessJson("t59.exe", 100, R"("UserModeTime": "590000000")") +
               "," +
               ProcessJson("t60.exe", 101,
                           R"("UserModeTime": "300000000", "KernelModeTime": "300000000")") +
               "," + ProcessJson("t3600.exe", 102, R"("KernelModeTime": "35990000000")") + "," +
               ProcessJson("big.exe", 4294967295, R"("ParentProcessId": 2147483648)") + "]}]}");
    Scan("srv-edge");
    EXPECT_THAT(sink.boxes, IsEmpty());
    ASSERT_EQ(table.Length(), 5u);
    const TProcesInformation& system = table[0];
    EXPECT_EQ(system.ProcessName, "System");
    EXPECT_EQ(system.ExecutablePath, "");
    EXPECT_EQ(system.ProcessId, 4u);
    EXPECT_EQ(system.ThreadCount, 150u);
    EXPECT_EQ(system.WorkingSetKB, 3145728u);
    EXPECT_EQ(system.HandleCount, 2500u);
    EXPECT_EQ(system.CpuSeconds, 1u);
    EXPECT_EQ(table[1].CpuSeconds, 59u);
    EXPECT_EQ(table[1].ExecutablePath, "C:\\Apps\\t59.exe");
    EXPECT_EQ(table[2].CpuSeconds, 60u);
    EXPECT_EQ(table[3].CpuSeconds, 3600u);
    EXPECT_EQ(table[4].ProcessId, 4294967295u);
    EXPECT_EQ(table[4].ParentProcessId, 2147483648u);
    EXPECT_EQ(table[4].WorkingSetKB, 1024u);
}

TEST_F(StandinTest, RefusedCredentialsEndTheScanAtTheConnection) {
    UseNetwork(R"({"computers": [{"name": "SRV-FILES",
        "accounts": [{"user": "admin", "password": "s3cret"}],
        "processes": [)" +
               ProcessJson("a.exe", 10) + "]}]}");
    Scan("SRV-FILES", "admin", "wrong");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Access denied");
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 2\r"));
    EXPECT_EQ(table.Length(), 0u);

    Scan("SRV-FILES", "Admin", "s3cret");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_EQ(table.Length(), 1u);

    // The caller's own logon.
    Scan("SRV-FILES", "", "");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_EQ(table.Length(), 1u);
}

TEST_F(StandinTest, UnlistedNameIsUnreachableWithTheSystemsText) {
    const std::string systemText = TrimmedSystemText(static_cast<HRESULT>(0x800706BA));
    ASSERT_FALSE(systemText.empty());
    UseNetwork(R"({"computers": [{"name": "SRV-FILES"}]})");
    Scan("NOWHERE", "admin", "s3cret");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), systemText);
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 2\r"));

    // Without a network file only this computer answers.
    SetEnvironmentVariableW(L"BRISKLOW_WMI_NETWORK", nullptr);
    Scan("SRV-FILES");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), systemText);
}

TEST_F(StandinTest, FailureAtTheEighthProcessKeepsEightRecords) {
    std::string processes;
    for (int i = 0; i < 10; ++i) {
        processes += (i ? "," : "") + ProcessJson("p" + std::to_string(i) + ".exe", 200 + i);
    }
    UseNetwork(R"({"computers": [{"name": "SRV-LEGACY", "failures": [
        {"call": "Item:ThreadCount", "hresult": "0x80041001", "description": "Generic failure",
         "atProcess": 7}], "processes": [)" +
               processes + "]}]}");
    Scan("SRV-LEGACY");
    EXPECT_EQ(table.Length(), 8u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Generic failure");
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 8 7\r"));
}

TEST_F(StandinTest, FailuresOfCallsAndPropertiesAreServedAsScripted) {
    UseNetwork(
        R"({"computers": [
        {"name": "DENIES-GET", "failures": [{"call": "Get", "hresult": "0x80041003",
                                             "description": "Access denied "}],
         "processes": [)" +
        ProcessJson("a.exe", 1) + R"(]},
        {"name": "NO-HANDLES", "processes": [)" +
        ProcessJson("a.exe", 1,
                    R"("failures": [{"property": "HandleCount", "hresult": "0x80041002"}])") +
        R"(]},
        {"name": "NO-THREADS", "processes": [{"Name": "a.exe", "ExecutablePath": null,
         "ProcessID": 1, "ParentProcessId": 0, "SessionID": 0, "Priority": 8}]},
        {"name": "SHORT-LIST", "enumFailAfter": 3, "generate": 10}]})");
    Scan("DENIES-GET");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Access denied");
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 5\r"));

    // A failing size or time is skipped quietly, the rest of the record read.
    Scan("NO-HANDLES");
    EXPECT_THAT(sink.boxes, IsEmpty());
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].HandleCount, 0u);
    EXPECT_EQ(table[0].WorkingSetKB, 1024u);
    EXPECT_EQ(table[0].CpuSeconds, 0u);

    Scan("NO-THREADS");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Not found");
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 8 0\r"));

    Scan("SHORT-LIST");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_EQ(table.Length(), 3u);
}

TEST_F(StandinTest, GeneratedProcessesAreServedInBulk) {
    UseNetwork(R"({"computers": [{"name": "BENCH", "generate": 10000,
                   "processes": [)" +
               ProcessJson("first.exe", 1) + "]}]}");
    SetEnvironmentVariableW(L"BRISKLOW_WMI_LOG", nullptr);
    Scan("BENCH");
    EXPECT_THAT(sink.boxes, IsEmpty());
    ASSERT_EQ(table.Length(), 10001u);
    EXPECT_EQ(table[0].ProcessName, "first.exe");
    EXPECT_EQ(table[1].ProcessName, "proc00001.exe");
    EXPECT_EQ(table[1].ExecutablePath, "C:\\Program Files\\Generated\\proc00001.exe");
    EXPECT_EQ(table[10000].ProcessName, "proc10000.exe");
    EXPECT_EQ(table[10000].ProcessId, 1000u + 4u * 9999u);
}

TEST_F(StandinTest, ListingTheLocalNameServesTheFileInstead) {
    UseNetwork(R"({"computers": [{"name": "localhost", "processes": [)" +
               ProcessJson("listed.exe", 77) + "]}]}");
    Scan("LocalHost");
    EXPECT_THAT(sink.boxes, IsEmpty());
    ASSERT_EQ(table.Length(), 1u);
    EXPECT_EQ(table[0].ProcessName, "listed.exe");
    // "." is not listed: still this computer.
    Scan(".");
    EXPECT_GT(table.Length(), 1u);
}

TEST_F(StandinTest, MalformedFileIsNamedInTheErrorBoxWithTheParsersPlace) {
    UseNetwork("{\"computers\": [\n  {\"name\": \"A\",}\n]}");
    Scan("A");
    ASSERT_EQ(sink.boxes.size(), 1u);
    const std::string message = MessageInBox(sink.boxes[0].text);
    std::string narrowPath(networkPath.begin(), networkPath.end());
    EXPECT_THAT(message, HasSubstr(narrowPath));
    EXPECT_THAT(message, HasSubstr("line 2"));
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 2\r"));

    DeleteFileW(networkPath.c_str());
    Scan("A");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_THAT(MessageInBox(sink.boxes[0].text), HasSubstr("cannot be read"));
}

TEST_F(StandinTest, CallLogShowsEachCallWithItsResultAndEveryScanEndsWithLiveZero) {
    UseNetwork(R"({"computers": [{"name": "SRV-FILES",
        "accounts": [{"user": "admin", "password": "s3cret"}],
        "processes": [)" +
               ProcessJson("a.exe", 10) + "]}]}");
    Scan("SRV-FILES", "admin", "s3cret");
    Scan("SRV-FILES", "admin", "wrong");
    std::vector<std::string> expected = {
        "ConnectServer server=SRV-FILES namespace=root\\CIMV2 user=admin passwordLength=6 "
        "locale= authority= flags=0 namedValues=null result=0x00000000",
        "get_Security_ result=0x00000000",
        "put_ImpersonationLevel level=3 result=0x00000000",
        "get_Security_ result=0x00000000",
        "get_Privileges result=0x00000000",
        "Add privilege=19 enabled=true result=0x00000000",
        "Get path=Win32_Process flags=131072 namedValues=null result=0x00000000",
        "Instances_ flags=0 namedValues=null result=0x00000000",
        "get__NewEnum result=0x00000000",
        "QueryInterface:IEnumVARIANT result=0x00000000",
        "Next count=1 result=0x00000000",
        "QueryInterface:ISWbemObject result=0x00000000",
        "get_Properties_ result=0x00000000"};
    for (const char* name :
         {"Name", "ExecutablePath", "ProcessID", "ParentProcessId", "SessionID", "ThreadCount",
          "Priority", "WorkingSetSize", "HandleCount", "UserModeTime", "KernelModeTime"}) {
        expected.push_back(std::string("Item name=") + name + " flags=0 result=0x00000000");
        expected.push_back(std::string("get_Value name=") + name + " result=0x00000000");
    }
    expected.push_back("Next count=1 result=0x00000001");
    expected.push_back("live 0");
    expected.push_back(
        "ConnectServer server=SRV-FILES namespace=root\\CIMV2 user=admin passwordLength=5 "
        "locale= authority= flags=0 namedValues=null result=0x80070005");
    expected.push_back("live 0");
    const std::vector<std::string> lines = ReadLines(logPath);
    EXPECT_THAT(lines, ElementsAreArray(expected));
    for (const std::string& line : lines) {
        EXPECT_THAT(line, Not(HasSubstr("s3cret")));
        EXPECT_THAT(line, Not(HasSubstr("wrong")));
    }
}

TEST_F(StandinTest, DemoNetworkServesItsComputers) {
    const std::string demo = BRISKLOW_DEMO_NETWORK;
    if (UnixPathOf(L"C:\\").empty()) GTEST_SKIP() << "the demo network is named by a Unix path";
    // Set as the Unix path it is: the stand-in turns it into the Windows path of the same file.
    SetEnvironmentVariableW(L"BRISKLOW_WMI_NETWORK", Utf16(demo).c_str());

    Scan("SRV-FILES", "admin", "s3cret");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_GE(table.Length(), 12u);
    const TProcesInformation* system = FindRecord(table, "System");
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->ExecutablePath, "");
    std::vector<uint32_t> workingSets, cpuSeconds;
    for (const TProcesInformation& record : table) {
        workingSets.push_back(record.WorkingSetKB);
        cpuSeconds.push_back(record.CpuSeconds);
    }
    EXPECT_THAT(workingSets, Contains(3145728u));
    EXPECT_THAT(cpuSeconds, Contains(59u));
    EXPECT_THAT(cpuSeconds, Contains(60u));
    EXPECT_THAT(cpuSeconds, Contains(3600u));

    Scan("srv-files", "admin", "nope");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text), "Access denied");

    Scan("SRV-LEGACY", "", "");
    EXPECT_EQ(table.Length(), 8u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_THAT(sink.boxes[0].text, HasSubstr("Code: 8 7\r"));

    Scan("NOWHERE", "admin", "s3cret");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(MessageInBox(sink.boxes[0].text),
              TrimmedSystemText(static_cast<HRESULT>(0x800706BA)));

    Scan("");
    EXPECT_THAT(sink.boxes, IsEmpty());
    EXPECT_GT(table.Length(), 1u);
}

}  // namespace
}  // namespace brisklow
