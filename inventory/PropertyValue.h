#pragma once
#include <cstdint>
#include <string>

namespace brisklow {

// One WMI property value as the scripting interface hands it over: null, a 32-bit integer, a text
// (64-bit numbers arrive as decimal text), a real, a boolean, or some other type the scan cannot
// use, known only by its type name.
struct PropertyValue {
    enum class Kind { Null, Int32, Text, Real, Boolean, Other };

    Kind kind = Kind::Null;
    int32_t int32 = 0;
    double real = 0.0;
    bool boolean = false;
    std::string text;  // the text, or the type name of an Other value

    static PropertyValue Null() { return {}; }
    static PropertyValue FromInt32(int32_t v) { return {Kind::Int32, v, 0.0, false, {}}; }
    static PropertyValue FromText(std::string v) {
        return {Kind::Text, 0, 0.0, false, std::move(v)};
    }
    static PropertyValue FromReal(double v) { return {Kind::Real, 0, v, false, {}}; }
    static PropertyValue FromBoolean(bool v) { return {Kind::Boolean, 0, 0.0, v, {}}; }
    static PropertyValue OfOtherType(std::string typeName) {
        return {Kind::Other, 0, 0.0, false, std::move(typeName)};
    }

    bool IsNull() const { return kind == Kind::Null; }
};

inline constexpr const char* kTypeNameInt64 = "Int64";
inline constexpr const char* kTypeNameReal = "Double";
inline constexpr const char* kTypeNameText = "String";

// The type name shown in conversion errors.
std::string TypeName(const PropertyValue& value);

std::string ConvertErrorMessage(const std::string& from, const std::string& to);
std::string OverflowMessage(const std::string& from, const std::string& to);

// Conversions as the scan needs them; each raises WmiError with the conversion or overflow
// message when the value does not fit. Decimal text may carry blanks around it and a sign; it is
// accepted from -2^63 up to 2^64-1, the values above 2^63-1 kept as their 64-bit pattern, so that
// unsigned 64-bit counts pass whole.
int64_t ToInt64(const PropertyValue& value);
double ToReal(const PropertyValue& value);
std::string ToText(const PropertyValue& value);

}  // namespace brisklow
