#include "inventory/PropertyValue.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "inventory/WmiError.h"

namespace brisklow {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

[[noreturn]] void ThrowConvert(const PropertyValue& value, const char* to) {
    throw WmiError(ConvertErrorMessage(TypeName(value), to));
}

[[noreturn]] void ThrowOverflow(const PropertyValue& value, const char* to) {
    throw WmiError(OverflowMessage(TypeName(value), to));
}

bool IsDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int64_t DecimalTextToInt64(const PropertyValue& value) {
    std::string_view text = TrimBlanks(value.text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!IsDigits(text)) ThrowConvert(value, kTypeNameInt64);
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error == std::errc::result_out_of_range) ThrowOverflow(value, kTypeNameInt64);
    if (error != std::errc() || end != text.data() + text.size())
        ThrowConvert(value, kTypeNameInt64);
    if (negative) {
        if (magnitude > (uint64_t{1} << 63)) ThrowOverflow(value, kTypeNameInt64);
        return static_cast<int64_t>(uint64_t{0} - magnitude);
    }
    return static_cast<int64_t>(magnitude);
}

double DecimalTextToReal(const PropertyValue& value) {
    std::string_view text = TrimBlanks(value.text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        // One sign only: the parser below would take a "-" after the "+" as a second one.
        if (!text.empty() && text.front() == '-') ThrowConvert(value, kTypeNameReal);
    }
    double result = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error == std::errc::result_out_of_range) ThrowOverflow(value, kTypeNameReal);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        ThrowConvert(value, kTypeNameReal);
    }
    return result;
}

}  // namespace

std::string TypeName(const PropertyValue& value) {
    switch (value.kind) {
        case PropertyValue::Kind::Null:
            return "Null";
        case PropertyValue::Kind::Int32:
            return "Integer";
        case PropertyValue::Kind::Text:
            return kTypeNameText;
        case PropertyValue::Kind::Real:
            return kTypeNameReal;
        case PropertyValue::Kind::Boolean:
            return "Boolean";
        case PropertyValue::Kind::Other:
            return value.text;
    }
    return "Unknown";
}

std::string ConvertErrorMessage(const std::string& from, const std::string& to) {
    return "Could not convert variant of type (" + from + ") into type (" + to + ")";
}

std::string OverflowMessage(const std::string& from, const std::string& to) {
    return "Overflow while converting variant of type (" + from + ") into type (" + to + ")";
}

int64_t ToInt64(const PropertyValue& value) {
    switch (value.kind) {
        case PropertyValue::Kind::Int32:
            return value.int32;
        case PropertyValue::Kind::Text:
            return DecimalTextToInt64(value);
        case PropertyValue::Kind::Boolean:
            return value.boolean ? -1 : 0;
        case PropertyValue::Kind::Real: {
            try {
                return RealToInt64(value.real);
            } catch (const WmiError&) {
                ThrowOverflow(value, kTypeNameInt64);
            }
        }
        case PropertyValue::Kind::Null:
        case PropertyValue::Kind::Other:
            break;
    }
    ThrowConvert(value, kTypeNameInt64);
}

double ToReal(const PropertyValue& value) {
    switch (value.kind) {
        case PropertyValue::Kind::Int32:
            return value.int32;
        case PropertyValue::Kind::Text:
            return DecimalTextToReal(value);
        case PropertyValue::Kind::Real:
            return value.real;
        case PropertyValue::Kind::Boolean:
            return value.boolean ? -1.0 : 0.0;
        case PropertyValue::Kind::Null:
        case PropertyValue::Kind::Other:
            break;
    }
    ThrowConvert(value, kTypeNameReal);
}

std::string ToText(const PropertyValue& value) {
    switch (value.kind) {
        case PropertyValue::Kind::Text:
            return value.text;
        case PropertyValue::Kind::Int32:
            return std::to_string(value.int32);
        case PropertyValue::Kind::Boolean:
            return value.boolean ? "True" : "False";
        case PropertyValue::Kind::Real: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", value.real);
            return buffer;
        }
        case PropertyValue::Kind::Null:
        case PropertyValue::Kind::Other:
            break;
    }
    ThrowConvert(value, kTypeNameText);
}

}  // namespace brisklow
