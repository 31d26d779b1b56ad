#include <windows.h>

#include "texts/SystemCodePage.h"

namespace brisklow {
namespace {

constexpr UINT kWindows1252 = 1252;

}  // namespace

std::string Windows1252ToSystemCodePage(std::string_view text) {
    if (text.empty()) return {};
    // Through UTF-16, the form both code pages are defined against. No flags: the system's own
    // best fit for what the code page lacks, as every other 8-bit call of the program gets.
    const int narrowLength = static_cast<int>(text.size());
    const int wideLength =
        MultiByteToWideChar(kWindows1252, 0, text.data(), narrowLength, nullptr, 0);
    if (wideLength <= 0) return std::string(text);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(kWindows1252, 0, text.data(), narrowLength, wide.data(), wideLength);
    const int shownLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (shownLength <= 0) return std::string(text);
    std::string shown(static_cast<size_t>(shownLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, shown.data(), shownLength, nullptr,
                        nullptr);
    return shown;
}

}  // namespace brisklow
