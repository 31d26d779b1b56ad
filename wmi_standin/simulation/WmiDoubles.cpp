#include "wmi_standin/simulation/WmiDoubles.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <utility>

#include "platform/ComLastChance.h"
#include "wmi_standin/simulation/ScriptingStubs.h"

namespace brisklow::wmi_doubles {

std::string LogText(const wchar_t* text, size_t length) {
    std::string result;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            result += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            result += escape;
        }
    }
    return result;
}

namespace {

// A null BSTR shows as <null>, to tell it from an empty one.
std::string LogBstr(BSTR text) { return text ? LogText(text, SysStringLen(text)) : "<null>"; }

std::string LogWide(const std::wstring& text) { return LogText(text.c_str(), text.size()); }

const char* NamedValues(IDispatch* set) { return set ? "set" : "null"; }

// Leaves `description` on the thread as its error object, as a scripting object does when a call
// fails; without a description the thread is left without one.
void SetThreadErrorInfo(const std::optional<std::wstring>& description) {
    brisklow::SetThreadErrorInfo(description ? description->c_str() : nullptr, L"WMI double");
}

// Makes one call and notes it with its answer. A COM call must not let an exception out: the
// caller sees a failure with the exception's message as its description.
template <typename Body>
HRESULT Logged(FakeWmi& fake, std::string line, Body&& body) noexcept {
    const HRESULT result = ComLastChance(std::forward<Body>(body));
    LastChance(
        [&] {
            fake.Record(std::move(line), result);
            return 0;
        },
        [](const CaughtError&) { return 0; }, 0);
    return result;
}

// Hands a new double out through an out-parameter, unless the scenario wants the call to succeed
// without its object.
template <typename Interface, typename Double>
HRESULT HandOut(FakeWmi& fake, const std::string& call, Double* created, Interface** out) {
    if (!out) {
        created->Release();
        return E_POINTER;
    }
    if (fake.ReturnsNoObject(call)) {
        created->Release();
        *out = nullptr;
        return S_OK;
    }
    *out = created;
    return S_OK;
}

using ProcessPtr = std::shared_ptr<const FakeProcess>;

// The process at `index`: a listed one is shared with the scenario, one made on demand is made
// here and lives as long as its doubles.
ProcessPtr ProcessAt(const std::shared_ptr<FakeWmi>& fake, size_t index) {
    const Scenario& scenario = fake->scenario;
    if (index < scenario.processes.size()) return ProcessPtr(fake, &scenario.processes[index]);
    if (!scenario.makeProcess) return std::make_shared<const FakeProcess>();
    return std::make_shared<const FakeProcess>(scenario.makeProcess(index));
}

using namespace detail;

class PropertyDouble final : public PropertyStubs {
  public:
    PropertyDouble(std::shared_ptr<FakeWmi> fake, std::wstring name, FakeValue value, size_t index)
        : PropertyStubs(std::move(fake)),
          name_(std::move(name)),
          value_(std::move(value)),
          index_(index) {}

    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override {
        const std::string name = LogWide(name_);
        return Logged(Fake(), "get_Value name=" + name, [&]() -> HRESULT {
            if (!value) return E_POINTER;
            VariantInit(value);
            if (const HRESULT failure = Fake().Enter("get_Value:" + name, index_);
                FAILED(failure)) {
                return failure;
            }
            switch (value_.type) {
                case VT_I4:
                    value->lVal = value_.integer;
                    break;
                case VT_R8:
                    value->dblVal = value_.real;
                    break;
                case VT_BOOL:
                    value->boolVal = value_.boolean ? VARIANT_TRUE : VARIANT_FALSE;
                    break;
                case VT_BSTR:
                    value->bstrVal = SysAllocStringLen(value_.text.data(),
                                                       static_cast<UINT>(value_.text.size()));
                    if (!value->bstrVal) return E_OUTOFMEMORY;
                    break;
                default:
                    break;
            }
            value->vt = value_.type;
            return S_OK;
        });
    }

