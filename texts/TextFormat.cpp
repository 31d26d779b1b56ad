#include "texts/TextFormat.h"

namespace brisklow {
namespace {

std::string ReplaceFirst(const std::string& pattern, const char* directive,
                         const std::string& value) {
    const auto at = pattern.find(directive);
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + value + pattern.substr(at + 2);
}

}  // namespace

std::string FormatText(const std::string& pattern, const std::string& value) {
    return ReplaceFirst(pattern, "%s", value);
}

std::string FormatNumber(const std::string& pattern, long long number) {
    return ReplaceFirst(pattern, "%d", std::to_string(number));
}

}  // namespace brisklow
