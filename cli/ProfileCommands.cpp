#include "ProfileCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CallProfile.h"
#include "CallerCallee.h"
#include "CommandSupport.h"
#include "FlameLayout.h"
#include "FlameSvg.h"
#include "FlatProfile.h"
#include "HtmlReport.h"
#include "Overhead.h"
#include "Platform.h"
#include "ProfileTables.h"
#include "RunsDiff.h"
#include "ShownRows.h"
#include "TimeRange.h"
#include "TraceDiff.h"
#include "TraceExport.h"
#include "TraceSettings.h"

namespace kivra {
namespace {

struct FlatArguments {
    OverheadArguments overhead;
    std::optional<std::string> range;
    std::string trace;
    std::optional<std::string> format;
    std::string order = "own";
    std::size_t top = 0;
    bool json = false;
    bool csv = false;
};

struct DiffArguments {
    OverheadArguments overhead;
    std::optional<std::string> range;
    std::vector<std::string> before;
    std::vector<std::string> after;  // --vs
    std::optional<std::string> format;
    std::size_t top = 0;
    bool json = false;
    bool csv = false;
};

struct PeekArguments {
    OverheadArguments overhead;
    std::optional<std::string> range;
    std::string trace;
    std::vector<std::string> names;
    std::optional<std::string> format;
    bool regex = false;
    bool collapse = false;
    bool json = false;
};

struct ExportArguments {
    OverheadArguments overhead;
    std::optional<std::string> range;
    std::string trace;
    std::optional<std::string> paramChar;
    bool chrome = false;
    bool speedscope = false;
    bool folded = false;
    bool svg = false;
    bool html = false;
    std::optional<std::string> baseline;
    std::optional<std::string> format;
    bool inverted = false;
    int width = 1200;
    bool noData = false;
    std::string output;
};

const char* const kFormatHelp =
    "Number format pattern for the times in the table, e.g. \"0.000\" or \"#,##0.0\" "
    "(default: the \"Format\" setting, else 0.000)";

void AddTableOptions(CLI::App& command, std::size_t& top, bool& json, bool& csv) {
    command.add_option("--top", top, "Show only the first N procedures")->check(CLI::PositiveNumber);
    CLI::Option* jsonFlag = command.add_flag("--json", json, "Print JSON instead of a table (times in ms)");
    CLI::Option* csvFlag = command.add_flag("--csv", csv, "Print CSV instead of a table (times in ms)");
    jsonFlag->excludes(csvFlag);
}

// The settings' time format, the option winning.
NumberFormat TimeFormat(const std::optional<std::string>& given) {
    return NumberFormat(ResolveTraceSettings({given, std::nullopt, std::nullopt, {}}).format);
}

// The calls of `profile` over the range, when one is given; a range that
// holds no call ends the command.
void RestrictOrExit(const std::optional<std::string>& text, const PadTrace& trace, CallProfile& profile,
                    const std::optional<TimingOverhead>& overhead, const std::string& path, Timeline* spans = nullptr) {
    if (!text) return;
    RangedRun run = RangeOrExit(*text, trace, profile, overhead, path);
    profile = std::move(run.Profile);
    if (spans != nullptr) *spans = std::move(run.Spans);
}

// Over a range, the procedures without a call in it are left out.
void DropUncalled(FlatProfile& flat) {
    std::erase_if(flat.Entries, [](const FlatEntry& entry) { return entry.Calls == 0; });
}

FlatProfile LoadFlatProfile(const std::string& path, const NumberFormat& format, const OverheadArguments& overhead,
                            const std::optional<std::string>& range) {
    const TraceLoad load = LoadTraceOrExit(path, "", format);
    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    const std::optional<TimingOverhead> correct = OverheadToCorrect(overhead, load.trace, path);
    if (correct) CorrectProfile(profile, *correct);
    RestrictOrExit(range, load.trace, profile, correct, path);
    FlatProfile flat = ComputeFlatProfile(profile);
    if (range) DropUncalled(flat);
    return flat;
}

void RunFlat(const FlatArguments& args) {
    const NumberFormat format = TimeFormat(args.format);
    FlatProfile profile = LoadFlatProfile(args.trace, format, args.overhead, args.range);
    const std::map<std::string, FlatOrder> orders{
        {"own", FlatOrder::Own}, {"total", FlatOrder::Total}, {"calls", FlatOrder::Calls}, {"name", FlatOrder::Name}};
    SortFlatProfile(profile, orders.at(args.order));
    const std::string text = args.json  ? FlatJson(profile, args.top)
                             : args.csv ? FlatCsv(profile, args.top)
                                        : FlatTable(profile, format, args.top);
    WriteResult({}, text, {});
}

// The traces of one side: each file named, and every .pad file of each
// folder named, in the order of their names. A folder without one ends the
// command.
std::vector<std::string> SideTraces(const std::vector<std::string>& given) {
    namespace fs = std::filesystem;
    std::vector<std::string> traces;
    for (const std::string& name : given) {
        const fs::path path = platform::PathFromUtf8(name);
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            traces.push_back(name);
            continue;
        }
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
            std::string extension = platform::PathToUtf8(entry.path().extension());
            for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (extension == ".pad" && entry.is_regular_file(error))
                found.push_back(platform::PathToUtf8(entry.path()));
        }
        if (error || found.empty()) {
            PrintProblem(error ? name + ": cannot read the folder: " + error.message() + "."
                               : name + ": the folder holds no .pad trace.");
            throw CLI::RuntimeError(1);
        }
        std::sort(found.begin(), found.end());
        traces.insert(traces.end(), found.begin(), found.end());
    }
    return traces;
}

