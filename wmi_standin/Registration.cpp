#include <iterator>
#include <string>
#include <vector>

#include "platform/ComLastChance.h"
#include "platform/HandleOwners.h"
#include "wmi_standin/Standin.h"

namespace brisklow::wmi_standin {
namespace {

// The 64-bit view, as the 64-bit DLL is what COM loads for 64-bit programs.
constexpr REGSAM kView = KEY_WOW64_64KEY;

// The locator's class key, "Software\\Classes\\CLSID\\{...}".
const wchar_t* ClassKey() {
    static const std::wstring path = [] {
        wchar_t classId[40] = {};
        StringFromGUID2(kLocatorClassId, classId, static_cast<int>(std::size(classId)));
        return std::wstring(L"Software\\Classes\\CLSID\\") + classId;
    }();
    return path.c_str();
}
// The class's server entry.
const wchar_t* ServerKey() {
    static const std::wstring path = std::wstring(ClassKey()) + L"\\InprocServer32";
    return path.c_str();
}
// Where the replaced entry is kept until it is put back.
constexpr const wchar_t* kOwnKey = L"Software\\Brisklow\\WmiStandin";
constexpr const wchar_t* kOwnParentKey = L"Software\\Brisklow";
constexpr const wchar_t* kSavedServerKey = L"Software\\Brisklow\\WmiStandin\\SavedInprocServer32";
constexpr const wchar_t* kServerKeyExisted = L"ServerKeyExisted";
constexpr const wchar_t* kClassKeyExisted = L"ClassKeyExisted";

using Key = UniqueRegistryKey;

LSTATUS Open(const wchar_t* path, REGSAM access, Key& key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access | kView, key.put());
}

LSTATUS Create(const wchar_t* path, Key& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE | kView, nullptr, key.put(), nullptr);
}

bool Exists(const wchar_t* path) {
    Key key;
    return Open(path, KEY_READ, key) == ERROR_SUCCESS;
}

HRESULT FromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

struct RegistryValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

LSTATUS ReadValues(HKEY key, std::vector<RegistryValue>& values) {
    DWORD count = 0, longestName = 0, longestData = 0;
    LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      &count, &longestName, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
    for (DWORD index = 0; index < count; ++index) {
        RegistryValue value;
        std::vector<wchar_t> name(longestName + 1);
        DWORD nameLength = static_cast<DWORD>(name.size());
        value.data.resize(longestData);
        DWORD dataLength = static_cast<DWORD>(value.data.size());
        status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &value.type,
                               value.data.data(), &dataLength);
        if (status != ERROR_SUCCESS) return status;
        value.name.assign(name.data(), nameLength);
        value.data.resize(dataLength);
        values.push_back(std::move(value));
    }
    return ERROR_SUCCESS;
}

LSTATUS WriteValues(HKEY key, const std::vector<RegistryValue>& values) {
    for (const RegistryValue& value : values) {
        const LSTATUS status =
            RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

LSTATUS DeleteAllValues(HKEY key) {
    std::vector<RegistryValue> values;
    LSTATUS status = ReadValues(key, values);
    for (const RegistryValue& value : values) {
        if (status != ERROR_SUCCESS) break;
        status = RegDeleteValueW(key, value.name.c_str());
    }
    return status;
}

LSTATUS CopyValues(const wchar_t* from, const wchar_t* to) {
    Key source, target;
    LSTATUS status = Open(from, KEY_READ, source);
    if (status == ERROR_SUCCESS) status = Create(to, target);
    std::vector<RegistryValue> values;
    if (status == ERROR_SUCCESS) status = ReadValues(source.get(), values);
    if (status == ERROR_SUCCESS) status = DeleteAllValues(target.get());
    if (status == ERROR_SUCCESS) status = WriteValues(target.get(), values);
    return status;
}

LSTATUS SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof value;
    return RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LSTATUS DeleteTree(const wchar_t* path) {
    Key key;
    LSTATUS status = Open(path, KEY_READ | KEY_WRITE | DELETE, key);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status == ERROR_SUCCESS) status = RegDeleteTreeW(key.get(), nullptr);
    if (status == ERROR_SUCCESS) status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, kView, 0);
    return status;
}

// Keeps what the class's server entry holds now, unless an earlier registration kept it already:
// a second registration must not take the stand-in's own entry for the system's.
LSTATUS SaveReplacedEntry() {
    {
        Key own;
        DWORD existed = 0;
        if (Open(kOwnKey, KEY_READ, own) == ERROR_SUCCESS &&
            ReadDword(own.get(), kServerKeyExisted, existed)) {
            return ERROR_SUCCESS;
        }
    }
    LSTATUS status = DeleteTree(kSavedServerKey);
    const bool classExisted = Exists(ClassKey());
    const bool serverExisted = Exists(ServerKey());
    if (status == ERROR_SUCCESS && serverExisted) status = CopyValues(ServerKey(), kSavedServerKey);
    Key own;
    if (status == ERROR_SUCCESS) status = Create(kOwnKey, own);
    if (status == ERROR_SUCCESS) status = SetDword(own.get(), kClassKeyExisted, classExisted);
    // Written last: only a complete copy counts as kept.
    if (status == ERROR_SUCCESS) status = SetDword(own.get(), kServerKeyExisted, serverExisted);
    return status;
}

}  // namespace

bool RunningUnderWine() {
    if (GetEnvironmentVariableW(kNotWineVariable, nullptr, 0) > 0) return false;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

HRESULT RegisterLocator(const std::wstring& dllPath) {
    // On Windows the locator's class is the system's own: replacing it would hand every WMI script
    // of the machine to the stand-in, and a stopped run would leave it so.
    if (!RunningUnderWine()) {
        OutputDebugStringA(kRegistrationRefusedText);
        SetErrorDescription(kRegistrationRefusedText);
        return kRegistrationRefused;
    }
    LSTATUS status = SaveReplacedEntry();
    Key server;
    if (status == ERROR_SUCCESS) status = Create(ServerKey(), server);
    if (status == ERROR_SUCCESS) status = DeleteAllValues(server.get());
    if (status == ERROR_SUCCESS) status = SetText(server.get(), nullptr, dllPath);
    if (status == ERROR_SUCCESS) status = SetText(server.get(), L"ThreadingModel", L"Apartment");
    return FromStatus(status);
}

HRESULT UnregisterLocator() {
    DWORD serverExisted = 0, classExisted = 1;
    {
        Key own;
        if (Open(kOwnKey, KEY_READ, own) != ERROR_SUCCESS ||
            !ReadDword(own.get(), kServerKeyExisted, serverExisted)) {
            return S_OK;  // nothing was replaced
        }
        ReadDword(own.get(), kClassKeyExisted, classExisted);
    }
    LSTATUS status = ERROR_SUCCESS;
    if (!classExisted) {
        status = DeleteTree(ClassKey());
    } else if (!serverExisted) {
        status = DeleteTree(ServerKey());
    } else {
        status = CopyValues(kSavedServerKey, ServerKey());
    }
    if (status == ERROR_SUCCESS) status = DeleteTree(kOwnKey);
    // The parent goes too when nothing else of ours is left in it.
    if (status == ERROR_SUCCESS) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kOwnParentKey, kView, 0);
    return FromStatus(status);
}

}  // namespace brisklow::wmi_standin
