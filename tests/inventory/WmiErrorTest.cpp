#include <gtest/gtest.h>

#include "inventory/WmiError.h"

namespace brisklow {
namespace {

TEST(WmiErrorMessageTest, DescriptionWinsAndLosesTrailingBlanksLineEndsAndFullStops) {
    EXPECT_EQ(ComposeWmiErrorMessage("Access denied ", "ignored", 5), "Access denied");
    EXPECT_EQ(ComposeWmiErrorMessage("Invalid class. \r\n.", "", 5), "Invalid class");
    EXPECT_EQ(ComposeWmiErrorMessage(std::string("x\0\t", 3), "", 5), "x");
}

TEST(WmiErrorMessageTest, SystemTextStandsInForAMissingDescription) {
    EXPECT_EQ(ComposeWmiErrorMessage("", "The RPC server is unavailable.\r\n", 0),
              "The RPC server is unavailable");
    EXPECT_EQ(ComposeWmiErrorMessage(" . ", "Fallback.", 0), "Fallback");
}

TEST(WmiErrorMessageTest, NoTextAtAllGivesTheCodeInEightHexDigits) {
    EXPECT_EQ(ComposeWmiErrorMessage("", "", static_cast<int32_t>(0x80041234)),
              "OLE-Fehler 80041234");
    EXPECT_EQ(ComposeWmiErrorMessage("", "...", 0x1F), "OLE-Fehler 0000001f");
}

}  // namespace
}  // namespace brisklow
