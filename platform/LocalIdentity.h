#pragma once
#include <string>

namespace brisklow {

// The NetBIOS name of this computer, or an empty text when it cannot be had.
std::string GetLocalComputerName();

// The name of the calling thread's account, or an empty text when it cannot be had.
std::string GetLocalUserName();

// Hands `text` unchanged, with no line end added, to the debugger output.
void DebugTrace(const std::string& text);

}  // namespace brisklow
