#include <gtest/gtest.h>

#include "ui/CpuTimeFormat.h"

namespace brisklow {
namespace {

TEST(FormatCpuTimeTest, ZeroIsEmptyAndSecondsBelowAMinuteCarryAnS) {
    const LongTimeFormat format;
    EXPECT_EQ(FormatCpuTime(0, format), "");
    EXPECT_EQ(FormatCpuTime(1, format), "1 s");
    EXPECT_EQ(FormatCpuTime(59, format), "59 s");
}

TEST(FormatCpuTimeTest, MinutesReadAsATimeOfDayInTheLocalesLongFormat) {
    LongTimeFormat format;
    EXPECT_EQ(FormatCpuTime(60, format), "0:01:00");
    EXPECT_EQ(FormatCpuTime(65, format), "0:01:05");
    EXPECT_EQ(FormatCpuTime(3599, format), "0:59:59");
    format.leadingZero = true;
    format.separator = ".";
    EXPECT_EQ(FormatCpuTime(65, format), "00.01.05");
}

TEST(FormatCpuTimeTest, TwelveHourClocksShowTheMorningMarkerAfterOrBefore) {
    LongTimeFormat format;
    format.twelveHour = true;
    format.morningMarker = "AM";
    format.afternoonMarker = "PM";
    EXPECT_EQ(FormatCpuTime(65, format), "12:01:05 AM");
    format.markerFirst = true;
    format.morningMarker = "\xE4\xB8\x8A";  // any bytes the locale gives
    EXPECT_EQ(FormatCpuTime(65, format), "\xE4\xB8\x8A 12:01:05");
}

TEST(FormatCpuTimeTest, HoursCountOnPastADayWithoutAMarker) {
    LongTimeFormat format;
    format.twelveHour = true;
    format.morningMarker = "AM";
    EXPECT_EQ(FormatCpuTime(3600, format), "1:00:00");
    EXPECT_EQ(FormatCpuTime(90000, format), "25:00:00");
    EXPECT_EQ(FormatCpuTime(4294967295u, format), "1193046:28:15");
    format.leadingZero = true;
    EXPECT_EQ(FormatCpuTime(3661, format), "01:01:01");
}

}  // namespace
}  // namespace brisklow
