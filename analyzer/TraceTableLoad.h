// Reads a trace file and turns its call tree into the table's rows, and
// computes what the other views show of it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FlameLayout.h"
#include "FlatProfile.h"
#include "LoadProgress.h"
#include "NumberFormat.h"
#include "TraceTableModel.h"

namespace kivra {

// What the views beside the call tree show of a load.
struct TraceViewData {
    std::vector<std::string> names;  // procedure names; procedure i is entry i of `procedures`
    FlatProfile procedures;
    std::vector<int> rowProcedure;  // per row: the procedure it calls
    std::vector<float> rowTotals;   // per row: its total, unrounded
    FlameLayout timeOrder;          // box i is row i
    FlameLayout merged;
    // The baseline of the Compare view, read with the load when there is one.
    std::optional<FlatProfile> baseline;
    std::string baselineError;  // why the baseline could not be read
};

struct TraceTableLoad {
    std::string error;  // why the file could not be read; empty when it was
    // Header lines 2 and 4; they describe the file whenever it had them,
    // even when reading failed after them.
    bool headerLinesRead = false;
    std::string runDateLine;
    std::string resolutionLine;
    bool hasRecords = false;
    std::vector<TableRow> rows;  // display order
    std::shared_ptr<const TraceTexts> texts;  // what the rows' texts point into
    std::string stopMessage;     // set when the tree stopped early
    bool timesUnreadable = false;  // some own times could not be computed
    TraceViewData views;
};

// `progress`, when given, hears how far the load has come.
TraceTableLoad LoadTraceTable(const std::string& path, const std::string& paramChar, const NumberFormat& format,
                              LoadProgress* progress = nullptr);

// The flat profile of another trace, read as a load reads; nothing, with the
// reason in `why`, when it cannot be read.
std::optional<FlatProfile> ReadFlatProfile(const std::string& path, const std::string& paramChar,
                                           const NumberFormat& format, std::string& why);

}  // namespace kivra
