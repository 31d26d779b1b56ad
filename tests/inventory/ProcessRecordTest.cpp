#include <gtest/gtest.h>

#include "inventory/ProcessRecord.h"
#include "inventory/WmiError.h"

namespace brisklow {
namespace {

TEST(TPIArrayTest, AppendsAllDefaultRecordsInOrderAndClears) {
    TPIArray table;
    EXPECT_EQ(table.Length(), 0u);
    table.Append().ProcessName = "first";
    TProcesInformation& second = table.Append();
    EXPECT_EQ(second, TProcesInformation{});
    EXPECT_EQ(table.Length(), 2u);
    EXPECT_EQ(table[0].ProcessName, "first");
    table.Clear();
    EXPECT_EQ(table.Length(), 0u);
    EXPECT_THROW(table[0], std::out_of_range);
}

TEST(ProcessRecordConversionTest, WorkingSetKeepsLow32BitsOfTheQuotient) {
    EXPECT_EQ(WorkingSetKBFromBytes(1023), 0u);
    EXPECT_EQ(WorkingSetKBFromBytes(1024), 1u);
    EXPECT_EQ(WorkingSetKBFromBytes(3221225472ull), 3145728u);
    EXPECT_EQ(WorkingSetKBFromBytes(uint64_t{1} << 42), 0u);  // 2^32 KiB wraps to 0
}

TEST(ProcessRecordConversionTest, SecondsRoundHalfToEven) {
    EXPECT_EQ(SecondsFromHundredNanoseconds(14999999), 1u);
    EXPECT_EQ(SecondsFromHundredNanoseconds(5000000), 0u);
    EXPECT_EQ(SecondsFromHundredNanoseconds(15000000), 2u);
    EXPECT_EQ(SecondsFromHundredNanoseconds(25000000), 2u);
    EXPECT_EQ(SecondsFromHundredNanoseconds(35000000), 4u);
    // 2^32 + 5 seconds keeps only the low 32 bits.
    EXPECT_EQ(SecondsFromHundredNanoseconds(42949673010000000.0), 5u);
}

TEST(ProcessRecordConversionTest, SecondsOutsideThe64BitRangeOverflow) {
    EXPECT_THROW(SecondsFromHundredNanoseconds(1e300), WmiError);
    EXPECT_THROW(SecondsFromHundredNanoseconds(std::numeric_limits<double>::quiet_NaN()), WmiError);
}

}  // namespace
}  // namespace brisklow
