// The list's row comparison on fuzzed rows and keys: an order that the sort can rely on, equal to
// the plain reading of its contract.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "ui/ListSorting.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

std::vector<std::string> Row(FuzzedDataProvider& input) {
    std::vector<std::string> cells(input.ConsumeIntegralInRange<size_t>(0, 4));
    for (auto& cell : cells) cell = input.ConsumeRandomLengthString(24);
    return cells;
}

// The contract read literally: both texts padded on the left with byte 1 to the same length,
// a-z taken as A-Z, the first differing unsigned byte decides; a missing cell is empty.
int Reference(const std::vector<std::string>& row1, const std::vector<std::string>& row2, int key) {
    const size_t column = static_cast<size_t>(key > 0 ? key : -key) - 1;
    std::string a = column < row1.size() ? row1[column] : "";
    std::string b = column < row2.size() ? row2[column] : "";
    if (a.size() < b.size()) a.insert(0, b.size() - a.size(), '\x01');
    if (b.size() < a.size()) b.insert(0, a.size() - b.size(), '\x01');
    for (auto* text : {&a, &b}) {
        for (char& c : *text) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return (x < y ? -1 : 1) * (key > 0 ? 1 : -1);
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using brisklow::CompareListItems;
    FuzzedDataProvider input(data, size);
    int key = input.ConsumeIntegralInRange<int>(1, 6);
    if (input.ConsumeBool()) key = -key;
    const auto row1 = Row(input);
    const auto row2 = input.ConsumeBool() ? row1 : Row(input);

    const int forward = CompareListItems(row1, row2, key);
    FUZZ_CHECK(Sign(forward) == Reference(row1, row2, key));
    FUZZ_CHECK(Sign(CompareListItems(row2, row1, key)) == -Sign(forward));
    FUZZ_CHECK(Sign(CompareListItems(row1, row2, -key)) == -Sign(forward));
    FUZZ_CHECK(CompareListItems(row1, row1, key) == 0);
    FUZZ_CHECK(forward >= -255 && forward <= 255);
    return 0;
}