  private:
    std::wstring name_;
    FakeValue value_;
    size_t index_;
};

class PropertySetDouble final : public PropertySetStubs {
  public:
    PropertySetDouble(std::shared_ptr<FakeWmi> fake, ProcessPtr process, size_t index)
        : PropertySetStubs(std::move(fake)), process_(std::move(process)), index_(index) {}

    HRESULT STDMETHODCALLTYPE Item(BSTR name, LONG flags, ISWbemProperty** property) override {
        const std::string logName = LogBstr(name);
        return Logged(Fake(), "Item name=" + logName + " flags=" + std::to_string(flags),
                      [&]() -> HRESULT {
                          if (property) *property = nullptr;
                          const std::string call = "Item:" + logName;
                          if (const HRESULT failure = Fake().Enter(call, index_); FAILED(failure)) {
                              return failure;
                          }
                          const auto& properties = process_->properties;
                          const auto found =
                              properties.find(std::wstring(name ? name : L"", SysStringLen(name)));
                          if (found == properties.end()) {
                              SetThreadErrorInfo(L"Not found");
                              return kWbemNotFound;
                          }
                          return HandOut(
                              Fake(), call,
                              new PropertyDouble(SharedFake(), found->first, found->second, index_),
                              property);
                      });
    }

  private:
    ProcessPtr process_;
    size_t index_;
};

class ObjectSetDouble;

// The process class (no process) or one process.
class ObjectDouble final : public ObjectStubs {
  public:
    ObjectDouble(std::shared_ptr<FakeWmi> fake, ProcessPtr process, std::optional<size_t> index)
        : ObjectStubs(std::move(fake)), process_(std::move(process)), index_(index) {}

    HRESULT STDMETHODCALLTYPE Instances_(LONG flags, IDispatch* namedValues,
                                         ISWbemObjectSet** set) override;

    HRESULT STDMETHODCALLTYPE get_Properties_(ISWbemPropertySet** set) override {
        return Logged(Fake(), "get_Properties_", [&]() -> HRESULT {
            if (set) *set = nullptr;
            if (const HRESULT failure = Fake().Enter("get_Properties_", index_); FAILED(failure)) {
                return failure;
            }
            if (!process_ || !index_) return E_NOTIMPL;  // the class's properties are not served
            return HandOut(Fake(), "get_Properties_",
                           new PropertySetDouble(SharedFake(), process_, *index_), set);
        });
    }

  protected:
    HRESULT OnQueryInterface(REFIID iid) override {
        if (iid != __uuidof(ISWbemObject)) return S_OK;
        return Logged(Fake(), "QueryInterface:ISWbemObject",
                      [&] { return Fake().Enter("QueryInterface:ISWbemObject", index_); });
    }

  private:
    ProcessPtr process_;
    std::optional<size_t> index_;
};

class EnumeratorDouble final : public EnumVariantStubs {
  public:
    using EnumVariantStubs::EnumVariantStubs;

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        return Logged(Fake(), "Next count=" + std::to_string(count), [&]() -> HRESULT {
            if (fetched) *fetched = 0;
            if (!items || count == 0) return E_INVALIDARG;
            VariantInit(&items[0]);
            if (const HRESULT failure = Fake().Enter("Next", next_); failure != S_OK) {
                return failure;
            }
            const Scenario& scenario = Fake().scenario;
            if (scenario.enumFailAfter && next_ >= *scenario.enumFailAfter) return kWbemFailed;
            if (next_ >= Fake().ProcessCount()) return S_FALSE;
            ProcessPtr process = ProcessAt(SharedFake(), next_);
            auto* object = new ObjectDouble(SharedFake(), std::move(process), next_++);
            if (scenario.itemType == VT_DISPATCH) {
                items[0].vt = VT_DISPATCH;
                items[0].pdispVal = object;
            } else if (scenario.itemType == VT_UNKNOWN) {
                items[0].vt = VT_UNKNOWN;
                items[0].punkVal = object;
            } else {
                object->Release();
                items[0].vt = scenario.itemType;
            }
            if (fetched) *fetched = 1;
            return count == 1 ? S_OK : S_FALSE;
        });
    }

