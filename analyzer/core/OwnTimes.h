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

// The one message of a load whose time format cannot be read back.
std::string UnreadableTimeFormatMessage(std::string_view pattern);

}  // namespace kivra
