// Where the parts of a time bar go inside an own-time cell. Rectangles hold
// their left and top edges and leave out their right and bottom edges.
#pragma once

namespace kivra {

struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

struct TimeBarLayout {
    CellRect background;     // window colour
    CellRect bar;            // highlight colour
    CellRect text;           // the formatted value, centred on one line
    CellRect textOverBar;    // the text's part drawn in the highlight-text colour
    CellRect textBesideBar;  // the rest, in the window-text colour
    int x = 0;               // the bar's right edge
};

// The own time that a full-width bar stands for, when a trace gives none.
constexpr float kDefaultBarScale = 9999.0f;

// Lays the bar of a cell out for a value. A bar scale of 0 becomes the
// default scale first, which the caller keeps for the cells after.
TimeBarLayout LayoutTimeBar(const CellRect& cell, float value, float& barScale);

}  // namespace kivra
