// Reads a trace file and turns its call tree into the table's rows, and
// computes what the other views show of it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "FlameLayout.h"
#include "FlatProfile.h"
#include "LoadProgress.h"
#include "NumberFormat.h"
#include "TraceTableModel.h"

namespace kivra {

// The views' numbers with the timing overhead taken out, for a trace that
// states its overhead.
struct CorrectedViewData {
    std::string summary;  // what the overhead does to this run
    int clamped = 0;      // calls whose corrected times were held at zero
    FlatProfile procedures;
    std::vector<float> rowTotals;
    std::shared_ptr<const CallProfile> profile;
    std::shared_ptr<const Timeline> timeline;
    FlameLayout timeOrder;
    FlameLayout merged;
    std::vector<ShortText> totals;  // per row: the call tree's texts
    std::vector<ShortText> times;
};

// What the views beside the call tree show of a load.
struct TraceViewData {
    std::string path;                // the trace file's
    std::vector<std::string> names;  // procedure names; procedure i is entry i of `procedures`
    FlatProfile procedures;
    std::vector<int> rowProcedure;               // per row: the procedure it calls
    std::vector<float> rowTotals;                // per row: its total, unrounded
    std::shared_ptr<const CallProfile> profile;  // call i is row i
    std::shared_ptr<const Timeline> timeline;    // the calls' spans as the graphs lay them out
    FlameLayout timeOrder;                       // box i is row i
    FlameLayout merged;
    std::optional<CorrectedViewData> corrected;
    // The baseline of the Compare view, read with the load when there is one,
    // and corrected when it states its overhead.
    std::optional<FlatProfile> baseline;
    std::optional<FlatProfile> baselineCorrected;
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
    std::vector<TableRow> rows;               // display order
    std::shared_ptr<const TraceTexts> texts;  // what the rows' texts point into
    std::string stopMessage;                  // set when the tree stopped early
    bool timesUnreadable = false;             // some own times could not be computed
    TraceViewData views;
};

// `progress`, when given, hears how far the load has come.
TraceTableLoad LoadTraceTable(const std::string& path, const std::string& paramChar, const NumberFormat& format,
                              LoadProgress* progress = nullptr);

// The flat profile of another trace, read as a load reads; nothing, with the
// reason in `why`, when it cannot be read. `corrected`, when given, gets the
// profile with the overhead taken out when the trace states it.
std::optional<FlatProfile> ReadFlatProfile(const std::string& path, const std::string& paramChar,
                                           const NumberFormat& format, std::string& why,
                                           std::optional<FlatProfile>* corrected = nullptr);

}  // namespace kivra
