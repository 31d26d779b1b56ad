#pragma once
// The stand-in's Windows parts: the computers it serves, its call log, and its registration as
// the scripting locator's server.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HandleOwners.h"
#include "wmi_standin/simulation/NetworkFile.h"
#include "wmi_standin/simulation/WmiDoubles.h"
#include "wmi_standin/simulation/WmiScenario.h"

namespace brisklow::wmi_standin {

// The scripting locator's class, which the stand-in serves.
inline const CLSID& kLocatorClassId = __uuidof(SWbemLocator);

// The environment variables the stand-in reads when a locator is made (log) or connects (network).
inline constexpr const wchar_t* kNetworkVariable = L"BRISKLOW_WMI_NETWORK";
inline constexpr const wchar_t* kLogVariable = L"BRISKLOW_WMI_LOG";

// Every call of every locator of this process, one line each, appended to the file that
// BRISKLOW_WMI_LOG names; and the count of live objects, with a line "live 0" whenever it drops
// back to zero. Each line is written straight through, so a killed program loses none.
class CallLog final : public wmi_doubles::FakeWmiObserver {
  public:
    CallLog() = default;
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;
    ~CallLog() override = default;

    // The file to append to from now on; an empty path writes none.
    void UseFile(const std::wstring& path);
    long LiveObjects() const { return live_.load(); }

    void CallMade(const std::string& line, HRESULT result) override;
    void ObjectCreated() override;
    void ObjectReleased() override;

  private:
    void WriteLine(const std::string& line);

    std::mutex mutex_;
    std::wstring path_;
    UniqueKernelHandle file_;
    std::atomic<long> live_{0};
};

// The one log of this process, shared by every locator.
const std::shared_ptr<CallLog>& ModuleCallLog();

// An environment variable naming a file, as a Windows path; a Unix path (under Wine) is turned
// into its Windows form. Empty when the variable is not set.
std::wstring PathFromEnvironment(const wchar_t* name);

// The processes of this computer, read from the system's process table now; raises
// std::runtime_error when the table cannot be read.
std::vector<wmi_doubles::FakeProcess> LocalProcesses();

// What a simulated computer serves.
wmi_doubles::Scenario ScenarioOf(const Computer& computer);

// Chooses what a ConnectServer call reaches: a computer of the network file, this computer, or
// nothing.
wmi_doubles::Connection Connect(const wmi_doubles::ConnectRequest& request);

// Whether this process runs under Wine. A run that sets BRISKLOW_WMI_STANDIN_NOT_WINE (to
// anything) is told it does not, to see what the stand-in does on Windows.
bool RunningUnderWine();
inline constexpr const wchar_t* kNotWineVariable = L"BRISKLOW_WMI_STANDIN_NOT_WINE";

// What registering answers on a Windows that is not Wine.
inline const HRESULT kRegistrationRefused = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
inline constexpr const char* kRegistrationRefusedText =
    "The WMI stand-in is registered only under Wine: it would take the place of this Windows' own "
    "WMI scripting locator for every program";

// Points the locator's class at `dllPath`, keeping the entry it replaces for UnregisterLocator.
// Only under Wine: elsewhere it writes nothing, leaves kRegistrationRefusedText as the thread's
// error description and answers kRegistrationRefused.
HRESULT RegisterLocator(const std::wstring& dllPath);
// Puts back the entry that RegisterLocator replaced; without one it changes nothing.
HRESULT UnregisterLocator();

}  // namespace brisklow::wmi_standin
