#include "inventory/ProcessRecord.h"

#include <cmath>

#include "inventory/WmiError.h"

namespace brisklow {

uint32_t WorkingSetKBFromBytes(uint64_t bytes) { return static_cast<uint32_t>(bytes / 1024); }

uint32_t SecondsFromHundredNanoseconds(double hundredNanoseconds) {
    // nearbyint rounds ties to even in the default rounding mode.
    const double seconds = std::nearbyint(hundredNanoseconds / 10'000'000.0);
    return static_cast<uint32_t>(static_cast<uint64_t>(RealToInt64(seconds)));
}

}  // namespace brisklow
