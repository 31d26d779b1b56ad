#include <windows.h>

#include "platform/LocalIdentity.h"

namespace brisklow {

std::string GetLocalComputerName() {
    char name[16] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return {};
    return std::string(name, strnlen(name, sizeof name));
}

std::string GetLocalUserName() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return {};
    return std::string(name, strnlen(name, sizeof name));
}

std::u16string AnsiToUtf16(const std::string& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    if (text.empty()) return {};
    const int narrowLength = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength, nullptr, 0);
    if (wideLength <= 0) return {};
    std::u16string wide(static_cast<size_t>(wideLength), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), narrowLength,
                        reinterpret_cast<wchar_t*>(wide.data()), wideLength);
    return wide;
}

void DebugTrace(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace brisklow
