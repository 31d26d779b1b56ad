#pragma once
#include <string>

namespace brisklow {

// The text after the last "\" or ":", or all of it when there is neither.
std::u16string FileNamePart(const std::u16string& path);

// Percent-encodes text as UTF-8: every byte outside A-Z a-z 0-9 - . _ ~ as %XX. A surrogate
// without its partner stands as U+FFFD.
std::string PercentEncodeQueryValue(const std::u16string& text);

// The web search for a process, its name already decoded from the code page it came in: the
// file-name part, restricted to the information page's site.
std::string SearchAddressFor(const std::u16string& processName);

}  // namespace brisklow