void RunDiff(const DiffArguments& args) {
    const NumberFormat format = TimeFormat(args.format);
    // Without --vs: OLD NEW, two traces, or two folders of runs.
    std::vector<std::string> oldSide = args.before;
    std::vector<std::string> newSide = args.after;
    if (newSide.empty()) {
        if (oldSide.size() != 2) {
            PrintProblem("give OLD and NEW, or OLD... --vs NEW... for several runs on a side.");
            throw CLI::RuntimeError(2);
        }
        newSide.assign(1, oldSide[1]);
        oldSide.resize(1);
    }
    oldSide = SideTraces(oldSide);
    newSide = SideTraces(newSide);
    if (oldSide.size() == 1 && newSide.size() == 1) {
        const FlatProfile before = LoadFlatProfile(oldSide[0], format, args.overhead, args.range);
        const FlatProfile after = LoadFlatProfile(newSide[0], format, args.overhead, args.range);
        const TraceDiff diff = DiffFlatProfiles(before, after);
        const std::string text = args.json  ? DiffJson(diff, args.top)
                                 : args.csv ? DiffCsv(diff, args.top)
                                            : DiffTable(diff, format, args.top);
        WriteResult({}, text, {});
        return;
    }
    std::vector<FlatProfile> before;
    std::vector<FlatProfile> after;
    for (const std::string& trace : oldSide)
        before.push_back(LoadFlatProfile(trace, format, args.overhead, args.range));
    for (const std::string& trace : newSide) after.push_back(LoadFlatProfile(trace, format, args.overhead, args.range));
    const RunsDiff diff = DiffRuns(before, after);
    const std::string text = args.json  ? RunsDiffJson(diff, args.top)
                             : args.csv ? RunsDiffCsv(diff, args.top)
                                        : RunsDiffTable(diff, format, args.top);
    WriteResult({}, text, {});
}

