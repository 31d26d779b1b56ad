#pragma once
// Where the main window opens on the screen.

namespace brisklow {

// A rectangle in screen pixels, right and bottom exclusive, as the system gives a work area.
struct ScreenRect {
    int left, top, right, bottom;
};

struct ScreenPoint {
    int x, y;
};

// The outer top-left corner of a window of the given outer size: centred on the work area (the
// desktop less the task bar). Where the window is wider or higher than the work area, its left or
// top edge is the work area's, so that its caption and system menu stay on the screen.
ScreenPoint PlaceWindow(const ScreenRect& workArea, int outerWidth, int outerHeight);

}  // namespace brisklow
