// The flat profile, the diff of two runs and a procedure's callers and
// callees as text: an aligned table for people, CSV and JSON for other
// programs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CallerCallee.h"
#include "FlatProfile.h"
#include "NumberFormat.h"
#include "RunsDiff.h"
#include "TraceDiff.h"

namespace kivra {

// `top` limits the lines to the first entries; 0 shows every entry.
// Times in the table follow `format`; CSV and JSON give plain numbers in
// milliseconds with "." as the decimal point, to the seven significant
// digits of single precision.
std::string FlatTable(const FlatProfile& profile, const NumberFormat& format, std::size_t top);
std::string FlatCsv(const FlatProfile& profile, std::size_t top);
std::string FlatJson(const FlatProfile& profile, std::size_t top);

std::string DiffTable(const TraceDiff& diff, const NumberFormat& format, std::size_t top);
std::string DiffCsv(const TraceDiff& diff, std::size_t top);
std::string DiffJson(const TraceDiff& diff, std::size_t top);

// The comparison of several runs on a side.
std::string RunsDiffTable(const RunsDiff& diff, const NumberFormat& format, std::size_t top);
std::string RunsDiffCsv(const RunsDiff& diff, std::size_t top);
std::string RunsDiffJson(const RunsDiff& diff, std::size_t top);

// Per procedure a line with its calls, own and total time, then its callers
// and its callees with the calls and the total time on each edge; a blank
// line between procedures. JSON: {"procedures": [{"name", "calls",
// "own_ms", "total_ms", "callers": [{"name", "calls", "total_ms"}],
// "callees": [...]}]}, the top level as the caller "(top level)".
std::string PeekTable(const CallProfile& profile, const std::vector<CallerCallee>& procedures,
                      const NumberFormat& format);
std::string PeekJson(const CallProfile& profile, const std::vector<CallerCallee>& procedures);

}  // namespace kivra
