#include <gtest/gtest.h>

#include "ui/WindowPlacement.h"

namespace brisklow {
namespace {

void ExpectPlacedAt(const ScreenRect& workArea, int x, int y) {
    const ScreenPoint corner = PlaceWindow(workArea, 930, 697);
    EXPECT_EQ(corner.x, x);
    EXPECT_EQ(corner.y, y);
}

TEST(PlaceWindowTest, CentresTheWindowOnTheWorkArea) { ExpectPlacedAt({0, 0, 1024, 728}, 47, 15); }

TEST(PlaceWindowTest, CentresOnAWorkAreaThatATaskBarOnTheLeftOrAtTheTopMoves) {
    ExpectPlacedAt({60, 40, 1920, 1080}, 525, 211);
}

TEST(PlaceWindowTest, KeepsTheLeftEdgeOnAWorkAreaNarrowerThanTheWindow) {
    ExpectPlacedAt({100, 0, 900, 768}, 100, 35);
}

TEST(PlaceWindowTest, KeepsTheCaptionOnAWorkAreaLowerThanTheWindow) {
    ExpectPlacedAt({0, 40, 1280, 720}, 175, 40);
}

}  // namespace
}  // namespace brisklow
