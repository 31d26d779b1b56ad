#include "ui/CpuTimeFormat.h"

namespace brisklow {
namespace {

std::string TwoDigits(uint32_t value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

std::string FormatCpuTime(uint32_t seconds, const LongTimeFormat& format) {
    if (seconds == 0) return {};
    if (seconds < 60) return std::to_string(seconds) + " s";

    const uint32_t hours = seconds / 3600;
    const std::string minutesAndSeconds = format.separator + TwoDigits(seconds / 60 % 60) +
                                          format.separator + TwoDigits(seconds % 60);
    if (hours > 0) {
        const std::string hourText =
            format.leadingZero && hours < 10 ? TwoDigits(hours) : std::to_string(hours);
        return hourText + minutesAndSeconds;
    }
    // Under an hour the duration reads as a time of day just after midnight.
    if (!format.twelveHour) return (format.leadingZero ? "00" : "0") + minutesAndSeconds;
    const std::string time = "12" + minutesAndSeconds;
    if (format.morningMarker.empty()) return time;
    return format.markerFirst ? format.morningMarker + " " + time
                              : time + " " + format.morningMarker;
}

}  // namespace brisklow
