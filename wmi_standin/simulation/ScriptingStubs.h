#pragma once
// The COM plumbing shared by the doubles, and for each scripting interface a base whose methods
// all answer E_NOTIMPL, so that each double spells out only the calls the scan makes.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <oaidl.h>
#include <wbemdisp.h>

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/LastChance.h"
#include "wmi_standin/simulation/WmiDoubles.h"

namespace brisklow::wmi_doubles::detail {

// Reference counting and interface queries; counts itself live in its FakeWmi until the last
// release.
template <typename Interface>
class UnknownDouble : public Interface {
  public:
    explicit UnknownDouble(std::shared_ptr<FakeWmi> fake) : fake_(std::move(fake)) {
        ++fake_->liveObjects;
        if (fake_->observer) fake_->observer->ObjectCreated();
    }
    UnknownDouble(const UnknownDouble&) = delete;
    UnknownDouble& operator=(const UnknownDouble&) = delete;
    virtual ~UnknownDouble() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        const HRESULT answer = OnQueryInterface(iid);
        if (FAILED(answer)) return answer;
        const bool dispatch = std::is_base_of_v<IDispatch, Interface> && iid == IID_IDispatch;
        if (iid == IID_IUnknown || iid == __uuidof(Interface) || dispatch) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            --fake_->liveObjects;
            // Told after the double is gone: a live count of zero means every double is deleted.
            const std::shared_ptr<FakeWmiObserver> observer = fake_->observer;
            delete this;
            // The count is kept whatever the observer does with it.
            if (observer) {
                LastChance(
                    [&] {
                        observer->ObjectReleased();
                        return 0;
                    },
                    [](const CaughtError&) { return 0; }, 0);
            }
        }
        return left;
    }

  protected:
    // Lets a double log a query and fail it as its scenario says; S_OK lets the query go on.
    virtual HRESULT OnQueryInterface(REFIID) { return S_OK; }

    FakeWmi& Fake() const { return *fake_; }
    const std::shared_ptr<FakeWmi>& SharedFake() const { return fake_; }

  private:
    std::shared_ptr<FakeWmi> fake_;
    std::atomic<ULONG> references_{1};
};

// The scan binds early, through the interfaces' own methods; late binding is not served.
template <typename Interface>
class DispatchDouble : public UnknownDouble<Interface> {
  public:
    using UnknownDouble<Interface>::UnknownDouble;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// Every ISWbemLocator method answers E_NOTIMPL until a double overrides it.
class LocatorStubs : public DispatchDouble<ISWbemLocator> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, LONG, IDispatch*,
                                            ISWbemServices**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity**) override { return E_NOTIMPL; }
};

