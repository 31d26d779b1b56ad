#pragma once
#include <cstdint>
#include <string>

#include "platform/UiServices.h"

namespace brisklow {

// The CPU-time cell: empty for 0, "N s" below a minute, else the locale's long time. From an hour
// on, the hours count on past 23 without a marker, so every row shows its own time.
std::string FormatCpuTime(uint32_t seconds, const LongTimeFormat& format);

}  // namespace brisklow
