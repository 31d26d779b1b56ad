#include "ui/WebLookup.h"

#include <cstdint>

#include "texts/WebAddresses.h"

namespace brisklow {
namespace {

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::u16string FileNamePart(const std::u16string& path) {
    const auto last = path.find_last_of(u"\\:");
    return last == std::u16string::npos ? path : path.substr(last + 1);
}

std::string PercentEncodeQueryValue(const std::u16string& text) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t codePoint = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            codePoint = 0xFFFD;
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

std::string SearchAddressFor(const std::u16string& processName) {
    // The name comes from the scanned computer: encoded, it cannot change or break the query.
    return std::string(web::kSearchPage) + PercentEncodeQueryValue(FileNamePart(processName)) +
           "+site%3A" + web::kInfoPageDomain;
}

}  // namespace brisklow
