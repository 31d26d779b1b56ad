#include "wmi_standin/simulation/NetworkFile.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

namespace brisklow::wmi_standin {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& why) {
    throw NetworkFileError(where + ": " + why);
}

// Every key of `object` must be one of `known`, so that a misspelt key is reported rather than
// silently ignored.
void RequireKnownKeys(const json& object, const std::string& where,
                      std::initializer_list<const char*> known) {
    for (const auto& item : object.items()) {
        const bool isKnown = std::any_of(known.begin(), known.end(),
                                         [&](const char* key) { return item.key() == key; });
        if (!isKnown) Fail(where, "unknown key \"" + item.key() + "\"");
    }
}

void RequireObject(const json& value, const std::string& where) {
    if (!value.is_object()) Fail(where, "must be an object");
}

void RequireArray(const json& value, const std::string& where) {
    if (!value.is_array()) Fail(where, "must be an array");
}

std::string RequireString(const json& value, const std::string& where) {
    if (!value.is_string()) Fail(where, "must be a string");
    return value.get<std::string>();
}

size_t RequireCount(const json& value, const std::string& where) {
    if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<int64_t>() >= 0)) {
        Fail(where, "must be a whole number from 0");
    }
    return static_cast<size_t>(value.get<uint64_t>());
}

bool IsProcessProperty(std::string_view name) {
    return std::any_of(std::begin(kProcessProperties), std::end(kProcessProperties),
                       [&](const char* known) { return name == known; });
}

// "0x80041003" (the prefix may be left out), or the code as a JSON number.
uint32_t ParseResult(const json& value, const std::string& where) {
    if (value.is_number_unsigned() && value.get<uint64_t>() <= 0xFFFFFFFFu) {
        return static_cast<uint32_t>(value.get<uint64_t>());
    }
    if (!value.is_string()) Fail(where, "must be a result code in hexadecimal text");
    std::string text = value.get<std::string>();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text = text.substr(2);
    }
    if (text.empty() || text.size() > 8 || !std::all_of(text.begin(), text.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        })) {
        Fail(where, "\"" + value.get<std::string>() + "\" is no result code in hexadecimal");
    }
    return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

// Scripted calls: the scan's scripting calls, those made once per process marked.
bool IsPerProcessCall(std::string_view call) {
    return call == "Next" || call == "QueryInterface:ISWbemObject" || call == "get_Properties_" ||
           call.starts_with("Item:") || call.starts_with("get_Value:");
}

bool IsKnownCall(std::string_view call) {
    for (const char* name :
         {"ConnectServer", "get_Security_", "put_ImpersonationLevel", "get_Privileges", "Add",
          "Get", "Instances_", "get__NewEnum", "QueryInterface:IEnumVARIANT",
          "QueryInterface:ISWbemObject", "get_Properties_", "Next"}) {
        if (call == name) return true;
    }
    for (std::string_view prefix : {std::string_view("Item:"), std::string_view("get_Value:")}) {
        if (call.starts_with(prefix)) return IsProcessProperty(call.substr(prefix.size()));
    }
    return false;
}

std::optional<std::u16string> OptionalDescription(const json& object, const std::string& where) {
    if (!object.contains("description")) return std::nullopt;
    return Utf16FromUtf8(RequireString(object["description"], where + ".description"));
}

CallFailure ParseCallFailure(const json& value, const std::string& where) {
    RequireObject(value, where);
    RequireKnownKeys(value, where, {"call", "hresult", "description", "atProcess"});
    if (!value.contains("call")) Fail(where, "\"call\" is missing");
    if (!value.contains("hresult")) Fail(where, "\"hresult\" is missing");
    CallFailure failure;
    failure.call = RequireString(value["call"], where + ".call");
    if (!IsKnownCall(failure.call)) Fail(where + ".call", "\"" + failure.call + "\" is no call");
    failure.result = ParseResult(value["hresult"], where + ".hresult");
    failure.description = OptionalDescription(value, where);
    if (value.contains("atProcess")) {
        if (!IsPerProcessCall(failure.call)) {
            Fail(where + ".atProcess", "\"" + failure.call + "\" is not made once per process");
        }
        failure.atProcess = RequireCount(value["atProcess"], where + ".atProcess");
    }
    return failure;
}

