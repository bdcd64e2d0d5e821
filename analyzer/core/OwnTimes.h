// Own times: each call's total less the totals of the calls it made.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CallTree.h"
#include "NumberFormat.h"

namespace kivra {

// Fills every row's Time from the rows' Level and TotalText, in display
// order. A row with child rows gets its total less its children's totals,
// subtracted one child at a time in display order, each on the current texts
// read back as numbers and formatted again. A row without children keeps its
// TotalText, except a row whose next row is exactly one level shallower: it
// holds its total read back as a plain number.
//
// Returns false when some text could not be read back as a number (a format
// that prints more than a number); the affected times keep their text.
bool ComputeOwnTimes(std::vector<TraceRow>& rows, const NumberFormat& format);

// The own times as a load computes them: the pass above run on totals
// formatted "0.000…" (as many decimals as the time format's first section
// shows, at least three), each Time then formatted once with the time
// format, except the plain numbers the pass leaves, which stay as they are.
// So a coarse format rounds each own time once instead of adding up the
// roundings of its callees' totals. The rows' TotalText stays in the time
// format. With the empty pattern, or one that is its own work format, this
// is the pass above. Returns what that pass returns.
bool ComputeRoundedOwnTimes(std::vector<TraceRow>& rows, const PadTrace& trace, const NumberFormat& format);

// The pattern the own-time pass works in for a time format.
std::string OwnTimeWorkPattern(const NumberFormat& format);

// The one message of a load whose time format cannot be read back.
std::string UnreadableTimeFormatMessage(std::string_view pattern);

}  // namespace kivra
