#include "ui/WebLookup.h"

#include <cstdint>

#include "texts/WebAddresses.h"

namespace brisklow {
namespace {

// Windows-1252's characters at 0x80 to 0x9F; 0 where the code page leaves a byte undefined, which
// is then taken as the C1 control of the same number.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string FileNamePart(const std::string& path) {
    const auto last = path.find_last_of("\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string PercentEncodeQueryValue(const std::string& windows1252) {
    std::string utf8;
    for (unsigned char byte : windows1252) {
        uint32_t codePoint = byte;
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0) {
            codePoint = kHighControls[byte - 0x80];
        }
        AppendUtf8(utf8, codePoint);
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char byte : utf8) {
        if (IsUnreserved(byte)) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string SearchAddressFor(const std::string& processName) {
    // The name comes from the scanned computer: encoded, it cannot change or break the query.
    return std::string(web::kSearchPage) + PercentEncodeQueryValue(FileNamePart(processName)) +
           "+site%3A" + web::kInfoPageDomain;
}

}  // namespace brisklow
