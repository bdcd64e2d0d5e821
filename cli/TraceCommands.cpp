#include "TraceCommands.h"

#include "Platform.h"

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "CallProfile.h"
#include "CommandSupport.h"
#include "OwnTimes.h"
#include "ShownRows.h"
#include "TraceLoad.h"
#include "TraceReport.h"
#include "TraceSettings.h"

namespace kivra {
namespace {

struct TraceArguments {
    OverheadArguments overhead;
    std::string trace;
    std::optional<std::string> format;
    std::optional<std::string> paramChar;
};

struct ReportArguments {
    std::optional<std::string> range;
    bool total = false;
    bool noTotal = false;
    std::vector<int> widths;
    std::string output;
};

void AddTraceOptions(CLI::App& command, TraceArguments& args) {
    command.add_option("TRACE", args.trace, "The PAD trace file to read")->required();
    command.add_option("--format", args.format,
                       "Number format pattern for the times, e.g. \"0.000\" or \"#,##0.0\" "
                       "(default: the \"Format\" setting, else 0.000)");
    command.add_option("--param-char", args.paramChar,
                       "Text that replaces each \"~\" in the data fields "
                       "(default: the \"ParamChar\" setting, else \", \")");
    AddOverheadOptions(command, args.overhead);
}

TraceLoad LoadOrFail(const TraceArguments& args, const TraceSettings& settings, const NumberFormat& format) {
    return LoadTraceRowsOrExit(args.trace, settings.paramChar, format);
}

// The last trace a command loaded, left to the system when the process ends
// right after the command: freeing its many small blocks one by one would
// only take time.
const TraceLoad* lastLoad = nullptr;

const TraceLoad& KeptUntilExit(TraceLoad&& load) {
    // Only the last is kept: a process that runs several commands frees the one before.
    delete lastLoad;
    lastLoad = new TraceLoad(std::move(load));
    return *lastLoad;
}

// Standard output, or a file replaced whole.
class Output {
public:
    explicit Output(const std::string& file) : name_(file) {
        if (!file.empty() && file != "-") {
            file_ = std::fopen(file.c_str(), "wb");
            if (file_ == nullptr) Fail();
        }
    }
    ~Output() {
        if (file_ != nullptr) std::fclose(file_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Write(std::string_view text) {
        if (std::fwrite(text.data(), 1, text.size(), Stream()) != text.size()) Fail();
    }
    void Close() {
        const bool ok = std::fflush(Stream()) == 0 && (file_ == nullptr || std::fclose(file_) == 0);
        file_ = nullptr;
        if (!ok) Fail();
    }

private:
    std::FILE* Stream() const { return file_ != nullptr ? file_ : stdout; }
    [[noreturn]] void Fail() const {
        PrintProblem(name_.empty() || name_ == "-" ? std::string("Cannot write to standard output.")
                                                   : "Cannot write \"" + name_ + "\".");
        throw CLI::RuntimeError(1);
    }

    std::string name_;
    std::FILE* file_ = nullptr;
};

void RunRows(const TraceArguments& args) {
    const TraceSettings settings = ResolveTraceSettings({args.format, args.paramChar, std::nullopt, {}});
    const NumberFormat format(settings.format);
    const TraceLoad& load = KeptUntilExit(LoadOrFail(args, settings, format));

    const ShownRows shown = ShowRows(load, args.overhead, std::nullopt, format, args.trace);

    using Json = nlohmann::ordered_json;
    Json rows = Json::array();
    for (std::size_t i = 0; i < load.tree.Rows.size(); ++i) {
        const TraceRow& row = load.tree.Rows[i];
        const PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        rows.push_back(Json{{"row", row.Number},
                            {"parent", row.ParentRow},
                            {"level", row.Level},
                            {"label", row.Label},
                            {"total", shown.Total(load, i)},
                            {"time", shown.Time(load, i)},
                            {"data_in", record.DataIn},
                            {"data_log", record.DataLog},
                            {"data_out", record.DataOut},
                            {"order", record.Order},
                            {"depth", record.Depth}});
    }
    Json result{{"run_date", load.trace.RunDateLine},
                {"resolution", load.trace.ResolutionLine},
                {"overhead", load.trace.OverheadLine},
                {"corrected", shown.corrected},
                {"stop", load.tree.StopMessage.empty() ? Json(nullptr) : Json(load.tree.StopMessage)},
                {"marked", load.tree.MarkedCount},
                {"rows", std::move(rows)}};
    Output out({});
    out.Write(result.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
    out.Close();
}

void RunReport(const TraceArguments& args, const ReportArguments& report) {
    std::optional<bool> showTotal;
    if (report.total) showTotal = true;
    if (report.noTotal) showTotal = false;
    const TraceSettings settings = ResolveTraceSettings({args.format, args.paramChar, showTotal, report.widths});
    const NumberFormat format(settings.format);
    const TraceLoad& load = KeptUntilExit(LoadOrFail(args, settings, format));

    // Over a range: only the rows whose calls count, with their clipped
    // times (corrected first when asked).
    const ShownRows shown = ShowRows(load, args.overhead, report.range, format, args.trace);
    const std::vector<std::string> headers = TreeHeaders(shown.corrected);

    std::vector<ReportColumn> columns;
    for (std::size_t c = 0; c < settings.widths.size(); ++c) columns.push_back({headers[c], settings.widths[c]});
    columns.push_back({"Order", 50});
    columns.push_back({"Depth", 50});

    // The whole tree, every row expanded, written out in pieces.
    ReportWriter writer(columns);
    Output out(report.output);
    std::string text;
    constexpr std::size_t kPiece = 1 << 16;
    text.reserve(kPiece + 2 * (writer.LineLength() + 2));
    writer.AppendHeader(text);
    for (std::size_t i = 0; i < load.tree.Rows.size(); ++i) {
        if (!shown.Shows(i)) continue;
        const TraceRow& row = load.tree.Rows[i];
        const PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        // Order and Depth are not reported.
        const std::string_view cells[] = {row.Label,     shown.Total(load, i), shown.Time(load, i),
                                          record.DataIn, record.DataLog,       record.DataOut};
        const bool children = shown.HasChildren(i, row.HasChildren);
        writer.AppendRow(text, row.Level, children, true, true, cells, std::size(cells));
        if (text.size() >= kPiece) {
            out.Write(text);
            text.clear();
        }
    }
    out.Write(text);
    out.Close();
}

}  // namespace

void AddTraceCommands(CLI::App& app) {
    auto rowsArgs = std::make_shared<TraceArguments>();
    CLI::App* rows = app.add_subcommand(
        "rows",
        "Print a PAD trace's call tree as JSON: header lines, stop message, marked-row count and one "
        "object per row in display order (row, parent, level, label, total, time, data_in, data_log, "
        "data_out, order, depth).");
    AddTraceOptions(*rows, *rowsArgs);
    rows->footer(
        "Exit status: 0 on success (a stop message also goes to stderr), 1 when the trace cannot be "
        "read, 2 on a usage error.");
    rows->callback([rowsArgs] { RunRows(*rowsArgs); });

    auto reportTrace = std::make_shared<TraceArguments>();
    auto reportArgs = std::make_shared<ReportArguments>();
    CLI::App* report = app.add_subcommand(
        "report", "Print the fixed-width text report of a PAD trace's whole call tree, every row expanded.");
    AddTraceOptions(*report, *reportTrace);
    CLI::Option* total = report->add_flag("--total", reportArgs->total,
                                          "Show the \"Total (ms)\" column (default: the \"ShowTotal\" setting)");
    CLI::Option* noTotal = report->add_flag("--no-total", reportArgs->noTotal, "Leave the \"Total (ms)\" column out");
    total->excludes(noTotal);
    report
        ->add_option("--widths", reportArgs->widths,
                     "Widths of the six columns in the grid's unit, as the \"Columns\" settings, e.g. "
                     "300,100,100,150,150,150")
        ->delimiter(',')
        ->expected(6)
        ->check(CLI::NonNegativeNumber);
    report->add_option("-o,--output", reportArgs->output, "Write the report to FILE instead of standard output");
    AddRangeOption(*report, reportArgs->range);
    report->footer(
        "Exit status: 0 on success (a stop message also goes to stderr), 1 when the trace cannot be "
        "read or the report cannot be written, 2 on a usage error.");
    report->callback([reportTrace, reportArgs] { RunReport(*reportTrace, *reportArgs); });
}

}  // namespace kivra
