#pragma once
// Doubles of the WMI scripting objects, served from a scenario: every call is logged with its
// arguments and every object counts itself live from its creation until its last release.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <wbemdisp.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wmi_standin/simulation/WmiScenario.h"

namespace brisklow::wmi_doubles {

class FakeWmi;

// Told of every call and of every double's coming and going, by a host that serves the doubles
// outside a test (several locators and connections, one log). Called on the doubles' thread,
// except for a release, which may come from anywhere.
class FakeWmiObserver {
  public:
    virtual ~FakeWmiObserver() = default;
    virtual void CallMade(const std::string& line, HRESULT result) = 0;
    virtual void ObjectCreated() = 0;
    virtual void ObjectReleased() = 0;
};

// What a ConnectServer call asks for; the texts live only for the call.
struct ConnectRequest {
    std::wstring_view server;
    std::wstring_view user;
    std::wstring_view password;
};

// A connector's answer: a failure (with its error description, if any), or the doubles the
// connection serves.
struct Connection {
    HRESULT result = S_OK;
    std::optional<std::wstring> description;
    // Without one the connection serves the locator's own scenario.
    std::shared_ptr<FakeWmi> served;
};

using Connector = std::function<Connection(const ConnectRequest& request)>;

// The state every double of one locator (or of one of its connections) shares. The doubles are
// called from one apartment's thread; only the live count may change on another thread (a release
// from elsewhere).
class FakeWmi {
  public:
    explicit FakeWmi(Scenario served, std::shared_ptr<FakeWmiObserver> watcher = nullptr)
        : scenario(std::move(served)), observer(std::move(watcher)) {}
    FakeWmi(const FakeWmi&) = delete;
    FakeWmi& operator=(const FakeWmi&) = delete;

    const Scenario scenario;
    // Takes the call lines and the comings and goings; without one the lines are kept in `log`.
    const std::shared_ptr<FakeWmiObserver> observer;
    // Decides at each ConnectServer what the connection serves; without one it serves
    // `scenario`.
    Connector connector;
    // One line per call: its name and arguments; the password only as its length.
    std::vector<std::string> log;
    std::atomic<long> liveObjects{0};

    // The scenario's answer to `call` made for `process`: S_OK, or the scripted failure with the
    // thread's error object set (or cleared) as scripted.
    HRESULT Enter(const std::string& call, std::optional<size_t> process = std::nullopt);
    bool ReturnsNoObject(const std::string& call) const;
    // Notes a call that has been answered with `result`.
    void Record(std::string line, HRESULT result);
    // The listed processes and then the ones made on demand.
    size_t ProcessCount() const { return scenario.processes.size() + scenario.madeProcessCount; }
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