void RunPeek(const PeekArguments& args) {
    // An expression that is not one is a usage error, found before the
    // trace is read.
    if (args.regex) {
        for (const std::string& name : args.names) {
            std::string why;
            if (!FindProcedures(CallProfile{}, name, true, &why)) {
                PrintProblem("\"" + name + "\" is not a regular expression: " + why);
                throw CLI::RuntimeError(2);
            }
        }
    }
    const NumberFormat format = TimeFormat(args.format);
    const TraceLoad load = LoadTraceOrExit(args.trace, "", format);
    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    const std::optional<TimingOverhead> correct = OverheadToCorrect(args.overhead, load.trace, args.trace);
    if (correct) CorrectProfile(profile, *correct);
    RestrictOrExit(args.range, load.trace, profile, correct, args.trace);

    // Every procedure that a NAME matches, once; a NAME that matches none
    // fails the command, so that a misspelt name is not taken for an answer.
    std::vector<int> chosen;
    std::vector<char> seen(profile.Names.size(), 0);
    bool missing = false;
    for (const std::string& name : args.names) {
        const std::vector<int> found = FindProcedures(profile, name, args.regex).value_or(std::vector<int>{});
        if (found.empty()) {
            PrintProblem(args.trace + ": " + (args.regex ? "no procedure name matches \"" : "no procedure named \"") +
                         name + "\".");
            missing = true;
        }
        for (const int n : found) {
            if (seen[static_cast<std::size_t>(n)] != 0) continue;
            seen[static_cast<std::size_t>(n)] = 1;
            chosen.push_back(n);
        }
    }
    if (missing) throw CLI::RuntimeError(1);

    const CallerCalleeIndex index(profile);
    std::vector<CallerCallee> procedures;
    for (const int n : chosen) procedures.push_back(index.Query(n, args.collapse));
    // In the flat profile's first order: the largest own time first.
    std::sort(procedures.begin(), procedures.end(), [&](const CallerCallee& a, const CallerCallee& b) {
        if (a.Own != b.Own) return a.Own > b.Own;
        return NameBefore(profile.Names[static_cast<std::size_t>(a.Name)],
                          profile.Names[static_cast<std::size_t>(b.Name)]);
    });
    const std::string text = args.json ? PeekJson(profile, procedures) : PeekTable(profile, procedures, format);
    WriteResult({}, text, {});
}

// "Run Date: 12/7/2026 14:32:05" as the label and the value; a line
// without a colon as the value alone.
std::pair<std::string, std::string> HeaderFact(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return {std::string(), line};
    std::size_t value = colon + 1;
    while (value < line.size() && line[value] == ' ') ++value;
    return {line.substr(0, colon), line.substr(value)};
}

void RunHtmlExport(const ExportArguments& args) {
    const TraceSettings settings = ResolveTraceSettings({args.format, args.paramChar, std::nullopt, {}});
    const NumberFormat format(settings.format);
    const TraceLoad load = LoadTraceRowsOrExit(args.trace, settings.paramChar, format);
    const std::optional<TimingOverhead> overhead = OverheadToCorrect(args.overhead, load.trace, args.trace);
    // The baseline is read first: a trace that cannot be read ends the
    // command before the long work.
    std::optional<FlatProfile> baseline;
    if (args.baseline) baseline = LoadFlatProfile(*args.baseline, format, args.overhead, args.range);

    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    if (overhead) CorrectProfile(profile, *overhead);
    std::optional<RangedRun> run;
    if (args.range) run = RangeOrExit(*args.range, load.trace, profile, overhead, args.trace);
    const CallProfile& counted = run ? run->Profile : profile;
    const ShownRows shown = RowsOf(load, profile, run ? &*run : nullptr, overhead.has_value(), format, true);

    HtmlReportInput page;
    page.FileName = platform::PathToUtf8(platform::PathFromUtf8(args.trace).filename());
    page.TimeFormat = format;
    FlatProfile flat = ComputeFlatProfile(counted);
    if (run) DropUncalled(flat);
    SortFlatProfile(flat, FlatOrder::Own);

    for (const std::string* line : {&load.trace.RunDateLine, &load.trace.ResolutionLine}) {
        if (!line->empty()) page.Facts.push_back(HeaderFact(*line));
    }
    page.Facts.emplace_back("Calls", GroupedCount(static_cast<long long>(counted.Calls.size())));
    page.Facts.emplace_back("Procedures", GroupedCount(static_cast<long long>(flat.Entries.size())));
    page.Facts.emplace_back(overhead ? "Top-level total (corrected)" : "Top-level total",
                            format.Format(flat.TopLevelTotal) + " ms");
    // Line 7 is the overhead line only in the traces that state one.
    if (ReadOverheadLine(load.trace.OverheadLine)) page.Facts.push_back(HeaderFact(load.trace.OverheadLine));
    page.StopMessage = load.tree.StopMessage;
    if (overhead) page.Notes.push_back(OverheadSummary(*overhead, profile.Calls.size()));
    if (args.range) {
        std::string why;
        const TimeRange range = ParseTimeRange(*args.range, why).value_or(TimeRange{});
        const std::size_t calls = run->Profile.Calls.size();
        page.Notes.push_back(
            "Range: " + TimeRangeText(range) + " (" + GroupedMilliseconds(range.End - range.Start) + " ms, " +
            (calls == 1 ? std::string("1 call") : GroupedCount(static_cast<long long>(calls)) + " calls") +
            (overhead ? ", on the corrected times" : "") + ")." +
            (baseline ? " The comparison is over the same range of both runs." : ""));
    }

    page.TreeHeaders = TreeHeaders(shown.corrected);
    page.Rows.reserve(load.tree.Rows.size());
    for (std::size_t i = 0; i < load.tree.Rows.size(); ++i) {
        if (!shown.Shows(i)) continue;
        const TraceRow& row = load.tree.Rows[i];
        const PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        // --no-data keeps the data fields, which may hold paths and queries, out of the page.
        const auto field = [&](std::string_view text) { return args.noData ? std::string_view() : text; };
        page.Rows.push_back({row.Level, row.Label, shown.Total(load, i), shown.Time(load, i), field(record.DataIn),
                             field(record.DataLog), field(record.DataOut), shown.totalValues[i], shown.ownValues[i]});
    }

    const Timeline timeline = run        ? run->Spans
                              : overhead ? CorrectedTimeline(load.trace, profile, *overhead)
                                         : NestedTimeline(load.trace, profile);
    const FlameLayout layout = LayoutMerged(counted, timeline);
    if (layout.Clipped > 0) PrintProblem(ClippedCallsMessage(layout.Clipped));
    FlameSvgOptions options;
    options.Width = args.width;
    options.Title = "Flame graph of " + page.FileName;
    options.TimeFormat = format;
    page.FlameGraphSvg = FlameGraphSvg(layout, counted.Names, options);

    TraceDiff diff;
    if (baseline) {
        diff = DiffFlatProfiles(*baseline, flat);
        page.Comparison = &diff;
        page.BaselineName = platform::PathToUtf8(platform::PathFromUtf8(*args.baseline).filename());
    }
    page.Procedures = std::move(flat);
    std::vector<std::string> inputs{args.trace};
    if (args.baseline) inputs.push_back(*args.baseline);
    WriteResult(args.output, HtmlReport(page), inputs);
}

