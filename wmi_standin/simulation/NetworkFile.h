#pragma once
// The simulated network the stand-in serves: computers with their accounts, processes and scripted
// failures, read from a JSON file. Plain C++ without Windows, so that it is tested natively too.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brisklow::wmi_standin {

// A property value as the scripting interface hands it to scripts.
struct Value {
    enum class Kind { Null, Int32, Text, Real, Boolean };

    Kind kind = Kind::Null;
    int32_t integer = 0;
    std::u16string text;
    double real = 0.0;
    bool boolean = false;

    static Value Null() { return {}; }
    static Value Int32(int32_t v) { return {Kind::Int32, v, {}, 0.0, false}; }
    static Value Text(std::u16string v) { return {Kind::Text, 0, std::move(v), 0.0, false}; }
    static Value Real(double v) { return {Kind::Real, 0, {}, v, false}; }
    static Value Boolean(bool v) { return {Kind::Boolean, 0, {}, 0.0, v}; }

    friend bool operator==(const Value&, const Value&) = default;
};

// The process properties the scan reads, in its order.
inline constexpr const char* kProcessProperties[] = {
    "Name",     "ExecutablePath", "ProcessID",   "ParentProcessId", "SessionID",     "ThreadCount",
    "Priority", "WorkingSetSize", "HandleCount", "UserModeTime",    "KernelModeTime"};

// One scripted failure. `call` is named after the scripting method ("Get", "Item:ThreadCount",
// ...); a per-process property failure is a call "Item:<property>" at that process.
struct CallFailure {
    std::string call;
    uint32_t result = 0;
    std::optional<std::u16string> description;
    std::optional<size_t> atProcess;
};

struct Process {
    // An absent property fails to read as "Not found".
    std::map<std::string, Value> properties;
    std::vector<CallFailure> failures;
};

struct Account {
    std::u16string user;
    std::u16string password;
};

struct Computer {
    std::u16string name;
    // Without a list every user name and password is accepted.
    std::optional<std::vector<Account>> accounts;
    std::vector<CallFailure> failures;
    std::optional<size_t> enumFailAfter;
    // The name of an event that ConnectServer to this computer waits for before it answers, as a
    // slow computer makes its caller wait: a test looks at the program while its scan is held.
    std::optional<std::u16string> holdConnectUntil;
    // Processes made on demand after the listed ones.
    size_t generate = 0;
    std::vector<Process> processes;
};

struct Network {
    std::vector<Computer> computers;
};

// A file that does not describe a network; what() says where and why.
class NetworkFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raises NetworkFileError for text that is no JSON or no network description.
Network ParseNetwork(std::string_view json);

// Computer and user names are compared without regard to case (ASCII and Latin-1 letters).
bool SameName(std::u16string_view a, std::u16string_view b);

const Computer* FindComputer(const Network& network, std::u16string_view name);

// Empty, ".", "localhost" or the local computer's own name.
bool IsLocalName(std::u16string_view name, std::u16string_view localComputerName);

// Whether the computer lets this user in: an empty user with an empty password always passes
// (the caller's own logon), otherwise a listed account must match (the user name without regard
// to case, the password exactly).
bool AccountAccepted(const Computer& computer, std::u16string_view user,
                     std::u16string_view password);

// The made-up process at `index` (from 0) of a computer with generated processes: same index,
// same values, so that benchmarks compare like with like.
Process GeneratedProcess(size_t index);

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace brisklow::wmi_standin
