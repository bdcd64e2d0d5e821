// Loads hand-built trace records the way the tool does: read, sort, build
// the call tree and compute the own times.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CallProfile.h"
#include "PadReader.h"
#include "PadTextBuilder.h"
#include "TraceLoad.h"

namespace kivra::test {

inline TraceLoad LoadRecords(const std::vector<std::string>& records, const char* pattern = "0.000") {
    TraceLoad load;
    PadReadResult read = ParsePadText(PadText(records), "t.pad", ", ", DotLocale());
    EXPECT_FALSE(read.error) << read.error->Message();
    load.trace = std::move(read.trace);
    BuildAndTime(load, NumberFormat(pattern, DotLocale()));
    return load;
}

inline CallProfile ProfileOf(const TraceLoad& load) { return BuildCallProfile(load.trace, load.tree.Rows); }

// A record line with data fields.
inline std::string RecData(const std::string& name, int order, int depth, double start, double stop,
                           const std::string& in, const std::string& log, const std::string& out) {
    std::string line = Rec(name, order, depth, start, stop);
    line.resize(line.size() - 3);  // the three empty data fields
    return line + "|" + in + "|" + log + "|" + out;
}

}  // namespace kivra::test
