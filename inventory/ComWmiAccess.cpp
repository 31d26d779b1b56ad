#include "inventory/ComWmiAccess.h"

#include <cstdio>
#include <string>
#include <utility>

#include "inventory/ComOwners.h"
#include "inventory/WmiError.h"

namespace brisklow {
namespace {

using Microsoft::WRL::ComPtr;

// Makes one scripting call and raises its failure. The thread's error object is dropped first, so
// that a description only ever comes from the call that failed.
template <typename Call>
void Checked(Call&& call) {
    DiscardErrorInfo();
    CheckResult(std::forward<Call>(call)());
}

// A failure that happened here rather than in a scripting call, so it has no error object.
[[noreturn]] void ThrowWithoutDescription(HRESULT result) {
    DiscardErrorInfo();
    throw WmiError(
        ComposeWmiErrorMessage("", SystemMessageText(result), static_cast<int32_t>(result)));
}

// A call that succeeded without handing out its object: the scan cannot go on from there.
template <typename Interface>
void RequireObject(const ComPtr<Interface>& object) {
    if (!object) ThrowWithoutDescription(E_POINTER);
}

template <typename Interface>
ComPtr<Interface> QueryOrThrow(IUnknown* unknown) {
    ComPtr<Interface> result;
    if (!unknown || FAILED(unknown->QueryInterface(IID_PPV_ARGS(result.GetAddressOf()))) ||
        !result) {
        DiscardErrorInfo();
        throw WmiError(kInterfaceNotSupported);
    }
    return result;
}

// The program's 8-bit text as a BSTR, in the system's ANSI code page. An empty text becomes an
// empty BSTR, which every scripting call accepts where it takes a default.
UniqueBstr BstrFromNarrow(const std::string& text, UniqueBstr::Wipe wipe = UniqueBstr::Wipe::No) {
    const int narrowLength = static_cast<int>(text.size());
    int wideLength = 0;
    if (!text.empty()) {
        wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength, nullptr, 0);
        if (wideLength <= 0) ThrowWithoutDescription(HRESULT_FROM_WIN32(GetLastError()));
    }
    UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)), wipe);
    if (!result.Get()) ThrowWithoutDescription(E_OUTOFMEMORY);
    if (wideLength > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength, result.Get(), wideLength);
    }
    return result;
}

std::string BaseTypeName(VARTYPE type) {
    switch (type) {
        case VT_EMPTY:
            return "Empty";
        case VT_NULL:
            return "Null";
        case VT_I1:
            return "Int8";
        case VT_I2:
            return "Int16";
        case VT_I4:
            return "Integer";
        case VT_I8:
            return "Int64";
        case VT_UI1:
            return "Byte";
        case VT_UI2:
            return "UInt16";
        case VT_UI4:
            return "UInt32";
        case VT_UI8:
            return "UInt64";
        case VT_INT:
            return "Int";
        case VT_UINT:
            return "UInt";
        case VT_R4:
            return "Single";
        case VT_R8:
            return kTypeNameReal;
        case VT_CY:
            return "Currency";
        case VT_DATE:
            return "Date";
        case VT_BSTR:
            return kTypeNameText;
        case VT_DISPATCH:
            return "Dispatch";
        case VT_ERROR:
            return "Error";
        case VT_BOOL:
            return "Boolean";
        case VT_VARIANT:
            return "Variant";
        case VT_UNKNOWN:
            return "Unknown";
        case VT_DECIMAL:
            return "Decimal";
        case VT_RECORD:
            return "Record";
        default:
            break;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "Type %04X", static_cast<unsigned>(type));
    return buffer;
}

// The name shown in the conversion error of a value the scan cannot use.
std::string VariantTypeName(VARTYPE type) {
    std::string name = BaseTypeName(static_cast<VARTYPE>(type & VT_TYPEMASK));
    if (type & VT_ARRAY) name = "Array of " + name;
    if (type & VT_BYREF) name += " by reference";
    return name;
}

class ComPropertySet final : public WmiPropertySet {
  public:
    explicit ComPropertySet(ComPtr<ISWbemPropertySet> set) : set_(std::move(set)) {}

    PropertyValue Item(const std::string& name, int32_t flags) override {
        const UniqueBstr wideName = BstrFromNarrow(name);
        ComPtr<ISWbemProperty> property;
        Checked([&] { return set_->Item(wideName.Get(), flags, property.GetAddressOf()); });
        RequireObject(property);
        UniqueVariant value;
        Checked([&] { return property->get_Value(value.Out()); });
        return PropertyValueFromVariant(value.Get());
    }

