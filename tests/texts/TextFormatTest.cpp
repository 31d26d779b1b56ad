#include <gtest/gtest.h>

#include "texts/TextFormat.h"
#include "texts/UiTexts.h"

namespace brisklow {
namespace {

TEST(TextFormatTest, ProcessCountFillsSlotTwenty) {
    EXPECT_EQ(FormatNumber(UiText(20), 0), "0 processos");
    EXPECT_EQ(FormatNumber(UiText(20), 123), "123 processos");
}

TEST(TextFormatTest, ConnectingTextKeepsItsTrailingBlank) {
    EXPECT_EQ(UiText(25) + "pc1", "Conectando em pc1");
}

TEST(TextFormatTest, ValuesAreInsertedLiterally) {
    EXPECT_EQ(FormatText("WMI %s!", "%s %d %n"), "WMI %s %d %n!");
    EXPECT_EQ(FormatText("no directive", "x"), "no directive");
    EXPECT_EQ(FormatText("%s", ""), "");
}

}  // namespace
}  // namespace brisklow
