// Rebuilding the tree of who called whom from a trace's records, which carry
// for every call only its start order, its depth and its elapsed time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "NumberFormat.h"
#include "PadRecord.h"
#include "ShortText.h"

namespace kivra {

// One row of the call tree.
struct TraceRow {
    int Number = 0;          // creation number, from 1; row i is the i-th row created
    int Record = 0;          // the record whose data the row shows
    int ParentRow = 0;       // creation number of the row it hangs under, 0 at the top level
    int Level = 0;           // 0 at the top level, else the parent row's level plus 1
    std::string_view Label;  // the record's name when the row was made (with any "*" marks), kept by the trace
    ShortText TotalText;     // Total, formatted
    ShortText Time;          // own time: formatted text, or a plain number (see TimeIsNumber)
    // TotalText read back as a number, as the formatting already knew it;
    // whoever changes TotalText clears TotalValueKnown.
    float TotalValue = 0.0f;
    bool TotalValueKnown = false;
    bool TimeIsNumber = false;
    bool HasChildren = false;
};

inline constexpr const char* kMissingStartFlag = " <<< Missing Start";
inline constexpr const char* kStackExceededFlag = " <<< Push Stack trace exceeded 1000";

struct CallTree {
    std::vector<TraceRow> Rows;  // in display order: each row after its parent and its parent's earlier children
    std::string StopMessage;     // empty unless the building stopped early
    int StopRow = 0;             // the row showing the stop message (the last one created), 0 when none
    int MarkedCount = 0;         // rows whose record's Order differed from the row number
};

// The records sorted by their Key read as a decimal number ("12.3" as 12.3;
// a Key that does not read as one, "5.-1", as its Order alone), each sort
// value rounded down to a whole number: the Order that each place of the
// sorted list stands for. That is the record's Order, or one less for a
// negative Order with a fraction ("-2.3" gives -3). Ascending. Computed
// exactly, where a decimal reading of the largest Keys would round.
std::vector<long long> SortedStartOrders(const PadTrace& trace);

// Whether the rows get their totals' texts. Profiles and exports work from
// the records' numbers alone and leave them out.
enum class RowTexts { Formatted, Omitted };

// Builds the rows. Marks records whose Order differs from their row number
// by appending "*" to their Name in the trace itself. When the building
// stops with rows made, the stop message replaces the label of the last row
// created; with no row made it is only returned. Labels point into the
// trace's texts.
CallTree BuildCallTree(PadTrace& trace, const std::vector<long long>& sortedOrders, const NumberFormat& format,
                       RowTexts texts = RowTexts::Formatted);

}  // namespace kivra