void RunExport(const ExportArguments& args) {
    if (args.html) {
        RunHtmlExport(args);
        return;
    }
    const TraceSettings settings = ResolveTraceSettings({args.format, args.paramChar, std::nullopt, {}});
    const NumberFormat format(settings.format);
    const TraceLoad load = LoadTraceOrExit(args.trace, settings.paramChar, format);
    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    std::optional<Timeline> corrected;
    const std::optional<TimingOverhead> overhead = OverheadToCorrect(args.overhead, load.trace, args.trace);
    if (overhead) {
        CorrectProfile(profile, *overhead);
        corrected = CorrectedTimeline(load.trace, profile, *overhead);
    }
    if (args.range) {
        // The calls over the range, laid out on their clipped spans.
        RangedRun run = RangeOrExit(*args.range, load.trace, profile, overhead, args.trace);
        profile = std::move(run.Profile);
        corrected = std::move(run.Spans);
    }
    const Timeline* fitted = corrected ? &*corrected : nullptr;
    const std::string name = platform::PathToUtf8(platform::PathFromUtf8(args.trace).filename());

    ExportText result;
    if (args.svg) {
        const Timeline timeline = corrected ? std::move(*corrected) : NestedTimeline(load.trace, profile);
        const FlameLayout layout = args.inverted ? LayoutInverted(profile, timeline) : LayoutMerged(profile, timeline);
        FlameSvgOptions options;
        options.Width = args.width;
        options.Title = "Flame graph of " + name;
        options.TimeFormat = format;
        result.Text = FlameGraphSvg(layout, profile.Names, options);
        result.Clipped = layout.Clipped;
    } else if (args.chrome) {
        result = ChromeTraceJson(load.trace, profile, name, !args.noData, fitted);
    } else if (args.speedscope) {
        result = SpeedscopeJson(load.trace, profile, name, fitted);
    } else {
        result = FoldedStacks(load.trace, profile, fitted);
    }
    if (result.Clipped > 0) PrintProblem(ClippedCallsMessage(result.Clipped));
    WriteResult(args.output, result.Text, {args.trace});
}

}  // namespace

