#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace brisklow {

// A failure of a WMI call or of a value conversion; what() is the message the user sees.
class WmiError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kInterfaceNotSupported = "Interface not supported";

// The message of a failed call: the object's error description if it left one, else the
// system's text for the result code; trailing control characters, blanks and full stops are cut.
// When both are empty: "OLE-Fehler" and the code in eight hexadecimal digits.
std::string ComposeWmiErrorMessage(const std::string& description, const std::string& systemText,
                                   int32_t hresult);

// Cuts every trailing character of code 0 to 32 and every trailing full stop.
std::string TrimTrailingNoise(std::string text);

// Rounds a real to the nearest 64-bit integer (ties to even); outside the range it raises the
// overflow error.
int64_t RealToInt64(double value);

}  // namespace brisklow