  protected:
    HRESULT OnQueryInterface(REFIID iid) override {
        if (iid != IID_IEnumVARIANT) return S_OK;
        return Logged(Fake(), "QueryInterface:IEnumVARIANT",
                      [&] { return Fake().Enter("QueryInterface:IEnumVARIANT"); });
    }

  private:
    size_t next_ = 0;
};

class ObjectSetDouble final : public ObjectSetStubs {
  public:
    using ObjectSetStubs::ObjectSetStubs;

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        return Logged(Fake(), "get__NewEnum", [&]() -> HRESULT {
            if (enumerator) *enumerator = nullptr;
            if (const HRESULT failure = Fake().Enter("get__NewEnum"); FAILED(failure)) {
                return failure;
            }
            IUnknown* created = new EnumeratorDouble(SharedFake());
            return HandOut(Fake(), "get__NewEnum", created, enumerator);
        });
    }
};

HRESULT STDMETHODCALLTYPE ObjectDouble::Instances_(LONG flags, IDispatch* namedValues,
                                                   ISWbemObjectSet** set) {
    return Logged(
        Fake(),
        "Instances_ flags=" + std::to_string(flags) + " namedValues=" + NamedValues(namedValues),
        [&]() -> HRESULT {
            if (set) *set = nullptr;
            if (const HRESULT failure = Fake().Enter("Instances_"); FAILED(failure)) {
                return failure;
            }
            return HandOut(Fake(), "Instances_", new ObjectSetDouble(SharedFake()), set);
        });
}

class PrivilegeDouble final : public PrivilegeStubs {
  public:
    using PrivilegeStubs::PrivilegeStubs;
};

class PrivilegeSetDouble final : public PrivilegeSetStubs {
  public:
    using PrivilegeSetStubs::PrivilegeSetStubs;

    HRESULT STDMETHODCALLTYPE Add(WbemPrivilegeEnum privilege, VARIANT_BOOL enabled,
                                  ISWbemPrivilege** added) override {
        return Logged(Fake(),
                      "Add privilege=" + std::to_string(privilege) +
                          " enabled=" + (enabled == VARIANT_TRUE ? "true" : "false"),
                      [&]() -> HRESULT {
                          if (added) *added = nullptr;
                          if (const HRESULT failure = Fake().Enter("Add"); FAILED(failure)) {
                              return failure;
                          }
                          if (!added) return S_OK;  // the privilege object is optional
                          return HandOut(Fake(), "Add", new PrivilegeDouble(SharedFake()), added);
                      });
    }
};

class SecurityDouble final : public SecurityStubs {
  public:
    using SecurityStubs::SecurityStubs;

    HRESULT STDMETHODCALLTYPE put_ImpersonationLevel(WbemImpersonationLevelEnum level) override {
        return Logged(Fake(), "put_ImpersonationLevel level=" + std::to_string(level),
                      [&] { return Fake().Enter("put_ImpersonationLevel"); });
    }

    HRESULT STDMETHODCALLTYPE get_Privileges(ISWbemPrivilegeSet** set) override {
        return Logged(Fake(), "get_Privileges", [&]() -> HRESULT {
            if (set) *set = nullptr;
            if (const HRESULT failure = Fake().Enter("get_Privileges"); FAILED(failure)) {
                return failure;
            }
            return HandOut(Fake(), "get_Privileges", new PrivilegeSetDouble(SharedFake()), set);
        });
    }
};

class ServicesDouble final : public ServicesStubs {
  public:
    using ServicesStubs::ServicesStubs;

