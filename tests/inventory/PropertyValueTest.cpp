#include <gtest/gtest.h>

#include "inventory/PropertyValue.h"
#include "inventory/WmiError.h"

namespace brisklow {
namespace {

std::string ErrorOf(auto&& call) {
    try {
        call();
    } catch (const WmiError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(PropertyValueTest, DecimalTextConvertsOverTheSignedAndUnsigned64BitRange) {
    EXPECT_EQ(ToInt64(PropertyValue::FromText("3221225472")), 3221225472);
    EXPECT_EQ(ToInt64(PropertyValue::FromText(" 42 ")), 42);
    EXPECT_EQ(ToInt64(PropertyValue::FromText("-1")), -1);
    EXPECT_EQ(ToInt64(PropertyValue::FromText("-9223372036854775808")), INT64_MIN);
    EXPECT_EQ(static_cast<uint64_t>(ToInt64(PropertyValue::FromText("18446744073709551615"))),
              UINT64_MAX);
}

TEST(PropertyValueTest, BadTextRaisesTheConversionMessages) {
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromText("abc")); }),
              "Could not convert variant of type (String) into type (Int64)");
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromText("")); }),
              "Could not convert variant of type (String) into type (Int64)");
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromText("1.5")); }),
              "Could not convert variant of type (String) into type (Int64)");
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromText("18446744073709551616")); }),
              "Overflow while converting variant of type (String) into type (Int64)");
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromText("-9223372036854775809")); }),
              "Overflow while converting variant of type (String) into type (Int64)");
    EXPECT_EQ(ErrorOf([] { ToReal(PropertyValue::FromText("12x")); }),
              "Could not convert variant of type (String) into type (Double)");
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::OfOtherType("Dispatch")); }),
              "Could not convert variant of type (Dispatch) into type (Int64)");
}

TEST(PropertyValueTest, NumbersBooleansAndRealsConvert) {
    EXPECT_EQ(ToInt64(PropertyValue::FromInt32(-2)), -2);
    EXPECT_EQ(ToInt64(PropertyValue::FromBoolean(true)), -1);
    EXPECT_EQ(ToInt64(PropertyValue::FromReal(2.5)), 2);
    EXPECT_EQ(ToInt64(PropertyValue::FromReal(3.5)), 4);
    EXPECT_EQ(ErrorOf([] { ToInt64(PropertyValue::FromReal(1e19)); }),
              "Overflow while converting variant of type (Double) into type (Int64)");
    EXPECT_DOUBLE_EQ(ToReal(PropertyValue::FromText("18446744073709551616")),
                     18446744073709551616.0);
    EXPECT_DOUBLE_EQ(ToReal(PropertyValue::FromInt32(7)), 7.0);
}

TEST(PropertyValueTest, TextsComeFromEveryUsableKind) {
    EXPECT_EQ(ToText(PropertyValue::FromText("svchost.exe")), "svchost.exe");
    EXPECT_EQ(ToText(PropertyValue::FromInt32(-5)), "-5");
    EXPECT_EQ(ToText(PropertyValue::FromBoolean(false)), "False");
    EXPECT_EQ(ToText(PropertyValue::FromReal(1.5)), "1.5");
}

}  // namespace
}  // namespace brisklow
