// One timed call as read from a PAD trace file, and the reader's result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TraceTexts.h"

namespace kivra {

std::string RecordKey(int order, int depth);

// The texts are views into the texts of the trace that holds the record.
struct PadRecord {
    std::string_view Name;  // field 1, or "No Pushed in Name?" when it is empty
    std::int32_t Order = 0;
    std::int32_t Depth = 0;
    float Total = 0.0f;       // stop minus start, in milliseconds
    std::string_view DataIn;  // fields 6 to 8, every "~" replaced by the parameter delimiter
    std::string_view DataLog;
    std::string_view DataOut;
    double Start = 0.0;  // field 4, start time in milliseconds
    double Stop = 0.0;   // field 5, stop time in milliseconds

    // "<Order>.<Depth>", e.g. "12.3" or "-2.3"
    std::string Key() const { return RecordKey(Order, Depth); }
};

struct PadTrace {
    std::string RunDateLine;     // header line 2
    std::string ResolutionLine;  // header line 4
    std::string OverheadLine;    // header line 7: the timing object's own cost, when it states it
    // Records[0] is the empty record that lookups fall back to; the records
    // of the file follow from Records[1] on, in file order.
    std::vector<PadRecord> Records = std::vector<PadRecord>(1);
    // What the records' texts point into; copies of a trace share it.
    std::shared_ptr<TraceTexts> Texts = std::make_shared<TraceTexts>();

    std::size_t RecordCount() const { return Records.size() - 1; }
};

// The name of a record whose first field is empty.
inline constexpr const char* kUnnamedRecord = "No Pushed in Name?";

// The largest number of records a trace may hold.
inline constexpr std::size_t kMaxRecords = 10'000'000;
// The most a trace file may hold: room for that many records of some 200
// characters each. A line holds at most kMaxLineBytes.
inline constexpr std::size_t kMaxTraceBytes = std::size_t{2} << 30;
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

}  // namespace kivra