void AddProfileCommands(CLI::App& app) {
    auto flatArgs = std::make_shared<FlatArguments>();
    CLI::App* flat = app.add_subcommand(
        "flat",
        "Print a PAD trace's flat profile: one line per procedure with its calls, own time, total time "
        "(a recursive call counted once), mean and largest own time, and own time as a percentage of the "
        "top-level total.");
    flat->add_option("TRACE", flatArgs->trace, "The PAD trace file to read")->required();
    flat->add_option("--format", flatArgs->format, kFormatHelp);
    flat->add_option("--sort", flatArgs->order, "Order of the lines: own, total, calls (largest first) or name")
        ->transform(CLI::IsMember({"own", "total", "calls", "name"}, CLI::ignore_case))
        ->capture_default_str();
    AddTableOptions(*flat, flatArgs->top, flatArgs->json, flatArgs->csv);
    AddOverheadOptions(*flat, flatArgs->overhead);
    AddRangeOption(*flat, flatArgs->range);
    flat->footer(
        "Exit status: 0 on success (a stop message also goes to stderr), 1 when the trace cannot be "
        "read, 2 on a usage error.");
    flat->callback([flatArgs] { RunFlat(*flatArgs); });

    auto diffArgs = std::make_shared<DiffArguments>();
    CLI::App* diff = app.add_subcommand(
        "diff",
        "Compare two runs: both flat profiles side by side per procedure, procedures only in one run "
        "marked added or removed, the largest change in own time first, then the top-level totals. With "
        "several runs on a side (OLD... --vs NEW..., or two folders of traces): per procedure the medians "
        "over the runs with their spread, the change, its interval, a Mann-Whitney test's p-value and a "
        "verdict (slower, faster, or ~ when the change may be noise), significant changes first.");
    diff->add_option("OLD", diffArgs->before,
                     "The PAD trace of the earlier run, or with --vs the earlier runs' traces; a folder stands "
                     "for every .pad trace in it. Without --vs: OLD NEW")
        ->required();
    diff->add_option("--vs", diffArgs->after,
                     "The later runs' traces (or folders of them) to compare with the runs before --vs")
        ->type_name("NEW...");
    diff->add_option("--format", diffArgs->format, kFormatHelp);
    AddTableOptions(*diff, diffArgs->top, diffArgs->json, diffArgs->csv);
    AddOverheadOptions(*diff, diffArgs->overhead);
    AddRangeOption(*diff, diffArgs->range);
    diff->footer("Exit status: 0 on success, 1 when a trace cannot be read, 2 on a usage error.");
    diff->callback([diffArgs] { RunDiff(*diffArgs); });

    auto peekArgs = std::make_shared<PeekArguments>();
    CLI::App* peek = app.add_subcommand(
        "peek",
        "Show who calls a procedure and whom it calls: per procedure named, its calls, own time and total "
        "time as kivra flat gives them, then its callers and its callees, each with the calls on that edge "
        "and their total time, the largest first. Procedures come in the flat profile's order, the largest "
        "own time first.");
    peek->add_option("TRACE", peekArgs->trace, "The PAD trace file to read")->required();
    peek->add_option("NAME", peekArgs->names,
                     "A procedure's whole name; letter case is ignored unless a name is the same byte for byte")
        ->required();
    peek->add_flag("--regex", peekArgs->regex,
                   "Take each NAME as a regular expression (ECMAScript, letter case ignored) and show every "
                   "procedure whose name it matches a part of");
    peek->add_flag("--collapse-recursion", peekArgs->collapse,
                   "Show a procedure that calls itself directly as one level: no edge to itself, the inner "
                   "calls' callees as its own, a chain of such calls counted as one call");
    peek->add_option("--format", peekArgs->format, kFormatHelp);
    peek->add_flag("--json", peekArgs->json, "Print JSON instead of tables (times in ms)");
    AddOverheadOptions(*peek, peekArgs->overhead);
    AddRangeOption(*peek, peekArgs->range);
    peek->footer(
        "A caller's or a callee's total adds up the totals of the calls on that edge; under recursion the "
        "edges may add up to more than the procedure's total. Calls from outside any timed procedure come "
        "from \"(top level)\".\n"
        "Exit status: 0 on success, 1 when the trace cannot be read or a NAME matches no procedure, 2 on a "
        "usage error or a NAME that is not a regular expression with --regex.");
    peek->callback([peekArgs] { RunPeek(*peekArgs); });

    auto exportArgs = std::make_shared<ExportArguments>();
    CLI::App* exporter =
        app.add_subcommand("export",
                           "Write a PAD trace for other viewers: Chrome Trace Event JSON (Perfetto, chrome://tracing), "
                           "speedscope's file format, folded stacks for flame graph tools, a flame graph as an SVG "
                           "picture, or the whole analysis as one HTML page.");
    exporter->add_option("TRACE", exportArgs->trace, "The PAD trace file to read")->required();
    CLI::Option_group* kind = exporter->add_option_group("Output format", "The kind of file to write");
    kind->add_flag("--chrome", exportArgs->chrome, "Chrome Trace Event JSON: one complete event per call");
    kind->add_flag("--speedscope", exportArgs->speedscope, "speedscope's file format: one evented profile");
    kind->add_flag("--folded", exportArgs->folded,
                   "Folded stacks: \"A;B;C N\", N the path's own time in whole microseconds");
    CLI::Option* svg = kind->add_flag("--svg", exportArgs->svg,
                                      "A flame graph as one SVG picture for a browser: the calls merged by call "
                                      "path, a click zooms to a box, a search field highlights names");
    CLI::Option* html =
        kind->add_flag("--html", exportArgs->html,
                       "The whole analysis as one HTML page that opens in any browser, offline: the header, the "
                       "call tree, the procedures, the flame graph and, with --baseline, the comparison");
    kind->require_option(1);
    CLI::Option* width =
        exporter->add_option("--width", exportArgs->width, "With --svg or --html: the flame graph's width in pixels")
            ->check(CLI::Range(FlameSvgGeometry::kSmallestWidth, FlameSvgGeometry::kLargestWidth))
            ->type_name("PX")
            ->capture_default_str();
    exporter
        ->add_option("--baseline", exportArgs->baseline,
                     "With --html: compare with this earlier run's trace, as kivra diff OLD TRACE does")
        ->type_name("OLD")
        ->needs(html);
    CLI::Option* format = exporter->add_option(
        "--format", exportArgs->format,
        "With --svg or --html: number format pattern for the times (default: the \"Format\" setting, else 0.000)");
    exporter
        ->add_flag("--inverted", exportArgs->inverted,
                   "With --svg: the inverted flame graph, each procedure's own time on top and its callers below")
        ->needs(svg);
    exporter->add_option("--param-char", exportArgs->paramChar,
                         "Text that replaces each \"~\" in the data fields "
                         "(default: the \"ParamChar\" setting, else \", \")");
    exporter->add_flag("--no-data", exportArgs->noData,
                       "Leave the data fields out (Chrome's \"args\", the HTML page's data columns; the other "
                       "formats carry none). speedscope appends a Chrome event's args to its frame's name");
    exporter->add_option("-o,--output", exportArgs->output, "Write to FILE instead of standard output")
        ->type_name("FILE");
    AddOverheadOptions(*exporter, exportArgs->overhead);
    AddRangeOption(*exporter, exportArgs->range);
    exporter->footer(
        "Give speedscope the --speedscope file; it reads a file named *.chrome.json as a DevTools "
        "recording and fails on a Chrome Trace Event export so named.\n"
        "Calls that overlap the end of their caller or the call before them are clipped so that "
        "calls nest; their number goes to stderr.\n"
        "Exit status: 0 on success, 1 when the trace cannot be read or the output cannot be written, "
        "2 on a usage error.");
    exporter->callback([exportArgs, width, format] {
        if (!exportArgs->svg && !exportArgs->html && (width->count() > 0 || format->count() > 0))
            throw CLI::ValidationError(width->count() > 0 ? "--width" : "--format", "needs --svg or --html");
        RunExport(*exportArgs);
    });
}

}  // namespace kivra
