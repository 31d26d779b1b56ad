// The native build's stand-in: there is no system code page to convert to, and the tests read the
// program's texts as the Windows-1252 bytes they are written in.
#include "texts/SystemCodePage.h"

namespace brisklow {

std::string Windows1252ToSystemCodePage(std::string_view text) { return std::string(text); }

}  // namespace brisklow
