#pragma once
#include <string>

namespace brisklow {

// The text after the last "\" or ":", or all of it when there is neither.
std::string FileNamePart(const std::string& path);

// Percent-encodes Windows-1252 text as UTF-8: every byte outside A-Z a-z 0-9 - . _ ~ as %XX.
std::string PercentEncodeQueryValue(const std::string& windows1252);

// The web search for a process: its file-name part, restricted to the information page's site.
std::string SearchAddressFor(const std::string& processName);

}  // namespace brisklow
