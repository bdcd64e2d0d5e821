// A whole load without a window: read the file, sort the records, build the
// call tree and compute the own times.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallTree.h"
#include "NumberFormat.h"
#include "PadReader.h"

namespace kivra {

struct TraceLoad {
    PadTrace trace;                     // the records, with any "*" marks the building added
    CallTree tree;                      // rows in display order, stop message, marked count
    std::optional<PadReadError> error;  // the file could not be read: no rows
    bool headerLinesRead = false;       // lines 2 and 4 were read, even when it failed after
    bool timesUnreadable = false;       // the format's texts could not all be read back
};

// `progress` hears how far the reading and the building have come. With
// RowTexts::Omitted the rows get no texts and no own times: what profiles and
// exports need, in less time.
TraceLoad LoadTrace(const std::filesystem::path& path, std::string_view ParamChar, const NumberFormat& format,
                    const ProgressStep& progress = {}, RowTexts texts = RowTexts::Formatted);

// The steps after reading, for a trace already read.
void BuildAndTime(TraceLoad& load, const NumberFormat& format, const ProgressStep& progress = {},
                  RowTexts texts = RowTexts::Formatted);

}  // namespace kivra
