#pragma once
#include <string>

namespace brisklow {

// Fills the one "%s" of a table text. The value goes in as it is: no other directive of the
// pattern or the value is interpreted, so names and messages from outside cannot act as formats.
std::string FormatText(const std::string& pattern, const std::string& value);

// Fills the one "%d" of a table text with a decimal number.
std::string FormatNumber(const std::string& pattern, long long number);

}  // namespace brisklow
