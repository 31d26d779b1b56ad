#pragma once
#include <string>

namespace brisklow {

inline constexpr int kUiTextCount = 28;

// The program's display texts, Brazilian Portuguese, as the Windows-1252 bytes the program carries,
// indexed by slot.
extern const char* const UiTexts[kUiTextCount];

// The text of one slot (0 to 27) as it reaches the screen: in the system's ANSI code page, the one
// the names and messages it is joined with are in (texts/SystemCodePage.h).
std::string UiText(int slot);

}  // namespace brisklow
