#pragma once
#include <string>

namespace brisklow {

inline constexpr int kUiTextCount = 28;

// The program's display texts, Brazilian Portuguese in Windows-1252, indexed by slot.
extern const char* const UiTexts[kUiTextCount];

// The text of one slot (0 to 27).
std::string UiText(int slot);

}  // namespace brisklow
