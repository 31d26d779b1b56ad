#include <cstdio>

#include "platform/HandleOwners.h"
#include "wmi_standin/Standin.h"

namespace brisklow::wmi_standin {

void CallLog::UseFile(const std::wstring& path) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (path == path_) return;
    file_.reset();
    path_ = path;
    if (path.empty()) return;
    // Appending only, shared with readers: a test reads the log while the program still runs.
    file_.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CallLog::CallMade(const std::string& line, HRESULT result) {
    char code[32];
    std::snprintf(code, sizeof code, " result=0x%08lX", static_cast<unsigned long>(result));
    WriteLine(line + code);
}

void CallLog::ObjectCreated() { ++live_; }

void CallLog::ObjectReleased() {
    if (--live_ == 0) WriteLine("live 0");
}

void CallLog::WriteLine(const std::string& line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!file_) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    // Unbuffered: once WriteFile returns, the line is the system's, whatever becomes of us.
    WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

const std::shared_ptr<CallLog>& ModuleCallLog() {
    static const std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    return log;
}

std::wstring PathFromEnvironment(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            break;
        }
        value.resize(length);
    }
    if (value[0] != L'/') return value;
    // Under Wine a variable set on the Unix side may hold a Unix path; Wine turns it into the
    // Windows path of the same file. On Windows the function does not exist and the path stays.
    using ToDosName = WCHAR*(__cdecl*)(const char*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
    if (!found) return value;
    const auto toDosName = reinterpret_cast<ToDosName>(reinterpret_cast<void (*)()>(found));
    const int narrowLength =
        WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return value;
    std::string unixPath(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, unixPath.data(), narrowLength, nullptr,
                        nullptr);
    const UniqueHeapBlock dosName(toDosName(unixPath.c_str()));
    if (!dosName) return value;
    return static_cast<const WCHAR*>(dosName.get());
}

}  // namespace brisklow::wmi_standin
