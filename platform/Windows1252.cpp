#include "platform/Windows1252.h"

#include <cstdint>

namespace brisklow {
namespace {

// Windows-1252's characters at 0x80 to 0x9F; 0 where the code page leaves a byte undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::u16string Windows1252ToUtf16(const std::string& text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (unsigned char byte : text) {
        char16_t unit = byte;
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0) {
            unit = kHighControls[byte - 0x80];
        }
        wide += unit;
    }
    return wide;
}

}  // namespace brisklow
