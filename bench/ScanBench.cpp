// Scan against the floor: ScanProcesses through ComWmiAccess, with the WMI doubles that the
// stand-in is built from injected in-process through the locator factory, serving the stand-in's
// generated computer; versus a bare loop making the same COM calls on the same doubles and
// keeping nothing.
#include "bench/ScanBench.h"

#include <oaidl.h>
#include <wbemdisp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "inventory/ComWmiAccess.h"
#include "inventory/ScanProcesses.h"
#include "wmi_standin/simulation/NetworkFile.h"
#include "wmi_standin/simulation/WmiDoubles.h"

namespace brisklow::bench {
namespace {

using brisklow::wmi_doubles::FakeProcess;
using brisklow::wmi_doubles::FakeValue;
using brisklow::wmi_doubles::FakeWmi;
using brisklow::wmi_standin::Value;

// Takes the calls and counts nothing: the stand-in's observer with its call log switched off.
class QuietObserver final : public brisklow::wmi_doubles::FakeWmiObserver {
  public:
    void CallMade(const std::string&, HRESULT) override {}
    void ObjectCreated() override {}
    void ObjectReleased() override {}
};

FakeValue FakeValueOf(const Value& value) {
    switch (value.kind) {
        case Value::Kind::Int32:
            return FakeValue::Int32(value.integer);
        case Value::Kind::Text:
            return FakeValue::Text(std::wstring(value.text.begin(), value.text.end()));
        case Value::Kind::Real:
            return FakeValue::Real(value.real);
        case Value::Kind::Boolean:
            return FakeValue::Boolean(value.boolean);
        case Value::Kind::Null:
            break;
    }
    return FakeValue::Null();
}

// The stand-in's generated computer of `count` processes, made as they are handed out.
std::shared_ptr<FakeWmi> GeneratedComputer(size_t count) {
    brisklow::wmi_doubles::Scenario scenario;
    scenario.madeProcessCount = count;
    scenario.makeProcess = [](size_t index) {
        FakeProcess fake;
        for (const auto& [name, value] :
             brisklow::wmi_standin::GeneratedProcess(index).properties) {
            fake.properties[std::wstring(name.begin(), name.end())] = FakeValueOf(value);
        }
        return fake;
    };
    return std::make_shared<FakeWmi>(std::move(scenario), std::make_shared<QuietObserver>());
}

class NullSink final : public brisklow::ScanSink {
  public:
    void SetStatusText(const std::string&) override {}
    void ShowErrorBox(const std::string& text, const std::string&) override {
        throw std::runtime_error("scan failed: " + text);
    }
    bool UserEntryExists(const std::string&) override { return true; }
    void AppendUserEntry(const std::string&) override {}
};

void Check(HRESULT result, const char* call) {
    if (FAILED(result)) throw std::runtime_error(std::string("floor: ") + call + " failed");
}

struct Bstr {
    explicit Bstr(const wchar_t* text) : value(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR value;
};

template <typename T>
void Release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// The floor: the scan's COM calls, in its order, storing nothing. Returns the items read.
size_t FloorScan(const std::shared_ptr<FakeWmi>& fake) {
    static const wchar_t* const kNames[] = {
        L"Name",        L"ExecutablePath", L"ProcessID",     L"ParentProcessId",
        L"SessionID",   L"ThreadCount",    L"Priority",      L"WorkingSetSize",
        L"HandleCount", L"UserModeTime",   L"KernelModeTime"};
    ISWbemLocator* locator = nullptr;
    Check(brisklow::wmi_doubles::CreateLocatorDouble(fake, &locator), "locator");
    Bstr server(L""), nameSpace(L"root\\CIMV2"), user(L""), password(L""), locale(L""),
        authority(L""), processClass(L"Win32_Process");
    ISWbemServices* services = nullptr;
    Check(locator->ConnectServer(server.value, nameSpace.value, user.value, password.value,
                                 locale.value, authority.value, 0, nullptr, &services),
          "ConnectServer");
    ISWbemSecurity* security = nullptr;
    Check(services->get_Security_(&security), "get_Security_");
    Check(security->put_ImpersonationLevel(wbemImpersonationLevelImpersonate),
          "put_ImpersonationLevel");
    Release(security);
    Check(services->get_Security_(&security), "get_Security_");
    ISWbemPrivilegeSet* privileges = nullptr;
    Check(security->get_Privileges(&privileges), "get_Privileges");
    ISWbemPrivilege* privilege = nullptr;
    Check(privileges->Add(wbemPrivilegeDebug, VARIANT_TRUE, &privilege), "Add");
    Release(privilege);
    Release(privileges);
    Release(security);
    ISWbemObject* classObject = nullptr;
    Check(services->Get(processClass.value, 0x20000, nullptr, &classObject), "Get");
    ISWbemObjectSet* set = nullptr;
    Check(classObject->Instances_(0, nullptr, &set), "Instances_");
    IUnknown* unknown = nullptr;
    Check(set->get__NewEnum(&unknown), "get__NewEnum");
    IEnumVARIANT* items = nullptr;
    Check(unknown->QueryInterface(IID_PPV_ARGS(&items)), "QueryInterface");
    Release(unknown);

    std::vector<Bstr*> names;
    for (const wchar_t* name : kNames) names.push_back(new Bstr(name));
    size_t count = 0;
    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
        ISWbemObject* object = nullptr;
        Check(item.pdispVal->QueryInterface(IID_PPV_ARGS(&object)), "QueryInterface");
        ISWbemPropertySet* properties = nullptr;
        Check(object->get_Properties_(&properties), "get_Properties_");
        for (Bstr* name : names) {
            ISWbemProperty* property = nullptr;
            Check(properties->Item(name->value, 0, &property), "Item");
            VARIANT value;
            VariantInit(&value);
            Check(property->get_Value(&value), "get_Value");
            VariantClear(&value);
            Release(property);
        }
        Release(properties);
        Release(object);
        VariantClear(&item);
        ++count;
    }
    for (Bstr* name : names) delete name;
    Release(items);
    Release(set);
    Release(classObject);
    Release(services);
    Release(locator);
    return count;
}

TPIArray Scan(const std::shared_ptr<FakeWmi>& fake) {
    ComWmiAccess access([fake](ISWbemLocator** locator) {
        return wmi_doubles::CreateLocatorDouble(fake, locator);
    });
    NullSink sink;
    TPIArray table;
    ScanProcesses(access, sink, "", "", "", table);
    return table;
}

size_t ProgramScan(const std::shared_ptr<FakeWmi>& fake) { return Scan(fake).Length(); }

template <typename Run>
double BestNanosecondsPerProcess(size_t count, int repeats, Run&& run) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto fake = GeneratedComputer(count);
        const auto start = std::chrono::steady_clock::now();
        const size_t read = run(fake);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (read != count)
            throw std::runtime_error("read " + std::to_string(read) + " of " +
                                     std::to_string(count) + " processes");
        best = std::min(best, std::chrono::duration<double, std::nano>(elapsed).count() /
                                  static_cast<double>(count));
    }
    return best;
}

}  // namespace

TPIArray ScanGeneratedComputer(size_t count) { return Scan(GeneratedComputer(count)); }

int RunScanBench(int repeats) {
    for (size_t count : {size_t{1000}, size_t{10000}, size_t{100000}}) {
        const int times = repeats;
        // Interleaved, so that a slow spell of the machine hits both alike.
        double scan = 1e300, floor = 1e300;
        for (int i = 0; i < times; ++i) {
            floor = std::min(floor, BestNanosecondsPerProcess(count, 1, FloorScan));
            scan = std::min(scan, BestNanosecondsPerProcess(count, 1, ProgramScan));
        }
        std::printf("scan %zu %.0f %.0f\n", count, scan, floor);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace brisklow::bench
