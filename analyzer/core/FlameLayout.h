// The boxes of a flame graph: one per call at its fitted start and stop
// times ("Time order"), one per call path with the calls on it added up
// and the largest first ("Merged"), or one per call stack read from the
// procedure that spent the time up to the top level ("Inverted").
// Positions and widths are nanoseconds from the graph's left edge; depth 0
// is the top level, inverted the procedures that spent the time.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "CallProfile.h"
#include "PadRecord.h"
#include "TraceExport.h"

namespace kivra {

enum class FlameMode { TimeOrder, Merged, Inverted };

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
// the top-level paths likewise from 0. With `collapseRecursion`, a call
// whose direct caller has the same name is part of its caller's box: its
// own time adds to the box's own time, its callees are the box's callees,
// and it is not counted as a call of its own.
FlameLayout LayoutMerged(const PadTrace& trace, const CallProfile& profile, bool collapseRecursion = false);
FlameLayout LayoutMerged(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion = false);

// Inverted: the merged call paths read from the other end. Depth 0 holds a
// box per procedure, as wide as its calls' own times (the flat profile's own
// times, on the fitted timeline); above a box its callers, above them their
// callers, to the top level: each call's own time is added along its stack
// read upwards. A box's Parent is the box it stands on (its callee); its
// Calls are the calls whose own time it holds, its FirstCall the first of
// them. Own is, as in the other modes, the part of the width spent in the
// box's own procedure's code: the whole width at depth 0, none above (a
// caller's box only holds time its callees spent). Boxes side by side the
// largest first (equal ones by their first call), every box after the one
// it stands on. BoxOfCall gives each call's depth-0 box.
// `collapseRecursion` as for Merged.
FlameLayout LayoutInverted(const PadTrace& trace, const CallProfile& profile, bool collapseRecursion = false);
FlameLayout LayoutInverted(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion = false);

// One procedure's part of the run ("sandwich"), `name` an index into the
// profile's Names; a name out of range or without calls gives no boxes.
// Callees: merged, a single box of the procedure at depth 0 standing for
// its calls not nested in a call of the same name (as wide as the flat
// profile's total), below it what those calls called, merged by path from
// there. BoxOfCall is -1 for the calls outside those calls.
FlameLayout LayoutCalleesOf(const PadTrace& trace, const CallProfile& profile, int name,
                            bool collapseRecursion = false);
FlameLayout LayoutCalleesOf(const CallProfile& profile, const Timeline& timeline, int name,
                            bool collapseRecursion = false);
// Callers: inverted, a single box of the procedure at depth 0 as wide as the
// totals of the same calls, above it the stacks they were made from, each
// call's total added along its stack up to the top level. The depth-0 box's
// Own is the flat profile's own time (its calls' own times, nested calls'
// too), the boxes above have none. BoxOfCall gives those calls the depth-0
// box and the others -1.
FlameLayout LayoutCallersOf(const PadTrace& trace, const CallProfile& profile, int name,
                            bool collapseRecursion = false);
FlameLayout LayoutCallersOf(const CallProfile& profile, const Timeline& timeline, int name,
                            bool collapseRecursion = false);

// The box at a depth covering the time `at` (nanoseconds from the left edge).
std::optional<int> BoxAt(const FlameLayout& layout, int depth, std::int64_t at);

// The box's neighbour within the same caller, to the left or the right.
std::optional<int> SiblingOf(const FlameLayout& layout, int box, bool right);
// The box's first callee from the left.
std::optional<int> FirstCalleeOf(const FlameLayout& layout, int box);

}  // namespace kivra