Value ParseValue(const json& value, const std::string& where) {
    switch (value.type()) {
        case json::value_t::null:
            return Value::Null();
        case json::value_t::boolean:
            return Value::Boolean(value.get<bool>());
        case json::value_t::number_integer:
        case json::value_t::number_unsigned: {
            // 32-bit WMI numbers reach scripts as signed 32-bit integers; the unsigned ones from
            // 2^31 as their two's-complement bits.
            if (value.is_number_unsigned() ? value.get<uint64_t>() > 0xFFFFFFFFull
                                           : value.get<int64_t>() < INT32_MIN) {
                Fail(where,
                     "an integer must lie between -2147483648 and 4294967295; give larger "
                     "numbers as decimal text");
            }
            const int64_t number = value.is_number_unsigned()
                                       ? static_cast<int64_t>(value.get<uint64_t>())
                                       : value.get<int64_t>();
            return Value::Int32(static_cast<int32_t>(static_cast<uint32_t>(number)));
        }
        case json::value_t::number_float:
            return Value::Real(value.get<double>());
        case json::value_t::string:
            return Value::Text(Utf16FromUtf8(value.get<std::string>()));
        default:
            Fail(where, "must be null, a number, a string or true/false");
    }
}

Process ParseProcess(const json& value, const std::string& where) {
    RequireObject(value, where);
    Process process;
    for (const auto& item : value.items()) {
        const std::string itemWhere = where + "." + item.key();
        if (item.key() == "failures") {
            const json& failures = item.value();
            RequireArray(failures, itemWhere);
            for (size_t i = 0; i < failures.size(); ++i) {
                const std::string failureWhere = itemWhere + "[" + std::to_string(i) + "]";
                const json& entry = failures[i];
                RequireObject(entry, failureWhere);
                RequireKnownKeys(entry, failureWhere, {"property", "hresult", "description"});
                if (!entry.contains("property")) Fail(failureWhere, "\"property\" is missing");
                if (!entry.contains("hresult")) Fail(failureWhere, "\"hresult\" is missing");
                const std::string property =
                    RequireString(entry["property"], failureWhere + ".property");
                if (!IsProcessProperty(property)) {
                    Fail(failureWhere + ".property", "\"" + property + "\" is no process property");
                }
                process.failures.push_back(
                    {"Item:" + property, ParseResult(entry["hresult"], failureWhere + ".hresult"),
                     OptionalDescription(entry, failureWhere), std::nullopt});
            }
            continue;
        }
        if (!IsProcessProperty(item.key())) Fail(where, "unknown key \"" + item.key() + "\"");
        process.properties[item.key()] = ParseValue(item.value(), itemWhere);
    }
    return process;
}

Computer ParseComputer(const json& value, const std::string& where) {
    RequireObject(value, where);
    RequireKnownKeys(value, where,
                     {"name", "accounts", "failures", "enumFailAfter", "holdConnectUntil",
                      "generate", "processes"});
    if (!value.contains("name")) Fail(where, "\"name\" is missing");
    Computer computer;
    computer.name = Utf16FromUtf8(RequireString(value["name"], where + ".name"));
    if (value.contains("accounts")) {
        const json& accounts = value["accounts"];
        RequireArray(accounts, where + ".accounts");
        computer.accounts.emplace();
        for (size_t i = 0; i < accounts.size(); ++i) {
            const std::string accountWhere = where + ".accounts[" + std::to_string(i) + "]";
            const json& entry = accounts[i];
            RequireObject(entry, accountWhere);
            RequireKnownKeys(entry, accountWhere, {"user", "password"});
            Account account;
            if (entry.contains("user")) {
                account.user = Utf16FromUtf8(RequireString(entry["user"], accountWhere + ".user"));
            }
            if (entry.contains("password")) {
                account.password =
                    Utf16FromUtf8(RequireString(entry["password"], accountWhere + ".password"));
            }
            computer.accounts->push_back(std::move(account));
        }
    }
    if (value.contains("failures")) {
        const json& failures = value["failures"];
        RequireArray(failures, where + ".failures");
        for (size_t i = 0; i < failures.size(); ++i) {
            computer.failures.push_back(
                ParseCallFailure(failures[i], where + ".failures[" + std::to_string(i) + "]"));
        }
    }
    if (value.contains("enumFailAfter")) {
        computer.enumFailAfter = RequireCount(value["enumFailAfter"], where + ".enumFailAfter");
    }
    if (value.contains("holdConnectUntil")) {
        computer.holdConnectUntil =
            Utf16FromUtf8(RequireString(value["holdConnectUntil"], where + ".holdConnectUntil"));
    }
    if (value.contains("generate")) {
        computer.generate = RequireCount(value["generate"], where + ".generate");
    }
    if (value.contains("processes")) {
        const json& processes = value["processes"];
        RequireArray(processes, where + ".processes");
        for (size_t i = 0; i < processes.size(); ++i) {
            computer.processes.push_back(
                ParseProcess(processes[i], where + ".processes[" + std::to_string(i) + "]"));
        }
    }
    return computer;
}

