#pragma once
// What the WMI doubles serve and how they fail: plain data, so that a scenario can be built in a
// test or read from elsewhere by a host that serves the doubles through COM.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <wtypes.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brisklow::wmi_doubles {

// A property value as the scripting interface hands it over.
struct FakeValue {
    VARTYPE type = VT_NULL;  // VT_NULL, VT_I4, VT_BSTR, VT_R8 or VT_BOOL
    int32_t integer = 0;
    std::wstring text;
    double real = 0.0;
    bool boolean = false;

    static FakeValue Null() { return {}; }
    static FakeValue Int32(int32_t value) { return {VT_I4, value, {}, 0.0, false}; }
    static FakeValue Text(std::wstring value) { return {VT_BSTR, 0, std::move(value), 0.0, false}; }
    static FakeValue Real(double value) { return {VT_R8, 0, {}, value, false}; }
    static FakeValue Boolean(bool value) { return {VT_BOOL, 0, {}, 0.0, value}; }
};

struct FakeProcess {
    // A property that is absent fails to read with WBEM_E_NOT_FOUND and the description
    // "Not found".
    std::map<std::wstring, FakeValue> properties;
};

// Makes one call fail. Calls are named after their scripting method: "ConnectServer",
// "get_Security_" (of the services), "put_ImpersonationLevel", "get_Privileges", "Add", "Get",
// "Instances_", "get__NewEnum", "Next", "get_Properties_", "Item:<property>",
// "get_Value:<property>", and "QueryInterface:IEnumVARIANT" / "QueryInterface:ISWbemObject".
struct FakeFailure {
    std::string call;
    HRESULT result = E_FAIL;
    // Left on the thread as its error object; without one the thread's error object is cleared.
    std::optional<std::wstring> description;
    // For the calls made once per process ("Next" counts the item it would hand out): only at
    // that process; without one, at every process.
    std::optional<size_t> processIndex;
};

inline constexpr HRESULT kWbemNotFound = static_cast<HRESULT>(0x80041002);
inline constexpr HRESULT kWbemFailed = static_cast<HRESULT>(0x80041001);

struct Scenario {
    std::vector<FakeProcess> processes;
    // Processes made on demand after the listed ones, for lists too long to hold ready-made:
    // `makeProcess` is called with the overall index of each one the enumerator hands out.
    size_t madeProcessCount = 0;
    std::function<FakeProcess(size_t index)> makeProcess;
    std::vector<FakeFailure> failures;
    // The enumerator answers WBEM_E_FAILED instead of handing out more than this many items.
    std::optional<size_t> enumFailAfter;
    // ConnectServer succeeds without a services object.
    bool connectReturnsNoServices = false;
    // Calls, named as above, that succeed without handing out their object.
    std::vector<std::string> callsReturningNoObject;
    // How the enumerator hands out each process: VT_DISPATCH, VT_UNKNOWN, or anything else for
    // an item that carries no object at all.
    VARTYPE itemType = VT_DISPATCH;
};

}  // namespace brisklow::wmi_doubles
