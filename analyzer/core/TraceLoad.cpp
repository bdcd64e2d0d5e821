#include "TraceLoad.h"

#include "OwnTimes.h"

namespace kivra {

void BuildAndTime(TraceLoad& load, const NumberFormat& format) {
    if (load.trace.RecordCount() == 0) return;
    const std::vector<double> sorted = SortedKeyValues(load.trace);
    load.tree = BuildCallTree(load.trace, sorted, format);
    load.timesUnreadable = !ComputeOwnTimes(load.tree.Rows, format);
}

TraceLoad LoadTrace(const std::filesystem::path& path, std::string_view ParamChar, const NumberFormat& format) {
    TraceLoad load;
    PadReadResult read = ReadPadFile(path, ParamChar, format.Locale());
    load.trace = std::move(read.trace);
    load.error = std::move(read.error);
    load.headerLinesRead = read.headerLinesRead;
    if (!load.error) BuildAndTime(load, format);
    return load;
}

}  // namespace kivra
