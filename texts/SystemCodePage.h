#pragma once
#include <string>
#include <string_view>

namespace brisklow {

// A text of the program's own, written in Windows-1252, as this system's ANSI code page writes it:
// the code page of every 8-bit call the window makes and of the names and messages it shows
// beside the program's texts. A character that the code page lacks becomes the system's nearest
// one (a for a-acute), else '?'. The native build has no such code page and keeps the bytes.
std::string Windows1252ToSystemCodePage(std::string_view text);

}  // namespace brisklow
