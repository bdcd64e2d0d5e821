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
    // The whole sum is rounded, halves to the even pixel: with an odd left
    // edge, an offset of exactly one half rounds differently alone.
    const double span = static_cast<double>((r - 2) - (l + 1));
    const double offset = static_cast<double>(value) * span / barScale;
    const double x = std::isfinite(offset) ? std::clamp(static_cast<double>(l) + offset, l - 1.0e6, l + 1.0e6) : l;
    layout.x = static_cast<int>(std::nearbyint(x));
    layout.bar = {l + 1, t + 2, layout.x, b - 3};
    layout.text = {l + 1, t + 2, r - 2, b - 3};
    layout.textOverBar = layout.bar;
    layout.textBesideBar = {layout.x, t + 2, r - 2, b - 3};
    return layout;
}

}  // namespace kivra
