// The native build's stand-ins: the host name, the login name and standard error.
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/LocalIdentity.h"
#include "platform/Windows1252.h"

namespace brisklow {

std::string GetLocalComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return std::string(name, strnlen(name, 15));  // NetBIOS names stop at 15 characters
}

std::string GetLocalUserName() {
    if (const passwd* entry = getpwuid(geteuid())) return entry->pw_name;
    return {};
}

std::u16string AnsiToUtf16(const std::string& text) { return Windows1252ToUtf16(text); }

void DebugTrace(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

}  // namespace brisklow