// Every ISWbemServices method answers E_NOTIMPL until a double overrides it.
class ServicesStubs : public DispatchDouble<ISWbemServices> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE Get(BSTR, LONG, IDispatch*, ISWbemObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetAsync(IDispatch*, BSTR, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Delete(BSTR, LONG, IDispatch*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAsync(IDispatch*, BSTR, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InstancesOf(BSTR, LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InstancesOfAsync(IDispatch*, BSTR, LONG, IDispatch*,
                                               IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SubclassesOf(BSTR, LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SubclassesOfAsync(IDispatch*, BSTR, LONG, IDispatch*,
                                                IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecQuery(BSTR, BSTR, LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(IDispatch*, BSTR, BSTR, LONG, IDispatch*,
                                             IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AssociatorsOf(BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL,
                                            VARIANT_BOOL, BSTR, BSTR, LONG, IDispatch*,
                                            ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AssociatorsOfAsync(IDispatch*, BSTR, BSTR, BSTR, BSTR, BSTR,
                                                 VARIANT_BOOL, VARIANT_BOOL, BSTR, BSTR, LONG,
                                                 IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReferencesTo(BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
                                           IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReferencesToAsync(IDispatch*, BSTR, BSTR, BSTR, VARIANT_BOOL,
                                                VARIANT_BOOL, BSTR, LONG, IDispatch*,
                                                IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(BSTR, BSTR, LONG, IDispatch*,
                                                    ISWbemEventSource**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(IDispatch*, BSTR, BSTR, LONG, IDispatch*,
                                                         IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethod(BSTR, BSTR, IDispatch*, LONG, IDispatch*,
                                         ISWbemObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(IDispatch*, BSTR, BSTR, IDispatch*, LONG, IDispatch*,
                                              IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity**) override { return E_NOTIMPL; }
};

// Every ISWbemSecurity method answers E_NOTIMPL until a double overrides it.
class SecurityStubs : public DispatchDouble<ISWbemSecurity> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get_ImpersonationLevel(WbemImpersonationLevelEnum*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_ImpersonationLevel(WbemImpersonationLevelEnum) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_AuthenticationLevel(WbemAuthenticationLevelEnum*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_AuthenticationLevel(WbemAuthenticationLevelEnum) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Privileges(ISWbemPrivilegeSet**) override { return E_NOTIMPL; }
};

// Every ISWbemPrivilegeSet method answers E_NOTIMPL until a double overrides it.
class PrivilegeSetStubs : public DispatchDouble<ISWbemPrivilegeSet> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(WbemPrivilegeEnum, ISWbemPrivilege**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(WbemPrivilegeEnum, VARIANT_BOOL, ISWbemPrivilege**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Remove(WbemPrivilegeEnum) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAll() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddAsString(BSTR, VARIANT_BOOL, ISWbemPrivilege**) override {
        return E_NOTIMPL;
    }
};

// Every ISWbemPrivilege method answers E_NOTIMPL until a double overrides it.
class PrivilegeStubs : public DispatchDouble<ISWbemPrivilege> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get_IsEnabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsEnabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Identifier(WbemPrivilegeEnum*) override { return E_NOTIMPL; }
};

// Every ISWbemObject method answers E_NOTIMPL until a double overrides it.
class ObjectStubs : public DispatchDouble<ISWbemObject> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE Put_(LONG, IDispatch*, ISWbemObjectPath**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutAsync_(IDispatch*, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Delete_(LONG, IDispatch*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAsync_(IDispatch*, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Instances_(LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InstancesAsync_(IDispatch*, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Subclasses_(LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SubclassesAsync_(IDispatch*, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Associators_(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR,
                                           BSTR, LONG, IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AssociatorsAsync_(IDispatch*, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL,
                                                VARIANT_BOOL, BSTR, BSTR, LONG, IDispatch*,
                                                IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE References_(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
                                          IDispatch*, ISWbemObjectSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReferencesAsync_(IDispatch*, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL,
                                               BSTR, LONG, IDispatch*, IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethod_(BSTR, IDispatch*, LONG, IDispatch*,
                                          ISWbemObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecMethodAsync_(IDispatch*, BSTR, IDispatch*, LONG, IDispatch*,
                                               IDispatch*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Clone_(ISWbemObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectText_(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass_(LONG, ISWbemObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SpawnInstance_(LONG, ISWbemObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareTo_(IDispatch*, LONG, VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Properties_(ISWbemPropertySet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Methods_(ISWbemMethodSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Derivation_(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Path_(ISWbemObjectPath**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity**) override { return E_NOTIMPL; }
};

// Every ISWbemObjectSet method answers E_NOTIMPL until a double overrides it.
class ObjectSetStubs : public DispatchDouble<ISWbemObjectSet> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(BSTR, LONG, ISWbemObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ItemIndex(LONG, ISWbemObject**) override { return E_NOTIMPL; }
};

// Every IEnumVARIANT method answers E_NOTIMPL until a double overrides it.
class EnumVariantStubs : public UnknownDouble<IEnumVARIANT> {
  public:
    using UnknownDouble::UnknownDouble;
    HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
};

// Every ISWbemPropertySet method answers E_NOTIMPL until a double overrides it.
class PropertySetStubs : public DispatchDouble<ISWbemPropertySet> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(BSTR, LONG, ISWbemProperty**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(BSTR, WbemCimtypeEnum, VARIANT_BOOL, LONG,
                                  ISWbemProperty**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR, LONG) override { return E_NOTIMPL; }
};

// Every ISWbemProperty method answers E_NOTIMPL until a double overrides it.
class PropertyStubs : public DispatchDouble<ISWbemProperty> {
  public:
    using DispatchDouble::DispatchDouble;
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsLocal(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Origin(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CIMType(WbemCimtypeEnum*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsArray(VARIANT_BOOL*) override { return E_NOTIMPL; }
};
}  // namespace brisklow::wmi_doubles::detail
