#include "tests/inventory/ScriptedWmi.h"

#include "inventory/WmiError.h"

namespace brisklow::testing {
namespace {

// Counts itself in the stand-in's live objects for as long as it exists.
class Counted {
  public:
    explicit Counted(ScriptedWmi& wmi) : wmi_(wmi) { ++wmi_.liveObjects; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ~Counted() { --wmi_.liveObjects; }

  protected:
    ScriptedWmi& wmi_;
};

// The properties of generated process i, made on demand without building a whole process.
PropertyValue GeneratedProperty(size_t index, const std::string& name) {
    const auto pid = static_cast<int32_t>(index);
    if (name == "Name") return PropertyValue::FromText("p" + std::to_string(index) + ".exe");
    if (name == "ExecutablePath") return PropertyValue::FromText("C:\\Windows\\p.exe");
    if (name == "ProcessID") return PropertyValue::FromInt32(pid);
    if (name == "WorkingSetSize") return PropertyValue::FromText("4096000");
    if (name == "UserModeTime") return PropertyValue::FromText("20000000");
    if (name == "KernelModeTime") return PropertyValue::FromText("10000000");
    if (name == "ParentProcessId" || name == "SessionID" || name == "ThreadCount" ||
        name == "Priority" || name == "HandleCount") {
        return PropertyValue::FromInt32(1);
    }
    throw WmiError("Not found");
}

class PropertySet : public WmiPropertySet, Counted {
  public:
    PropertySet(ScriptedWmi& wmi, size_t index) : Counted(wmi), index_(index) {}
    PropertyValue Item(const std::string& name, int32_t flags) override {
        if (wmi_.logCalls) wmi_.Log("Item " + name + " " + std::to_string(flags));
        if (wmi_.HasFailures()) wmi_.Enter("Item:" + name, index_);
        if (wmi_.generatedProcesses > 0) return GeneratedProperty(index_, name);
        const auto& properties = wmi_.processes.at(index_).properties;
        const auto found = properties.find(name);
        if (found == properties.end()) throw WmiError("Not found");
        return found->second;
    }

  private:
    size_t index_;
};

class Enumerator;

class ObjectSet : public WmiObjectSet, Counted {
  public:
    using Counted::Counted;
    std::unique_ptr<WmiEnumerator> NewEnum() override;
};

class Object : public WmiObject, Counted {
  public:
    Object(ScriptedWmi& wmi, std::optional<size_t> index) : Counted(wmi), index_(index) {}
    std::unique_ptr<WmiObjectSet> Instances(int32_t flags) override {
        wmi_.Log("Instances_ " + std::to_string(flags));
        wmi_.Enter("Instances_");
        return std::make_unique<ObjectSet>(wmi_);
    }
    std::unique_ptr<WmiPropertySet> Properties() override {
        wmi_.Log("Properties_");
        wmi_.Enter("Properties_", index_);
        return std::make_unique<PropertySet>(wmi_, index_.value());
    }

  private:
    std::optional<size_t> index_;  // none for the class object
};

class EnumItem : public WmiEnumItem, Counted {
  public:
    EnumItem(ScriptedWmi& wmi, size_t index) : Counted(wmi), index_(index) {}
    std::unique_ptr<WmiObject> QueryObject() override {
        wmi_.Log("QueryObject");
        wmi_.Enter("QueryObject", index_);
        return std::make_unique<Object>(wmi_, index_);
    }

  private:
    size_t index_;
};

class Enumerator : public WmiEnumerator, Counted {
  public:
    using Counted::Counted;
    std::unique_ptr<WmiEnumItem> Next() override {
        wmi_.Log("Next");
        const size_t count =
            wmi_.generatedProcesses > 0 ? wmi_.generatedProcesses : wmi_.processes.size();
        if (wmi_.HasFailures()) wmi_.Enter("Next", next_);
        if (next_ >= count) return nullptr;
        return std::make_unique<EnumItem>(wmi_, next_++);
    }

