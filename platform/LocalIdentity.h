#pragma once
#include <string>

namespace brisklow {

// The NetBIOS name of this computer, or an empty text when it cannot be had.
std::string GetLocalComputerName();

// The name of the calling thread's account, or an empty text when it cannot be had.
std::string GetLocalUserName();

// Text in this system's ANSI code page, the one WMI's names are narrowed with, as UTF-16. The
// native build has no such code page and reads Windows-1252.
std::u16string AnsiToUtf16(const std::string& text);

// Hands `text` unchanged, with no line end added, to the debugger output.
void DebugTrace(const std::string& text);

}  // namespace brisklow
