// The value conversions on values built from the fuzz bytes, against properties that follow from
// their contracts rather than from their code.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "inventory/ProcessRecord.h"
#include "inventory/PropertyValue.h"
#include "inventory/WmiError.h"

namespace brisklow {
namespace {

// The outcome of one conversion: the value, or the message of the WmiError it raised. Any other
// exception is a fault.
template <typename Result, typename Conversion>
std::pair<std::optional<Result>, std::string> Attempt(Conversion conversion) {
    try {
        return {conversion(), {}};
    } catch (const WmiError& error) {
        return {std::nullopt, error.what()};
    } catch (...) {
        FUZZ_FAIL("a conversion raised something other than WmiError");
    }
    return {};
}

// Decimal text as the contract states it: blanks (space, tab) around, an optional sign, digits;
// from -2^63 to 2^64-1, the upper half kept as its bit pattern. Empty when out of range, the
// message telling which.
struct Expected {
    bool valid = false;
    bool overflow = false;
    int64_t value = 0;
};

Expected ReferenceDecimal(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t") + 1;
    bool negative = false;
    if (text[begin] == '-' || text[begin] == '+') negative = text[begin++] == '-';
    if (begin == end) return {};
    unsigned __int128 magnitude = 0;
    bool tooLarge = false;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return {};
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        if (magnitude > UINT64_MAX) tooLarge = true, magnitude = UINT64_MAX;
    }
    if (tooLarge) return {false, true, 0};
    if (negative) {
        if (magnitude > (unsigned __int128)1 << 63) return {false, true, 0};
        return {true, false, static_cast<int64_t>(0 - static_cast<uint64_t>(magnitude))};
    }
    return {true, false, static_cast<int64_t>(static_cast<uint64_t>(magnitude))};
}

void CheckText(const std::string& text) {
    const PropertyValue value = PropertyValue::FromText(text);
    const auto [integer, intMessage] = Attempt<int64_t>([&] { return ToInt64(value); });
    const Expected expected = ReferenceDecimal(text);
    if (expected.valid) {
        FUZZ_CHECK(integer && *integer == expected.value);
    } else {
        FUZZ_CHECK(!integer);
        FUZZ_CHECK(intMessage == (expected.overflow ? OverflowMessage("String", "Int64")
                                                    : ConvertErrorMessage("String", "Int64")));
    }
    const auto [real, realMessage] = Attempt<double>([&] { return ToReal(value); });
    if (real) {
        // Whatever reads as a real reads so from the C library too.
        const std::string trimmed = text.substr(0, text.find_last_not_of(" \t") + 1);
        char* end = nullptr;
        const double reference = std::strtod(trimmed.c_str(), &end);
        FUZZ_CHECK(std::isnan(*real) ? std::isnan(reference) : *real == reference);
        // A decimal integer small enough to be exact is the same number either way.
        if (expected.valid && std::fabs(*real) < 9007199254740992.0) {
            FUZZ_CHECK(*real == static_cast<double>(expected.value));
        }
    } else {
        FUZZ_CHECK(realMessage == OverflowMessage("String", "Double") ||
                   realMessage == ConvertErrorMessage("String", "Double"));
        FUZZ_CHECK(!expected.valid);  // every integer text reads as a real too
    }
    FUZZ_CHECK(ToText(value) == text);
}

void CheckUnsignedRoundTrip(uint64_t u, const std::string& blanks) {
    const std::string digits = std::to_string(u);
    FUZZ_CHECK(ToInt64(PropertyValue::FromText(digits)) == static_cast<int64_t>(u));
    FUZZ_CHECK(ToInt64(PropertyValue::FromText(blanks + "+" + digits + blanks)) ==
               static_cast<int64_t>(u));
    if (u <= uint64_t{1} << 63) {
        FUZZ_CHECK(ToInt64(PropertyValue::FromText("-" + digits)) ==
                   static_cast<int64_t>(uint64_t{0} - u));
    } else {
        const auto [integer, message] =
            Attempt<int64_t>([&] { return ToInt64(PropertyValue::FromText("-" + digits)); });
        FUZZ_CHECK(!integer && message == OverflowMessage("String", "Int64"));
    }
}

void CheckReal(double real) {
    const PropertyValue value = PropertyValue::FromReal(real);
    const auto [integer, message] = Attempt<int64_t>([&] { return ToInt64(value); });
    if (std::isfinite(real) && std::fabs(real) < 9.2e18) {
        // Rounded to the nearest: never more than half away.
        FUZZ_CHECK(integer && std::fabs(static_cast<double>(*integer) - real) <= 0.5);
    } else if (!std::isfinite(real) || std::fabs(real) >= 9.3e18) {
        FUZZ_CHECK(!integer && message == OverflowMessage("Double", "Int64"));
    }
    const double same = ToReal(value);
    FUZZ_CHECK(std::isnan(real) ? std::isnan(same) : same == real);
    // Fifteen significant digits read back within their precision (the largest reals round up
    // past the range, the smallest to a neighbouring subnormal).
    if (std::isfinite(real)) {
        const double back = std::strtod(ToText(value).c_str(), nullptr);
        if (std::isinf(back)) {
            FUZZ_CHECK(std::fabs(real) > 1.797693134862315e308 && (back > 0) == (real > 0));
        } else {
            FUZZ_CHECK(std::fabs(back - real) <= std::fabs(real) * 1e-14 + 5e-324);
        }
    }
}

void CheckSeconds(double hundredNanoseconds) {
    const auto [seconds, message] =
        Attempt<uint32_t>([&] { return SecondsFromHundredNanoseconds(hundredNanoseconds); });
    // Beyond 2^63 seconds (about 9.22e25 units) the count has no 64-bit value.
    if (!std::isfinite(hundredNanoseconds) || std::fabs(hundredNanoseconds) > 9.3e25) {
        FUZZ_CHECK(!seconds && message == OverflowMessage("Double", "Int64"));
        return;
    }
    if (std::fabs(hundredNanoseconds) < 9.2e25) FUZZ_CHECK(seconds);
    if (std::fabs(hundredNanoseconds) < 4e16) {
        // Within half a second of the exact time, and the same count for the negated time.
        const double exact = std::fabs(hundredNanoseconds) / 1e7;
        const uint32_t positive = SecondsFromHundredNanoseconds(std::fabs(hundredNanoseconds));
        FUZZ_CHECK(std::fabs(static_cast<double>(positive) - exact) <= 0.5);
        const uint32_t negative = SecondsFromHundredNanoseconds(-std::fabs(hundredNanoseconds));
        FUZZ_CHECK(negative == 0u - positive);
    }
}

void CheckWorkingSet(uint64_t bytes) {
    const uint32_t kb = WorkingSetKBFromBytes(bytes);
    // Whole KiB below the byte count, as the low 32 bits of the full quotient.
    FUZZ_CHECK(((uint64_t{kb} << 10) | (bytes & 1023)) == (bytes & ((uint64_t{1} << 42) - 1)));
}

}  // namespace
}  // namespace brisklow

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace brisklow;
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
        case 0:
            CheckText(input.ConsumeRemainingBytesAsString());
            break;
        case 1: {
            const int32_t v = input.ConsumeIntegral<int32_t>();
            const PropertyValue value = PropertyValue::FromInt32(v);
            FUZZ_CHECK(ToInt64(value) == v && ToReal(value) == v);
            FUZZ_CHECK(ToText(value) == std::to_string(v));
            FUZZ_CHECK(ToInt64(PropertyValue::FromText(ToText(value))) == v);
            break;
        }
        case 2: {
            const double real = input.ConsumeFloatingPoint<double>();
            CheckReal(real);
            CheckSeconds(real);
            break;
        }
        case 3: {
            const bool b = input.ConsumeBool();
            const PropertyValue value = PropertyValue::FromBoolean(b);
            FUZZ_CHECK(ToInt64(value) == (b ? -1 : 0) && ToReal(value) == (b ? -1.0 : 0.0));
            FUZZ_CHECK(ToText(value) == (b ? "True" : "False"));
            break;
        }
        default: {
            const uint64_t u = input.ConsumeIntegral<uint64_t>();
            CheckUnsignedRoundTrip(u, std::string(input.ConsumeIntegralInRange<size_t>(0, 3),
                                                  input.ConsumeBool() ? ' ' : '\t'));
            CheckWorkingSet(u);
            double raw;
            static_assert(sizeof raw == sizeof u);
            __builtin_memcpy(&raw, &u, sizeof raw);  // every bit pattern, NaNs included
            CheckSeconds(raw);
            CheckReal(raw);
            break;
        }
    }
    return 0;
}
