#include "TimeBar.h"

#include <algorithm>
#include <cmath>

namespace kivra {

TimeBarLayout LayoutTimeBar(const CellRect& cell, float value, float& barScale) {
    const int l = cell.left;
    const int t = cell.top;
    const int r = cell.right;
    const int b = cell.bottom;
    if (barScale == 0.0f) barScale = kDefaultBarScale;

    TimeBarLayout layout;
    layout.background = {l, t, r - 1, b - 1};
    // Halves round to the even pixel.
    const double span = static_cast<double>((r - 2) - (l + 1));
    double offset = std::nearbyint(static_cast<double>(value) * span / barScale);
    if (!std::isfinite(offset)) offset = 0.0;
    layout.x = l + static_cast<int>(std::clamp(offset, -1.0e6, 1.0e6));
    layout.bar = {l + 1, t + 2, layout.x, b - 3};
    layout.text = {l + 1, t + 2, r - 2, b - 3};
    layout.textOverBar = layout.bar;
    layout.textBesideBar = {layout.x, t + 2, r - 2, b - 3};
    return layout;
}

}  // namespace kivra
