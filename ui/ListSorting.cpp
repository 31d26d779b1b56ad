#include "ui/ListSorting.h"

#include <algorithm>

namespace brisklow {
namespace {

// The caption for column 0, else the sub-item column - 1 when the row has it.
const std::string& CellOf(const std::vector<std::string>& item, size_t column) {
    static const std::string empty;
    return column < item.size() ? item[column] : empty;
}

int Folded(unsigned char byte) { return byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte; }

}  // namespace

int CompareListItems(const std::vector<std::string>& item1, const std::vector<std::string>& item2,
                     int key) {
    const int direction = key > 0 ? 1 : -1;
    const size_t column = static_cast<size_t>(key > 0 ? key : -static_cast<long long>(key)) - 1;
    const std::string& text1 = CellOf(item1, column);
    const std::string& text2 = CellOf(item2, column);

    // Compare as if the shorter text were prefixed with code-1 bytes up to the longer one's length.
    const size_t length = std::max(text1.size(), text2.size());
    const size_t pad1 = length - text1.size();
    const size_t pad2 = length - text2.size();
    for (size_t i = 0; i < length; ++i) {
        const int byte1 = i < pad1 ? 1 : Folded(static_cast<unsigned char>(text1[i - pad1]));
        const int byte2 = i < pad2 ? 1 : Folded(static_cast<unsigned char>(text2[i - pad2]));
        if (byte1 != byte2) return (byte1 - byte2) * direction;
    }
    return 0;
}

int SortKey(int column, int flag) { return flag == 1 ? -(column + 1) : column + 1; }

}  // namespace brisklow
