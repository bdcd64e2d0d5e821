// One timed call as read from a PAD trace file, and the reader's result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivra {

struct PadRecord {
    std::string Name;      // field 1, or "No Pushed in Name?" when it is empty
    std::int16_t Order = 0;
    std::int16_t Depth = 0;
    float Total = 0.0f;    // stop minus start, in milliseconds
    std::string DataIn;    // fields 6 to 8, every "~" replaced by the parameter delimiter
    std::string DataLog;
    std::string DataOut;
    std::string Key;       // "<Order>.<Depth>", e.g. "12.3" or "-2.3"
    double Start = 0.0;    // field 4, start time in milliseconds
    double Stop = 0.0;     // field 5, stop time in milliseconds
};

struct PadTrace {
    std::string RunDateLine;     // header line 2
    std::string ResolutionLine;  // header line 4
    // Records[0] is the empty record that lookups fall back to; the records
    // of the file follow from Records[1] on, in file order.
    std::vector<PadRecord> Records = std::vector<PadRecord>(1);

    std::size_t RecordCount() const { return Records.size() - 1; }
};

// The name of a record whose first field is empty.
inline constexpr const char* kUnnamedRecord = "No Pushed in Name?";

// The largest number of records a trace may hold: one per positive Order.
inline constexpr std::size_t kMaxRecords = 32767;

std::string RecordKey(int order, int depth);

}  // namespace kivra