  private:
    size_t next_ = 0;
};

std::unique_ptr<WmiEnumerator> ObjectSet::NewEnum() {
    wmi_.Log("_NewEnum");
    wmi_.Enter("_NewEnum");
    return std::make_unique<Enumerator>(wmi_);
}

class PrivilegeSet : public WmiPrivilegeSet, Counted {
  public:
    using Counted::Counted;
    void Add(int32_t privilege, bool enabled) override {
        wmi_.Log("Add " + std::to_string(privilege) + (enabled ? " true" : " false"));
        wmi_.Enter("Add");
    }
};

class Security : public WmiSecurity, Counted {
  public:
    using Counted::Counted;
    void SetImpersonationLevel(int32_t level) override {
        wmi_.Log("ImpersonationLevel " + std::to_string(level));
        wmi_.Enter("ImpersonationLevel");
    }
    std::unique_ptr<WmiPrivilegeSet> Privileges() override {
        wmi_.Log("Privileges");
        wmi_.Enter("Privileges");
        return std::make_unique<PrivilegeSet>(wmi_);
    }
};

class Services : public WmiServices, Counted {
  public:
    using Counted::Counted;
    std::unique_ptr<WmiSecurity> Security() override {
        wmi_.Log("Security_");
        wmi_.Enter("Security_");
        return std::make_unique<class Security>(wmi_);
    }
    std::unique_ptr<WmiObject> Get(const std::string& path, int32_t flags) override {
        wmi_.Log("Get " + path + " " + std::to_string(flags));
        wmi_.Enter("Get");
        return std::make_unique<Object>(wmi_, std::nullopt);
    }
};

class Locator : public WmiLocator, Counted {
  public:
    using Counted::Counted;
    std::unique_ptr<WmiServices> ConnectServer(const std::string& server,
                                               const std::string& nameSpace,
                                               const std::string& user, const std::string& password,
                                               const std::string& locale,
                                               const std::string& authority,
                                               int32_t securityFlags) override {
        wmi_.Log("ConnectServer " + server + "|" + nameSpace + "|" + user + "|" + password + "|" +
                 locale + "|" + authority + "|" + std::to_string(securityFlags));
        wmi_.Enter("ConnectServer");
        if (wmi_.connectReturnsNoServices) return nullptr;
        return std::make_unique<Services>(wmi_);
    }
};

}  // namespace

void ScriptedWmi::FailCall(const std::string& call, const std::string& message,
                           std::optional<size_t> atProcess) {
    failures_.push_back({call, message, atProcess, {}});
}

void ScriptedWmi::FailCallRaising(const std::string& call, std::function<void()> raise,
                                  std::optional<size_t> atProcess) {
    failures_.push_back({call, {}, atProcess, std::move(raise)});
}

void ScriptedWmi::Log(std::string line) {
    if (logCalls) log.push_back(std::move(line));
}

void ScriptedWmi::Enter(const std::string& call, std::optional<size_t> process) {
    for (const auto& failure : failures_) {
        if (failure.call != call) continue;
        if (failure.atProcess && failure.atProcess != process) continue;
        if (failure.raise) failure.raise();
        throw WmiError(failure.message);
    }
}

std::unique_ptr<WmiLocator> ScriptedWmi::CreateLocator() {
    Log("CreateLocator");
    Enter("CreateLocator");
    return std::make_unique<Locator>(*this);
}

ScriptedProcess MakeProcess(const std::string& name, int32_t pid) {
    ScriptedProcess process;
    process.properties = {
        {"Name", PropertyValue::FromText(name)},
        {"ExecutablePath", PropertyValue::FromText("C:\\Windows\\System32\\" + name)},
        {"ProcessID", PropertyValue::FromInt32(pid)},
        {"ParentProcessId", PropertyValue::FromInt32(4)},
        {"SessionID", PropertyValue::FromInt32(1)},
        {"ThreadCount", PropertyValue::FromInt32(12)},
        {"Priority", PropertyValue::FromInt32(8)},
        {"WorkingSetSize", PropertyValue::FromText("4096000")},
        {"HandleCount", PropertyValue::FromInt32(345)},
        {"UserModeTime", PropertyValue::FromText("20000000")},
        {"KernelModeTime", PropertyValue::FromText("10000000")},
    };
    return process;
}

}  // namespace brisklow::testing
