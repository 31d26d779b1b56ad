#pragma once
// The main window's controls and list columns as the window declares them, at 96 dpi. Positions
// are client pixels at the design-time client size of 914 x 659.
#include <array>

#include "platform/UiServices.h"

namespace brisklow {

inline constexpr int kDesignClientWidth = 914;
inline constexpr int kDesignClientHeight = 659;
inline constexpr int kStatusBarHeight = 19;

enum Anchor : unsigned { kAnchorLeft = 1, kAnchorTop = 2, kAnchorRight = 4, kAnchorBottom = 8 };

struct ControlLayout {
    Control control;
    int left, top, width, height;
    unsigned anchors;
    int tabOrder;  // -1: takes no focus
};

// In declaration order. The status bar sits along the bottom edge and is laid out by its own rule.
inline constexpr std::array<ControlLayout, 13> kFormControls = {{
    {Control::PcLabel, 16, 16, 45, 13, kAnchorLeft | kAnchorTop, -1},
    {Control::UserLabel, 200, 16, 22, 13, kAnchorLeft | kAnchorTop, -1},
    {Control::PassLabel, 328, 16, 46, 13, kAnchorLeft | kAnchorTop, -1},
    {Control::DirButton, 154, 31, 27, 24, kAnchorLeft | kAnchorTop, -1},
    {Control::InfoButton, 798, 27, 104, 28, kAnchorTop | kAnchorRight, -1},
    {Control::GoogleButton, 596, 27, 104, 28, kAnchorLeft | kAnchorTop, -1},
    {Control::StartButton, 474, 27, 119, 28, kAnchorLeft | kAnchorTop, -1},
    {Control::PasswordEdit, 328, 32, 121, 21, kAnchorLeft | kAnchorTop, 1},
    {Control::StatusBar, 0, kDesignClientHeight - kStatusBarHeight, kDesignClientWidth,
     kStatusBarHeight, kAnchorLeft | kAnchorRight | kAnchorBottom, -1},
    {Control::PcComboBox, 16, 33, 137, 21, kAnchorLeft | kAnchorTop, 0},
    {Control::Animate1, 472, 27, 16, 16, kAnchorLeft | kAnchorTop, -1},
    {Control::UserComboBox, 200, 32, 121, 21, kAnchorLeft | kAnchorTop, 5},
    {Control::ListView1, 16, 72, 889, 561, kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
     2},
}};

// The drop-down of the computer box shows up to this many entries.
inline constexpr int kPcComboBoxDropDownCount = 20;

struct ColumnLayout {
    int width;
    bool rightAligned;
};

inline constexpr std::array<ColumnLayout, 10> kListColumns = {{
    {110, false},
    {250, false},
    {70, true},
    {1, true},
    {80, true},
    {80, true},
    {65, true},
    {65, true},
    {65, true},
    {65, true},
}};

}  // namespace brisklow
