#include "inventory/WmiError.h"

#include <cmath>
#include <cstdio>

#include "inventory/PropertyValue.h"

namespace brisklow {

std::string TrimTrailingNoise(std::string text) {
    while (!text.empty()) {
        const auto last = static_cast<unsigned char>(text.back());
        if (last > 32 && last != '.') break;
        text.pop_back();
    }
    return text;
}

std::string ComposeWmiErrorMessage(const std::string& description, const std::string& systemText,
                                   int32_t hresult) {
    std::string message = TrimTrailingNoise(description);
    if (message.empty()) message = TrimTrailingNoise(systemText);
    if (message.empty()) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "OLE-Fehler %.8x", static_cast<unsigned>(hresult));
        message = buffer;
    }
    return message;
}

int64_t RealToInt64(double value) {
    const double rounded = std::nearbyint(value);
    // 2^63 is exactly representable; every double below it in magnitude converts safely.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
        throw WmiError(OverflowMessage(kTypeNameReal, kTypeNameInt64));
    }
    return static_cast<int64_t>(rounded);
}

}  // namespace brisklow
