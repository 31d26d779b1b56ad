#pragma once
// A scripted stand-in of the WMI access: serves chosen processes, fails chosen calls, logs every
// call with its arguments and counts its live objects.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "inventory/WmiAccess.h"

namespace brisklow::testing {

struct ScriptedProcess {
    // Properties that are absent fail to read with "Not found".
    std::map<std::string, PropertyValue> properties;
};

class ScriptedWmi : public WmiAccess {
  public:
    std::vector<ScriptedProcess> processes;
    bool connectReturnsNoServices = false;
    // When not 0, serves that many processes made on demand instead of `processes`: process i is
    // named "p<i>.exe" with id i, 4000 KiB and 3 CPU seconds, its other numbers 1.
    size_t generatedProcesses = 0;
    bool logCalls = true;

    // Makes the named call fail with `message`; for per-process calls (Next, QueryObject,
    // Properties, Item:<name>), only at that process index when one is given ("Next" counts the
    // item it would hand out).
    void FailCall(const std::string& call, const std::string& message,
                  std::optional<size_t> atProcess = std::nullopt);
    // The same, the call raising whatever `raise` throws instead of the WMI error type.
    void FailCallRaising(const std::string& call, std::function<void()> raise,
                         std::optional<size_t> atProcess = std::nullopt);

    std::vector<std::string> log;  // one line per call, with its arguments
    int liveObjects = 0;

    std::unique_ptr<WmiLocator> CreateLocator() override;

    // Internal: logs a call when calls are logged; raises when the call is scripted to fail.
    void Log(std::string line);
    void Enter(const std::string& call, std::optional<size_t> process = std::nullopt);
    bool HasFailures() const { return !failures_.empty(); }

  private:
    struct Failure {
        std::string call;
        std::string message;
        std::optional<size_t> atProcess;
        std::function<void()> raise;  // when set, raises instead of the WMI error
    };
    std::vector<Failure> failures_;
};

// A process with every property the scan reads, all numbers as WMI hands them over.
ScriptedProcess MakeProcess(const std::string& name, int32_t pid);

}  // namespace brisklow::testing