    HRESULT STDMETHODCALLTYPE Get(BSTR path, LONG flags, IDispatch* namedValues,
                                  ISWbemObject** object) override {
        return Logged(Fake(),
                      "Get path=" + LogBstr(path) + " flags=" + std::to_string(flags) +
                          " namedValues=" + NamedValues(namedValues),
                      [&]() -> HRESULT {
                          if (object) *object = nullptr;
                          if (const HRESULT failure = Fake().Enter("Get"); FAILED(failure)) {
                              return failure;
                          }
                          return HandOut(Fake(), "Get",
                                         new ObjectDouble(SharedFake(), nullptr, std::nullopt),
                                         object);
                      });
    }

    HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity** security) override {
        return Logged(Fake(), "get_Security_", [&]() -> HRESULT {
            if (security) *security = nullptr;
            if (const HRESULT failure = Fake().Enter("get_Security_"); FAILED(failure)) {
                return failure;
            }
            return HandOut(Fake(), "get_Security_", new SecurityDouble(SharedFake()), security);
        });
    }
};

std::wstring_view ViewOf(BSTR text) { return {text ? text : L"", SysStringLen(text)}; }

class LocatorDouble final : public LocatorStubs {
  public:
    using LocatorStubs::LocatorStubs;

    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR server, BSTR nameSpace, BSTR user, BSTR password,
                                            BSTR locale, BSTR authority, LONG securityFlags,
                                            IDispatch* namedValues,
                                            ISWbemServices** services) override {
        const std::string line =
            "ConnectServer server=" + LogBstr(server) + " namespace=" + LogBstr(nameSpace) +
            " user=" + LogBstr(user) + " passwordLength=" + std::to_string(SysStringLen(password)) +
            " locale=" + LogBstr(locale) + " authority=" + LogBstr(authority) +
            " flags=" + std::to_string(securityFlags) + " namedValues=" + NamedValues(namedValues);
        return Logged(Fake(), line, [&]() -> HRESULT {
            if (services) *services = nullptr;
            if (const HRESULT failure = Fake().Enter("ConnectServer"); FAILED(failure)) {
                return failure;
            }
            std::shared_ptr<FakeWmi> served = SharedFake();
            if (Fake().connector) {
                Connection connection =
                    Fake().connector({ViewOf(server), ViewOf(user), ViewOf(password)});
                if (FAILED(connection.result)) {
                    SetThreadErrorInfo(connection.description);
                    return connection.result;
                }
                if (connection.served) served = std::move(connection.served);
                // The chosen computer may script its own refusal.
                if (served != SharedFake()) {
                    if (const HRESULT failure = served->Enter("ConnectServer"); FAILED(failure)) {
                        return failure;
                    }
                }
            }
            if (served->scenario.connectReturnsNoServices) return services ? S_OK : E_POINTER;
            return HandOut(*served, "ConnectServer", new ServicesDouble(served), services);
        });
    }
};

}  // namespace

HRESULT FakeWmi::Enter(const std::string& call, std::optional<size_t> process) {
    for (const FakeFailure& failure : scenario.failures) {
        if (failure.call != call) continue;
        if (failure.processIndex && failure.processIndex != process) continue;
        SetThreadErrorInfo(failure.description);
        return failure.result;
    }
    return S_OK;
}

void FakeWmi::Record(std::string line, HRESULT result) {
    if (observer) {
        observer->CallMade(line, result);
    } else {
        log.push_back(std::move(line));
    }
}

bool FakeWmi::ReturnsNoObject(const std::string& call) const {
    const auto& calls = scenario.callsReturningNoObject;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

HRESULT CreateLocatorDouble(const std::shared_ptr<FakeWmi>& fake, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!fake) return E_INVALIDARG;
    auto* locator = new LocatorDouble(fake);
    const HRESULT result = locator->QueryInterface(iid, object);
    locator->Release();
    return result;
}

}  // namespace brisklow::wmi_doubles
