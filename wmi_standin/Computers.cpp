#include <windows.h>
#include <wbemdisp.h>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "platform/HandleOwners.h"
#include "wmi_standin/Standin.h"

namespace brisklow::wmi_standin {
namespace {

using wmi_doubles::Connection;
using wmi_doubles::FakeFailure;
using wmi_doubles::FakeProcess;
using wmi_doubles::FakeValue;
using wmi_doubles::FakeWmi;
using wmi_doubles::Scenario;

constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);
constexpr HRESULT kLocalCredentials = static_cast<HRESULT>(wbemErrLocalCredentials);
constexpr const wchar_t* kLocalCredentialsText =
    L"User credentials cannot be used for local connections";

std::wstring WideOf(const std::u16string& text) { return {text.begin(), text.end()}; }
std::u16string U16Of(std::wstring_view text) { return {text.begin(), text.end()}; }

std::wstring WideOfNarrow(const std::string& text) { return WideOf(Utf16FromUtf8(text)); }

FakeValue FakeValueOf(const Value& value) {
    switch (value.kind) {
        case Value::Kind::Int32:
            return FakeValue::Int32(value.integer);
        case Value::Kind::Text:
            return FakeValue::Text(WideOf(value.text));
        case Value::Kind::Real:
            return FakeValue::Real(value.real);
        case Value::Kind::Boolean:
            return FakeValue::Boolean(value.boolean);
        case Value::Kind::Null:
            break;
    }
    return FakeValue::Null();
}

FakeProcess FakeProcessOf(const Process& process) {
    FakeProcess fake;
    for (const auto& [name, value] : process.properties) {
        fake.properties[WideOfNarrow(name)] = FakeValueOf(value);
    }
    return fake;
}

FakeFailure FakeFailureOf(const CallFailure& failure, std::optional<size_t> atProcess) {
    std::optional<std::wstring> description;
    if (failure.description) description = WideOf(*failure.description);
    return {failure.call, static_cast<HRESULT>(failure.result), std::move(description), atProcess};
}

// The system's text for a Win32 error, without its line break.
std::wstring SystemText(DWORD error) {
    wchar_t buffer[512] = {};
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                          buffer[length - 1] == L' ' || buffer[length - 1] == L'.')) {
        --length;
    }
    if (length == 0) return L"error " + std::to_wstring(error);
    return {buffer, length};
}

// The file's text; on failure `error` says why.
std::optional<std::string> ReadWholeFile(const std::wstring& path, std::wstring& error) {
    const UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = SystemText(GetLastError());
        return std::nullopt;
    }
    std::string text;
    char chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
            error = SystemText(GetLastError());
            return std::nullopt;
        }
        if (read == 0) return text;
        text.append(chunk, read);
    }
}

Connection Refusal(HRESULT result, std::optional<std::wstring> description) {
    return {result, std::move(description), nullptr};
}

std::u16string LocalComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = static_cast<DWORD>(std::size(name));
    if (!GetComputerNameW(name, &length)) return {};
    return U16Of({name, length});
}

// Waits until the named event is set, for a minute at most; why not, when it cannot wait.
std::optional<std::wstring> HoldUntil(const std::wstring& eventName) {
    const UniqueKernelHandle event(OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str()));
    if (!event) return L"The event " + eventName + L" to hold the connection on does not exist";
    constexpr DWORD kLongestHoldMs = 60000;
    if (WaitForSingleObject(event.get(), kLongestHoldMs) != WAIT_OBJECT_0) {
        return L"The event " + eventName + L" was not set within a minute";
    }
    return std::nullopt;
}

Connection Serve(Scenario scenario) {
    auto served = std::make_shared<FakeWmi>(std::move(scenario), ModuleCallLog());
    return {S_OK, std::nullopt, std::move(served)};
}

Connection ConnectOrThrow(const wmi_doubles::ConnectRequest& request) {
    const std::u16string server = U16Of(request.server);
    // On the computer it runs on WMI takes only the caller's own logon: it refuses a user name or
    // a password there by the name asked for, before anything else, whatever the network file
    // lists under that name.
    if (IsLocalName(server, LocalComputerName()) &&
        !(request.user.empty() && request.password.empty())) {
        return Refusal(kLocalCredentials, kLocalCredentialsText);
    }
    std::optional<Network> network;
    if (const std::wstring path = PathFromEnvironment(kNetworkVariable); !path.empty()) {
        // A broken file is reported where the user sees it: in the program's error box.
        std::wstring why;
        const std::optional<std::string> text = ReadWholeFile(path, why);
        if (!text) return Refusal(E_FAIL, L"The network file " + path + L" cannot be read: " + why);
        try {
            network = ParseNetwork(*text);
        } catch (const NetworkFileError& error) {
            return Refusal(E_FAIL, L"The network file " + path + L" is not valid: " +
                                       WideOfNarrow(error.what()));
        }
    }
    if (network) {
        if (const Computer* computer = FindComputer(*network, server)) {
            if (computer->holdConnectUntil) {
                if (auto why = HoldUntil(WideOf(*computer->holdConnectUntil))) {
                    return Refusal(E_FAIL, std::move(*why));
                }
            }
            if (!AccountAccepted(*computer, U16Of(request.user), U16Of(request.password))) {
                return Refusal(E_ACCESSDENIED, L"Access denied");
            }
            return Serve(ScenarioOf(*computer));
        }
    }
    if (IsLocalName(server, LocalComputerName())) {
        Scenario local;
        try {
            local.processes = LocalProcesses();
        } catch (const std::runtime_error& error) {
            return Refusal(E_FAIL, WideOfNarrow(error.what()));
        }
        return Serve(std::move(local));
    }
    // As for a name that no computer answers to: the system's text, no description.
    return Refusal(kServerUnavailable, std::nullopt);
}

}  // namespace

Scenario ScenarioOf(const Computer& computer) {
    Scenario scenario;
    for (const CallFailure& failure : computer.failures) {
        scenario.failures.push_back(FakeFailureOf(failure, failure.atProcess));
    }
    for (size_t index = 0; index < computer.processes.size(); ++index) {
        const Process& process = computer.processes[index];
        scenario.processes.push_back(FakeProcessOf(process));
        for (const CallFailure& failure : process.failures) {
            scenario.failures.push_back(FakeFailureOf(failure, index));
        }
    }
    scenario.enumFailAfter = computer.enumFailAfter;
    if (computer.generate > 0) {
        const size_t listed = computer.processes.size();
        scenario.madeProcessCount = computer.generate;
        scenario.makeProcess = [listed](size_t index) {
            return FakeProcessOf(GeneratedProcess(index - listed));
        };
    }
    return scenario;
}

Connection Connect(const wmi_doubles::ConnectRequest& request) {
    try {
        return ConnectOrThrow(request);
    } catch (const std::bad_alloc&) {
        return Refusal(E_OUTOFMEMORY, std::nullopt);
    } catch (const std::exception& error) {
        return Refusal(E_FAIL, WideOfNarrow(error.what()));
    }
}

}  // namespace brisklow::wmi_standin
