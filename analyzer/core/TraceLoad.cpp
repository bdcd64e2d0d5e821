#include "TraceLoad.h"

#include "OwnTimes.h"

namespace kivra {

void BuildAndTime(TraceLoad& load, const NumberFormat& format, const ProgressStep& progress, RowTexts texts) {
    if (load.trace.RecordCount() == 0) return;
    const std::vector<long long> sorted = SortedStartOrders(load.trace);
    progress.Report(0.1);
    load.tree = BuildCallTree(load.trace, sorted, format, texts);
    progress.Report(0.7);
    if (texts == RowTexts::Formatted) {
        load.timesUnreadable = !ComputeRoundedOwnTimes(load.tree.Rows, load.trace, format);
    }
    progress.Report(1.0);
}

TraceLoad LoadTrace(const std::filesystem::path& path, std::string_view ParamChar, const NumberFormat& format,
                    const ProgressStep& progress, RowTexts texts) {
    TraceLoad load;
    PadReadOptions options;
    options.progress = progress.Part(0.0, 0.6);
    PadReadResult read = ReadPadFile(path, ParamChar, format.Locale(), options);
    load.trace = std::move(read.trace);
    load.error = std::move(read.error);
    load.headerLinesRead = read.headerLinesRead;
    if (!load.error) BuildAndTime(load, format, progress.Part(0.6, 1.0), texts);
    return load;
}

}  // namespace kivra