  private:
    ComPtr<ISWbemPropertySet> set_;
};

class ComObjectSet;

class ComObject final : public WmiObject {
  public:
    explicit ComObject(ComPtr<ISWbemObject> object) : object_(std::move(object)) {}

    std::unique_ptr<WmiObjectSet> Instances(int32_t flags) override;

    std::unique_ptr<WmiPropertySet> Properties() override {
        ComPtr<ISWbemPropertySet> set;
        Checked([&] { return object_->get_Properties_(set.GetAddressOf()); });
        RequireObject(set);
        return std::make_unique<ComPropertySet>(std::move(set));
    }

  private:
    ComPtr<ISWbemObject> object_;
};

class ComEnumItem final : public WmiEnumItem {
  public:
    VARIANT* Slot() noexcept { return item_.Out(); }

    std::unique_ptr<WmiObject> QueryObject() override {
        const VARIANT& item = item_.Get();
        IUnknown* unknown = nullptr;
        if (item.vt == VT_DISPATCH) unknown = item.pdispVal;
        if (item.vt == VT_UNKNOWN) unknown = item.punkVal;
        return std::make_unique<ComObject>(QueryOrThrow<ISWbemObject>(unknown));
    }

  private:
    UniqueVariant item_;
};

class ComEnumerator final : public WmiEnumerator {
  public:
    explicit ComEnumerator(ComPtr<IEnumVARIANT> enumerator) : enumerator_(std::move(enumerator)) {}

    std::unique_ptr<WmiEnumItem> Next() override {
        auto item = std::make_unique<ComEnumItem>();
        ULONG fetched = 0;
        HRESULT result = S_OK;
        Checked([&] { return result = enumerator_->Next(1, item->Slot(), &fetched); });
        if (result != S_OK || fetched != 1) return nullptr;
        return item;
    }

  private:
    ComPtr<IEnumVARIANT> enumerator_;
};

class ComObjectSet final : public WmiObjectSet {
  public:
    explicit ComObjectSet(ComPtr<ISWbemObjectSet> set) : set_(std::move(set)) {}

    std::unique_ptr<WmiEnumerator> NewEnum() override {
        ComPtr<IUnknown> unknown;
        Checked([&] { return set_->get__NewEnum(unknown.GetAddressOf()); });
        return std::make_unique<ComEnumerator>(QueryOrThrow<IEnumVARIANT>(unknown.Get()));
    }

  private:
    ComPtr<ISWbemObjectSet> set_;
};

std::unique_ptr<WmiObjectSet> ComObject::Instances(int32_t flags) {
    ComPtr<ISWbemObjectSet> set;
    Checked([&] { return object_->Instances_(flags, nullptr, set.GetAddressOf()); });
    RequireObject(set);
    return std::make_unique<ComObjectSet>(std::move(set));
}

class ComPrivilegeSet final : public WmiPrivilegeSet {
  public:
    explicit ComPrivilegeSet(ComPtr<ISWbemPrivilegeSet> set) : set_(std::move(set)) {}

    void Add(int32_t privilege, bool enabled) override {
        ComPtr<ISWbemPrivilege> added;  // not needed: released on return
        Checked([&] {
            return set_->Add(static_cast<WbemPrivilegeEnum>(privilege),
                             enabled ? VARIANT_TRUE : VARIANT_FALSE, added.GetAddressOf());
        });
    }

  private:
    ComPtr<ISWbemPrivilegeSet> set_;
};

class ComSecurity final : public WmiSecurity {
  public:
    explicit ComSecurity(ComPtr<ISWbemSecurity> security) : security_(std::move(security)) {}

    void SetImpersonationLevel(int32_t level) override {
        Checked([&] {
            return security_->put_ImpersonationLevel(
                static_cast<WbemImpersonationLevelEnum>(level));
        });
    }

    std::unique_ptr<WmiPrivilegeSet> Privileges() override {
        ComPtr<ISWbemPrivilegeSet> set;
        Checked([&] { return security_->get_Privileges(set.GetAddressOf()); });
        RequireObject(set);
        return std::make_unique<ComPrivilegeSet>(std::move(set));
    }

  private:
    ComPtr<ISWbemSecurity> security_;
};

class ComServices final : public WmiServices {
  public:
    explicit ComServices(ComPtr<ISWbemServices> services) : services_(std::move(services)) {}

    std::unique_ptr<WmiSecurity> Security() override {
        ComPtr<ISWbemSecurity> security;
        Checked([&] { return services_->get_Security_(security.GetAddressOf()); });
        RequireObject(security);
        return std::make_unique<ComSecurity>(std::move(security));
    }

