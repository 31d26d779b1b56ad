#pragma once
#include <string>
#include <vector>

namespace brisklow {

// Compares two list rows (their cell texts, the caption first) by the column and direction in
// `key`: |key| - 1 is the column, the sign the direction. Shorter texts are padded on the left
// with code 1, so decimal numbers compare by value and shorter texts come first; only a-z are
// folded to A-Z. Returns the difference of the first differing bytes times the direction.
int CompareListItems(const std::vector<std::string>& item1, const std::vector<std::string>& item2,
                     int key);

// The sort key for a header click: column + 1, negated when the column's flag is now 1.
int SortKey(int column, int flag);

}  // namespace brisklow
