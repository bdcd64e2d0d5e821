// A flame graph as one standalone SVG picture: a box per call path with its
// name, the procedure's colour of the window, and a tooltip with its times.
// A small script inside the file zooms to a clicked box and highlights the
// boxes whose names match a search; without the script (an image viewer)
// the picture still shows every box and label.
#pragma once

#include <string>
#include <vector>

#include "FlameLayout.h"
#include "NumberFormat.h"

namespace kivra {

struct FlameSvgOptions {
    int Width = 1200;   // pixels: the whole picture; the boxes fill it less a margin at each side
    std::string Title;  // the heading, e.g. the trace's file name; the mode is said below it
    NumberFormat TimeFormat = NumberFormat("0.000");  // the tooltips' times, in milliseconds
};

// The picture's geometry, for the script and for readers of the file.
struct FlameSvgGeometry {
    static constexpr int kMargin = 10;          // pixels left and right of the boxes
    static constexpr int kGraphTop = 72;        // the top of the depth-0 row
    static constexpr int kRowHeight = 18;       // a box is one pixel less, as in the window
    static constexpr int kBottom = 30;          // below the last row: the line that describes a box
    static constexpr int kSmallestWidth = 600;  // pixels: narrower widths are taken as this
    static constexpr int kLargestWidth = 100000;
};

// The layout drawn with depth 0 on top. Boxes narrower than a pixel at the
// picture's width are drawn together, as the window paints them: one grey
// box, at least a pixel wide, per run of neighbours in a row that lie under
// the same box drawn on its own, its tooltip giving their number and time;
// a zoom to a box thus shows each run under it whole. A box's "Share of the
// run" is of the sum of the top-level widths. Names are written as valid
// XML text: markup characters escaped, bytes that are not UTF-8 and control
// characters as U+FFFD; a box's colour is worked out from the name's bytes.
std::string FlameGraphSvg(const FlameLayout& layout, const std::vector<std::string>& names,
                          const FlameSvgOptions& options);

}  // namespace kivra