    std::unique_ptr<WmiObject> Get(const std::string& objectPath, int32_t flags) override {
        const UniqueBstr path = BstrFromNarrow(objectPath);
        ComPtr<ISWbemObject> object;
        Checked([&] { return services_->Get(path.Get(), flags, nullptr, object.GetAddressOf()); });
        RequireObject(object);
        return std::make_unique<ComObject>(std::move(object));
    }

  private:
    ComPtr<ISWbemServices> services_;
};

class ComLocator final : public WmiLocator {
  public:
    explicit ComLocator(ComPtr<ISWbemLocator> locator) : locator_(std::move(locator)) {}

    std::unique_ptr<WmiServices> ConnectServer(const std::string& server,
                                               const std::string& nameSpace,
                                               const std::string& user, const std::string& password,
                                               const std::string& locale,
                                               const std::string& authority,
                                               int32_t securityFlags) override {
        const UniqueBstr wideServer = BstrFromNarrow(server);
        const UniqueBstr wideNamespace = BstrFromNarrow(nameSpace);
        const UniqueBstr wideUser = BstrFromNarrow(user);
        // The password's wide copy is overwritten before it is freed.
        const UniqueBstr widePassword = BstrFromNarrow(password, UniqueBstr::Wipe::Yes);
        const UniqueBstr wideLocale = BstrFromNarrow(locale);
        const UniqueBstr wideAuthority = BstrFromNarrow(authority);
        ComPtr<ISWbemServices> services;
        Checked([&] {
            return locator_->ConnectServer(wideServer.Get(), wideNamespace.Get(), wideUser.Get(),
                                           widePassword.Get(), wideLocale.Get(),
                                           wideAuthority.Get(), securityFlags, nullptr,
                                           services.GetAddressOf());
        });
        if (!services) return nullptr;
        return std::make_unique<ComServices>(std::move(services));
    }

  private:
    ComPtr<ISWbemLocator> locator_;
};

}  // namespace

HRESULT CreateSystemLocator(ISWbemLocator** locator) {
    if (!locator) return E_POINTER;
    *locator = nullptr;
    // The locator is an in-process server; a local server registered for it is accepted as well.
    return CoCreateInstance(kWbemLocatorClassId, nullptr,
                            CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, __uuidof(ISWbemLocator),
                            reinterpret_cast<void**>(locator));
}

ComWmiAccess::ComWmiAccess() : factory_(CreateSystemLocator) {}

ComWmiAccess::ComWmiAccess(LocatorFactory factory)
    : factory_(factory ? std::move(factory) : LocatorFactory(CreateSystemLocator)) {}

std::unique_ptr<WmiLocator> ComWmiAccess::CreateLocator() {
    ComPtr<ISWbemLocator> locator;
    Checked([&] { return factory_(locator.GetAddressOf()); });
    RequireObject(locator);
    return std::make_unique<ComLocator>(std::move(locator));
}

PropertyValue PropertyValueFromVariant(const VARIANT& value) {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return PropertyValue::Null();
        case VT_I4:
            return PropertyValue::FromInt32(value.lVal);
        case VT_I2:
            return PropertyValue::FromInt32(value.iVal);
        case VT_UI1:
            return PropertyValue::FromInt32(value.bVal);
        case VT_UI2:
            return PropertyValue::FromInt32(value.uiVal);
        case VT_INT:
            return PropertyValue::FromInt32(value.intVal);
        // Same bits: WMI's unsigned 32-bit numbers are read back through their low 32 bits.
        case VT_UI4:
            return PropertyValue::FromInt32(static_cast<int32_t>(value.ulVal));
        case VT_BSTR: {
            const std::wstring_view text(value.bstrVal ? value.bstrVal : L"",
                                         SysStringLen(value.bstrVal));
            return PropertyValue::FromText(NarrowFromWide(text));
        }
        case VT_R8:
            return PropertyValue::FromReal(value.dblVal);
        case VT_R4:
            return PropertyValue::FromReal(value.fltVal);
        case VT_BOOL:
            return PropertyValue::FromBoolean(value.boolVal != VARIANT_FALSE);
        // 64-bit numbers travel as decimal text, as WMI itself hands them over.
        case VT_I8:
            return PropertyValue::FromText(std::to_string(value.llVal));
        case VT_UI8:
            return PropertyValue::FromText(std::to_string(value.ullVal));
        default:
            return PropertyValue::OfOtherType(VariantTypeName(value.vt));
    }
}

}  // namespace brisklow
