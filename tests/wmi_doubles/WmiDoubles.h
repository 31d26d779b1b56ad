#pragma once
// Doubles of the WMI scripting objects, served from a scenario: every call is logged with its
// arguments and every object counts itself live from its creation until its last release.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <wbemdisp.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wmi_doubles/WmiScenario.h"

namespace brisklow::wmi_doubles {

// The state every double of one locator shares. The doubles are called from one apartment's
// thread; only the live count may change on another thread (a release from elsewhere).
class FakeWmi {
public:
    explicit FakeWmi(Scenario served) : scenario(std::move(served)) {}
    FakeWmi(const FakeWmi&) = delete;
    FakeWmi& operator=(const FakeWmi&) = delete;

    const Scenario scenario;
    // One line per call: its name and arguments; the password only as its length.
    std::vector<std::string> log;
    std::atomic<long> liveObjects{0};

    // The scenario's answer to `call` made for `process`: S_OK, or the scripted failure with the
    // thread's error object set (or cleared) as scripted.
    HRESULT Enter(const std::string& call, std::optional<size_t> process = std::nullopt);
    bool ReturnsNoObject(const std::string& call) const;
};

// Creates a locator double serving `fake`'s scenario and queries it for `iid`, as a class
// factory would.
HRESULT CreateLocatorDouble(const std::shared_ptr<FakeWmi>& fake, REFIID iid, void** object);

inline HRESULT CreateLocatorDouble(const std::shared_ptr<FakeWmi>& fake, ISWbemLocator** locator) {
    return CreateLocatorDouble(fake, __uuidof(ISWbemLocator), reinterpret_cast<void**>(locator));
}

// Text for the log: ASCII as it is, every other character as \uXXXX.
std::string LogText(const wchar_t* text, size_t length);

}  // namespace brisklow::wmi_doubles
