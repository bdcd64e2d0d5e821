// The boxes of a flame graph: one per call at its fitted start and stop
// times ("Time order"), or one per call path with the calls on it added up
// and the largest first ("Merged"). Positions and widths are nanoseconds
// from the graph's left edge; depth 0 is the top level.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "CallProfile.h"
#include "PadRecord.h"
#include "TraceExport.h"

namespace kivra {

enum class FlameMode { TimeOrder, Merged };

struct FlameBox {
    std::int64_t Begin = 0;  // nanoseconds from the left edge
    std::int64_t Width = 0;  // nanoseconds: the total time
    std::int64_t Own = 0;    // nanoseconds: the width less the callees' widths
    int Depth = 0;
    int Name = 0;       // index into CallProfile::Names
    int Parent = -1;    // the caller's box, -1 at the top level
    int Calls = 1;      // the calls the box stands for
    int FirstCall = 0;  // the (first) call the box stands for, in display order
};

struct FlameLayout {
    FlameMode Mode = FlameMode::TimeOrder;
    std::vector<FlameBox> Boxes;         // every caller's box before its callees'
    std::vector<std::vector<int>> Rows;  // per depth: its boxes from left to right
    std::vector<int> BoxOfCall;          // per call of the profile: the box it is in
    std::int64_t Extent = 0;             // nanoseconds: the width of the whole run
    int Clipped = 0;                     // calls fitted to nest, as the exports count them
};

// Time order: box i is call i, at its times on the fitted timeline that the
// exports write, less the first call's start.
FlameLayout LayoutTimeOrder(const PadTrace& trace, const CallProfile& profile);
FlameLayout LayoutTimeOrder(const CallProfile& profile, const Timeline& timeline);

// Merged: one box per call path; callees of a path side by side inside it,
// the largest total first (equal ones in the order of their first call),
// the top-level paths likewise from 0.
FlameLayout LayoutMerged(const PadTrace& trace, const CallProfile& profile);
FlameLayout LayoutMerged(const CallProfile& profile, const Timeline& timeline);

// The box at a depth covering the time `at` (nanoseconds from the left edge).
std::optional<int> BoxAt(const FlameLayout& layout, int depth, std::int64_t at);

// The box's neighbour within the same caller, to the left or the right.
std::optional<int> SiblingOf(const FlameLayout& layout, int box, bool right);
// The box's first callee from the left.
std::optional<int> FirstCalleeOf(const FlameLayout& layout, int box);

}  // namespace kivra
