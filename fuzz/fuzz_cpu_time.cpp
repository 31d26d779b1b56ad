// The CPU-time cell for every seconds value under fuzzed locale formats: empty only for 0, "N s"
// below a minute, and from a minute on a time that reads back to the same seconds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "ui/CpuTimeFormat.h"

namespace {

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool ReadDigits(std::string_view& text, size_t minimum, size_t maximum, uint64_t& value) {
    size_t count = 0;
    value = 0;
    while (count < text.size() && count < maximum && text[count] >= '0' && text[count] <= '9') {
        value = value * 10 + static_cast<uint64_t>(text[count++] - '0');
    }
    if (count < minimum ||
        (count < text.size() && count == maximum && text[count] >= '0' && text[count] <= '9')) {
        return false;
    }
    text.remove_prefix(count);
    return true;
}

bool ReadSeparator(std::string_view& text, std::string_view separator) {
    if (text.substr(0, separator.size()) != separator) return false;
    text.remove_prefix(separator.size());
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    brisklow::LongTimeFormat format;
    format.leadingZero = input.ConsumeBool();
    format.twelveHour = input.ConsumeBool();
    format.markerFirst = input.ConsumeBool();
    format.separator = input.ConsumeRandomLengthString(4);
    format.morningMarker = input.ConsumeRandomLengthString(8);
    format.afternoonMarker = input.ConsumeRandomLengthString(8);
    const uint32_t seconds = input.ConsumeIntegral<uint32_t>();

    const std::string cell = brisklow::FormatCpuTime(seconds, format);
    FUZZ_CHECK(cell.empty() == (seconds == 0));
    if (seconds == 0) return 0;
    if (seconds < 60) {
        FUZZ_CHECK(cell == std::to_string(seconds) + " s");
        return 0;
    }
    // A separator without digits splits the fields unambiguously; others only must not crash.
    if (format.separator.empty() ||
        format.separator.find_first_of("0123456789") != std::string::npos) {
        return 0;
    }

    // Under an hour a twelve-hour locale shows its morning marker beside the time.
    std::string_view time = cell;
    const bool marked = format.twelveHour && seconds < 3600 && !format.morningMarker.empty();
    // From a minute on the cell never reads as a count of seconds, unless a marker says so.
    FUZZ_CHECK(!EndsWith(cell, " s") ||
               (marked && !format.markerFirst && EndsWith(" " + format.morningMarker, " s")));
    if (marked) {
        const std::string prefix = format.morningMarker + " ";
        const std::string suffix = " " + format.morningMarker;
        if (format.markerFirst) {
            FUZZ_CHECK(time.substr(0, prefix.size()) == prefix);
            time.remove_prefix(prefix.size());
        } else {
            FUZZ_CHECK(EndsWith(time, suffix));
            time.remove_suffix(suffix.size());
        }
    }
    uint64_t hours = 0, minutes = 0, secs = 0;
    FUZZ_CHECK(ReadDigits(time, 1, 8, hours));
    FUZZ_CHECK(ReadSeparator(time, format.separator));
    FUZZ_CHECK(ReadDigits(time, 2, 2, minutes) && minutes < 60);
    FUZZ_CHECK(ReadSeparator(time, format.separator));
    FUZZ_CHECK(ReadDigits(time, 2, 2, secs) && secs < 60);
    FUZZ_CHECK(time.empty());
    // The hour of a twelve-hour clock after midnight is 12: zero hours of CPU time.
    if (format.twelveHour && seconds < 3600) {
        FUZZ_CHECK(hours == 12);
        hours = 0;
    }
    FUZZ_CHECK(hours * 3600 + minutes * 60 + secs == seconds);
    // Hours below ten carry a leading zero exactly when the locale asks for one.
    const size_t hourDigits =
        std::string_view(cell).find_first_not_of(
            "0123456789", marked && format.markerFirst ? format.morningMarker.size() + 1 : 0) -
        (marked && format.markerFirst ? format.morningMarker.size() + 1 : 0);
    if (hours < 10 && !(format.twelveHour && seconds < 3600)) {
        FUZZ_CHECK(hourDigits == (format.leadingZero ? 2u : 1u));
    }
    return 0;
}
