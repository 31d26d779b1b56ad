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

void DebugTrace(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace brisklow
