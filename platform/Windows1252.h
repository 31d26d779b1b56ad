#pragma once
#include <string>

namespace brisklow {

// Windows-1252 text as UTF-16. The bytes the code page leaves undefined stand for the C1 control
// of the same number.
std::u16string Windows1252ToUtf16(const std::string& text);

}  // namespace brisklow
