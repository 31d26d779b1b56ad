#include "ui/WindowPlacement.h"

#include <algorithm>

namespace brisklow {
namespace {

// Centred in [start, end); at start when the size does not fit.
int CentredStart(int start, int end, int size) {
    return start + std::max(0, (end - start - size) / 2);
}

}  // namespace

ScreenPoint PlaceWindow(const ScreenRect& workArea, int outerWidth, int outerHeight) {
    return {CentredStart(workArea.left, workArea.right, outerWidth),
            CentredStart(workArea.top, workArea.bottom, outerHeight)};
}

}  // namespace brisklow
