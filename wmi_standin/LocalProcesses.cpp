#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/HandleOwners.h"
#include "wmi_standin/Standin.h"

namespace brisklow::wmi_standin {
namespace {

using wmi_doubles::FakeProcess;
using wmi_doubles::FakeValue;

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct CountedText {
    USHORT Length;  // in bytes
    USHORT MaximumLength;
    PWSTR Buffer;
};

// One entry of the system's process table, as far as the stand-in reads it.
struct ProcessEntry {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    CountedText ImageName;
    LONG BasePriority;
    HANDLE UniqueProcessId;
    HANDLE InheritedFromUniqueProcessId;
    ULONG HandleCount;
    ULONG SessionId;
    ULONG_PTR UniqueProcessKey;
    SIZE_T PeakVirtualSize;
    SIZE_T VirtualSize;
    ULONG PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
};
static_assert(sizeof(void*) != 8 || offsetof(ProcessEntry, ImageName) == 56);
static_assert(sizeof(void*) != 8 || offsetof(ProcessEntry, UniqueProcessId) == 80);
static_assert(sizeof(void*) != 8 || offsetof(ProcessEntry, WorkingSetSize) == 144);

using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// A 32-bit value as scripts get it: the low 32 bits, signed.
FakeValue Int32Of(uint64_t value) {
    return FakeValue::Int32(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

// 64-bit values reach scripts as decimal text.
FakeValue DecimalOf(uint64_t value) {
    const std::string text = std::to_string(value);
    return FakeValue::Text(std::wstring(text.begin(), text.end()));
}

FakeValue ExecutablePathOf(DWORD processId) {
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return FakeValue::Null();
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    const BOOL found = QueryFullProcessImageNameW(process.get(), 0, path.data(), &length);
    if (!found) return FakeValue::Null();
    path.resize(length);
    return FakeValue::Text(std::move(path));
}

FakeProcess ProcessOf(const ProcessEntry& entry) {
    const auto processId = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry.UniqueProcessId));
    std::wstring name(entry.ImageName.Buffer ? entry.ImageName.Buffer : L"",
                      entry.ImageName.Buffer ? entry.ImageName.Length / sizeof(WCHAR) : 0);
    // The idle process has no image; WMI names it.
    if (processId == 0 && name.empty()) name = L"System Idle Process";
    FakeProcess process;
    auto& p = process.properties;
    p[L"Name"] = FakeValue::Text(std::move(name));
    p[L"ExecutablePath"] = ExecutablePathOf(processId);
    p[L"ProcessID"] = Int32Of(processId);
    p[L"ParentProcessId"] =
        Int32Of(reinterpret_cast<ULONG_PTR>(entry.InheritedFromUniqueProcessId));
    p[L"SessionID"] = Int32Of(entry.SessionId);
    p[L"ThreadCount"] = Int32Of(entry.NumberOfThreads);
    p[L"Priority"] = FakeValue::Int32(entry.BasePriority);
    p[L"WorkingSetSize"] = DecimalOf(entry.WorkingSetSize);
    p[L"HandleCount"] = Int32Of(entry.HandleCount);
    p[L"UserModeTime"] = DecimalOf(static_cast<uint64_t>(entry.UserTime.QuadPart));
    p[L"KernelModeTime"] = DecimalOf(static_cast<uint64_t>(entry.KernelTime.QuadPart));
    return process;
}

}  // namespace

std::vector<FakeProcess> LocalProcesses() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const FARPROC found = ntdll ? GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
    if (!found) throw std::runtime_error("the system's process table cannot be reached");
    const auto query =
        reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(found));

    // 8-byte units keep the entries aligned. The table grows between two calls as processes
    // start, so the buffer is made larger than the size asked for.
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    LONG status = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
        ULONG needed = 0;
        status = query(kSystemProcessInformation, buffer.data(), bytes, &needed);
        if (status != kStatusInfoLengthMismatch) break;
        const size_t wanted = std::max<size_t>(needed, bytes) + bytes / 2;
        buffer.assign((wanted + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG), 0);
    }
    if (status < 0) {
        char text[80];
        std::snprintf(text, sizeof text, "the system's process table cannot be read (0x%08lX)",
                      static_cast<unsigned long>(status));
        throw std::runtime_error(text);
    }

    std::vector<FakeProcess> processes;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    size_t offset = 0;
    for (;;) {
        const auto& entry = *reinterpret_cast<const ProcessEntry*>(bytes + offset);
        processes.push_back(ProcessOf(entry));
        if (entry.NextEntryOffset == 0) break;
        offset += entry.NextEntryOffset;
    }
    return processes;
}

}  // namespace brisklow::wmi_standin