char16_t FoldCase(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    // Latin-1 small letters a-grave to thorn, except the division sign.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    return c;
}

std::string DecimalText(uint64_t value) { return std::to_string(value); }

}  // namespace

Network ParseNetwork(std::string_view text) {
    json document;
    try {
        document = json::parse(text.begin(), text.end());
    } catch (const json::exception& error) {
        // The library's own prefix ("[json.exception.parse_error.101] ") says nothing to a reader.
        std::string message = error.what();
        if (const size_t end = message.find("] ");
            !message.empty() && message[0] == '[' && end != std::string::npos) {
            message = message.substr(end + 2);
        }
        throw NetworkFileError(message);
    }
    const std::string where = "the network";
    RequireObject(document, where);
    RequireKnownKeys(document, where, {"computers"});
    Network network;
    if (!document.contains("computers")) Fail(where, "\"computers\" is missing");
    const json& computers = document["computers"];
    RequireArray(computers, "computers");
    for (size_t i = 0; i < computers.size(); ++i) {
        network.computers.push_back(
            ParseComputer(computers[i], "computers[" + std::to_string(i) + "]"));
    }
    return network;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

const Computer* FindComputer(const Network& network, std::u16string_view name) {
    for (const Computer& computer : network.computers) {
        if (SameName(computer.name, name)) return &computer;
    }
    return nullptr;
}

bool IsLocalName(std::u16string_view name, std::u16string_view localComputerName) {
    return name.empty() || name == u"." || SameName(name, u"localhost") ||
           (!localComputerName.empty() && SameName(name, localComputerName));
}

bool AccountAccepted(const Computer& computer, std::u16string_view user,
                     std::u16string_view password) {
    if (!computer.accounts) return true;
    if (user.empty() && password.empty()) return true;
    return std::any_of(computer.accounts->begin(), computer.accounts->end(),
                       [&](const Account& account) {
                           return SameName(account.user, user) && account.password == password;
                       });
}

Process GeneratedProcess(size_t index) {
    static constexpr int32_t kPriorities[] = {4, 6, 8, 8, 8, 10, 13};
    const uint64_t n = index;
    char name[32];
    std::snprintf(name, sizeof name, "proc%05llu.exe", static_cast<unsigned long long>(n + 1));
    const std::u16string wideName = Utf16FromUtf8(name);
    // A tree: each process is the child of one made a few before it; the first hangs off System.
    const uint64_t processId = 1000 + 4 * n;
    const uint64_t parentId = n == 0 ? 4 : 1000 + 4 * ((n - 1) / 4);
    Process process;
    auto& p = process.properties;
    p["Name"] = Value::Text(wideName);
    p["ExecutablePath"] = Value::Text(u"C:\\Program Files\\Generated\\" + wideName);
    p["ProcessID"] = Value::Int32(static_cast<int32_t>(processId));
    p["ParentProcessId"] = Value::Int32(static_cast<int32_t>(parentId));
    p["SessionID"] = Value::Int32(n % 5 == 0 ? 0 : 1);
    p["ThreadCount"] = Value::Int32(static_cast<int32_t>(1 + n % 40));
    p["Priority"] = Value::Int32(kPriorities[n % std::size(kPriorities)]);
    p["WorkingSetSize"] = Value::Text(Utf16FromUtf8(DecimalText((1 + n % 2000) * 65536)));
    p["HandleCount"] = Value::Int32(static_cast<int32_t>(10 + (n * 7) % 990));
    p["UserModeTime"] = Value::Text(Utf16FromUtf8(DecimalText((n % 3600) * 10000000 + 1234567)));
    p["KernelModeTime"] = Value::Text(Utf16FromUtf8(DecimalText((n % 600) * 10000000)));
    return process;
}

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0u) == 0x80u;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are no valid sequences.
        const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= minimum[length] && code <= 0x10FFFF &&
                (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            result.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FFu)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return result;
}

}  // namespace brisklow::wmi_standin
