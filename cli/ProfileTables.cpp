#include "ProfileTables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "CallerCallee.h"
#include "DiffRows.h"
#include "ProcedureTable.h"
#include "RunsDiffRows.h"
#include "TableHeaders.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

using Json = nlohmann::ordered_json;

// Columns aligned with two blanks between them, a header and a rule.
class TextTable {
public:
    void AddColumn(std::string header, bool rightAligned) {
        widths_.push_back(Utf8Length(header));
        right_.push_back(rightAligned);
        header_.push_back(std::move(header));
    }
    void AddRow(std::vector<std::string> cells) {
        for (std::size_t c = 0; c < cells.size() && c < widths_.size(); ++c) {
            widths_[c] = std::max(widths_[c], Utf8Length(cells[c]));
        }
        rows_.push_back(std::move(cells));
    }
    std::string Text() const {
        std::string out;
        AppendLine(out, header_);
        std::vector<std::string> rule;
        for (const std::size_t width : widths_) rule.emplace_back(width, '-');
        AppendLine(out, rule);
        for (const auto& row : rows_) AppendLine(out, row);
        return out;
    }

private:
    void AppendLine(std::string& out, const std::vector<std::string>& cells) const {
        std::string line;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            const std::string_view cell = c < cells.size() ? std::string_view(cells[c]) : std::string_view();
            if (c > 0) line += "  ";
            const std::size_t fill = widths_[c] - std::min(widths_[c], Utf8Length(cell));
            if (right_[c]) line.append(fill, ' ');
            line += cell;
            if (!right_[c]) line.append(fill, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line;
        out += '\n';
    }

    std::vector<std::string> header_;
    std::vector<std::size_t> widths_;
    std::vector<bool> right_;
    std::vector<std::vector<std::string>> rows_;
};

std::size_t Shown(std::size_t count, std::size_t top) { return top == 0 ? count : std::min(count, top); }

std::string Milliseconds(const NumberFormat& format, double value) { return format.Format(static_cast<float>(value)); }

// Numbers to the seven significant digits that single precision holds (at
// most six decimals), so that sums of single-precision times print as they
// were written: 0.74, not 0.7400000095367432; 74, not 74.000001.
double Rounded(double value) {
    if (!std::isfinite(value) || value == 0.0) return 0.0;
    const int decimals = std::clamp(6 - static_cast<int>(std::floor(std::log10(std::fabs(value)))), 0, 6);
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return rounded == 0.0 ? 0.0 : rounded;  // no "-0"
}

std::string CsvNumber(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, Rounded(value)).ptr;
    return std::string(buffer, end);
}

std::string CsvText(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0) line += ',';
        line += cells[c];
    }
    return line + '\n';
}

std::string Dump(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

Json OptionalNumber(const std::optional<double>& value) { return value ? Json(Rounded(*value)) : Json(nullptr); }

const char* StatusName(DiffStatus status) {
    switch (status) {
    case DiffStatus::Added: return "added";
    case DiffStatus::Removed: return "removed";
    case DiffStatus::Both: break;
    }
    return "both";
}

}  // namespace

std::string FlatTable(const FlatProfile& profile, const NumberFormat& format, std::size_t top) {
    constexpr int kColumns = static_cast<int>(ProcedureColumn::Count);
    TextTable table;
    for (int c = 0; c < kColumns; ++c) table.AddColumn(HeaderOnOneLine(kProcedureHeaders[c]), c > 0);
    const NumberFormat percentFormat = PercentFormat(format);
    const std::size_t shown = Shown(profile.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        std::vector<std::string> cells;
        for (int c = 0; c < kColumns; ++c) {
            cells.push_back(
                ProcedureCellText(profile.Entries[e], static_cast<ProcedureColumn>(c), format, percentFormat));
        }
        table.AddRow(std::move(cells));
    }
    std::string out = table.Text();
    const std::size_t count = profile.Entries.size();
    out += std::to_string(count) + (count == 1 ? " procedure" : " procedures");
    if (shown < count) out += " (" + std::to_string(shown) + " shown)";
    out += ", " + std::to_string(profile.CallCount) + (profile.CallCount == 1 ? " call" : " calls");
    out += ", top-level total " + Milliseconds(format, profile.TopLevelTotal) + " ms\n";
    return out;
}

std::string FlatCsv(const FlatProfile& profile, std::size_t top) {
    std::string out = "name,calls,own_ms,total_ms,mean_own_ms,max_own_ms,own_percent\n";
    const std::size_t shown = Shown(profile.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        const FlatEntry& entry = profile.Entries[e];
        out += CsvLine({CsvText(entry.Name), std::to_string(entry.Calls), CsvNumber(entry.Own), CsvNumber(entry.Total),
                        CsvNumber(entry.MeanOwn), CsvNumber(entry.MaxOwn), CsvNumber(entry.OwnPercent)});
    }
    return out;
}

std::string FlatJson(const FlatProfile& profile, std::size_t top) {
    Json procedures = Json::array();
    const std::size_t shown = Shown(profile.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        const FlatEntry& entry = profile.Entries[e];
        procedures.push_back(Json{{"name", entry.Name},
                                  {"calls", entry.Calls},
                                  {"own_ms", Rounded(entry.Own)},
                                  {"total_ms", Rounded(entry.Total)},
                                  {"mean_own_ms", Rounded(entry.MeanOwn)},
                                  {"max_own_ms", Rounded(entry.MaxOwn)},
                                  {"own_percent", Rounded(entry.OwnPercent)}});
    }
    return Dump(Json{{"top_level_total_ms", Rounded(profile.TopLevelTotal)},
                     {"own_sum_ms", Rounded(profile.OwnSum)},
                     {"calls", profile.CallCount},
                     {"procedure_count", profile.Entries.size()},
                     {"procedures", std::move(procedures)}});
}

std::string DiffTable(const TraceDiff& diff, const NumberFormat& format, std::size_t top) {
    constexpr int kColumns = static_cast<int>(DiffColumn::Count);
    TextTable table;
    for (int c = 0; c < kColumns; ++c) table.AddColumn(HeaderOnOneLine(kDiffHeaders[c]), c > 0);
    const NumberFormat percentFormat = PercentFormat(format);
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        std::vector<std::string> cells;
        for (int c = 0; c < kColumns; ++c) {
            cells.push_back(DiffCellText(diff.Entries[e], static_cast<DiffColumn>(c), format, percentFormat));
        }
        table.AddRow(std::move(cells));
    }
    return table.Text() + DiffSummaryText(diff, format, percentFormat) + "\n";
}

std::string DiffCsv(const TraceDiff& diff, std::size_t top) {
    std::string out =
        "name,status,old_calls,new_calls,old_own_ms,new_own_ms,old_total_ms,new_total_ms,"
        "own_change_ms,own_change_percent\n";
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        const DiffEntry& entry = diff.Entries[e];
        const bool hasOld = entry.Status != DiffStatus::Added;
        const bool hasNew = entry.Status != DiffStatus::Removed;
        out += CsvLine({CsvText(entry.Name), StatusName(entry.Status), hasOld ? std::to_string(entry.OldCalls) : "",
                        hasNew ? std::to_string(entry.NewCalls) : "", hasOld ? CsvNumber(entry.OldOwn) : "",
                        hasNew ? CsvNumber(entry.NewOwn) : "", hasOld ? CsvNumber(entry.OldTotal) : "",
                        hasNew ? CsvNumber(entry.NewTotal) : "", CsvNumber(entry.OwnChange),
                        entry.OwnChangePercent ? CsvNumber(*entry.OwnChangePercent) : ""});
    }
    return out;
}

std::string DiffJson(const TraceDiff& diff, std::size_t top) {
    Json procedures = Json::array();
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        const DiffEntry& entry = diff.Entries[e];
        const bool hasOld = entry.Status != DiffStatus::Added;
        const bool hasNew = entry.Status != DiffStatus::Removed;
        auto side = [](bool present, int calls, double own, double total) {
            if (!present) return Json(nullptr);
            return Json{{"calls", calls}, {"own_ms", Rounded(own)}, {"total_ms", Rounded(total)}};
        };
        procedures.push_back(Json{{"name", entry.Name},
                                  {"status", StatusName(entry.Status)},
                                  {"old", side(hasOld, entry.OldCalls, entry.OldOwn, entry.OldTotal)},
                                  {"new", side(hasNew, entry.NewCalls, entry.NewOwn, entry.NewTotal)},
                                  {"own_change_ms", Rounded(entry.OwnChange)},
                                  {"own_change_percent", OptionalNumber(entry.OwnChangePercent)}});
    }
    return Dump(Json{{"old_top_level_total_ms", Rounded(diff.OldTopLevelTotal)},
                     {"new_top_level_total_ms", Rounded(diff.NewTopLevelTotal)},
                     {"top_level_change_ms", Rounded(diff.TopLevelChange)},
                     {"top_level_change_percent", OptionalNumber(diff.TopLevelChangePercent)},
                     {"procedures", std::move(procedures)}});
}

namespace {

// p-values keep their small digits: 3e-08 is not 0.
std::string CsvP(double p) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, p).ptr;
    return std::string(buffer, end);
}

Json RunsSideJson(const SideSummary& side) {
    return Json{{"runs", side.Runs},
                {"calls_median", Rounded(side.MedianCalls)},
                {"own_ms_median", Rounded(side.MedianOwn)},
                {"own_ms_mad", Rounded(side.OwnSpread)},
                {"total_ms_median", Rounded(side.MedianTotal)},
                {"total_ms_mad", Rounded(side.TotalSpread)}};
}

Json RunsEntryJson(const RunsDiffEntry& entry) {
    Json interval(nullptr);
    if (entry.OwnInterval) {
        interval = Json{{"low_ms", Rounded(entry.OwnInterval->Low)},
                        {"high_ms", Rounded(entry.OwnInterval->High)},
                        {"level", Rounded(entry.OwnInterval->Level)}};
    }
    return Json{{"name", entry.Name},
                {"old", RunsSideJson(entry.Old)},
                {"new", RunsSideJson(entry.New)},
                {"own_change_ms", Rounded(entry.OwnChange)},
                {"own_change_percent", OptionalNumber(entry.OwnChangePercent)},
                {"total_change_ms", Rounded(entry.TotalChange)},
                {"total_change_percent", OptionalNumber(entry.TotalChangePercent)},
                {"own_change_interval", std::move(interval)},
                {"p_value", entry.PValue},
                {"verdict", VerdictText(entry.Verdict)}};
}

}  // namespace

std::string RunsDiffTable(const RunsDiff& diff, const NumberFormat& format, std::size_t top) {
    constexpr int kColumns = static_cast<int>(RunsColumn::Count);
    TextTable table;
    for (int c = 0; c < kColumns; ++c) {
        table.AddColumn(HeaderOnOneLine(kRunsHeaders[c]), c > 0 && c != static_cast<int>(RunsColumn::Verdict));
    }
    const NumberFormat percentFormat = PercentFormat(format);
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) {
        std::vector<std::string> cells;
        for (int c = 0; c < kColumns; ++c) {
            cells.push_back(RunsCellText(diff.Entries[e], static_cast<RunsColumn>(c), format, percentFormat));
        }
        table.AddRow(std::move(cells));
    }
    std::string out = table.Text() + RunsSummaryText(diff, format, percentFormat) + "\n" + RunsMethodText() + "\n";
    const std::string note = RunsNoteText(diff);
    if (!note.empty()) out += note + "\n";
    return out;
}

std::string RunsDiffCsv(const RunsDiff& diff, std::size_t top) {
    std::string out =
        "name,old_runs,new_runs,old_calls_median,new_calls_median,old_own_ms_median,old_own_ms_mad,"
        "new_own_ms_median,new_own_ms_mad,old_total_ms_median,old_total_ms_mad,new_total_ms_median,"
        "new_total_ms_mad,own_change_ms,own_change_percent,interval_low_ms,interval_high_ms,interval_level,"
        "p_value,verdict\n";
    auto line = [&](const RunsDiffEntry& entry) {
        const auto& interval = entry.OwnInterval;
        out += CsvLine({CsvText(entry.Name),
                        std::to_string(entry.Old.Runs),
                        std::to_string(entry.New.Runs),
                        CsvNumber(entry.Old.MedianCalls),
                        CsvNumber(entry.New.MedianCalls),
                        CsvNumber(entry.Old.MedianOwn),
                        CsvNumber(entry.Old.OwnSpread),
                        CsvNumber(entry.New.MedianOwn),
                        CsvNumber(entry.New.OwnSpread),
                        CsvNumber(entry.Old.MedianTotal),
                        CsvNumber(entry.Old.TotalSpread),
                        CsvNumber(entry.New.MedianTotal),
                        CsvNumber(entry.New.TotalSpread),
                        CsvNumber(entry.OwnChange),
                        entry.OwnChangePercent ? CsvNumber(*entry.OwnChangePercent) : "",
                        interval ? CsvNumber(interval->Low) : "",
                        interval ? CsvNumber(interval->High) : "",
                        interval ? CsvNumber(interval->Level) : "",
                        CsvP(entry.PValue),
                        VerdictText(entry.Verdict)});
    };
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) line(diff.Entries[e]);
    return out;
}

std::string RunsDiffJson(const RunsDiff& diff, std::size_t top) {
    Json procedures = Json::array();
    const std::size_t shown = Shown(diff.Entries.size(), top);
    for (std::size_t e = 0; e < shown; ++e) procedures.push_back(RunsEntryJson(diff.Entries[e]));
    const std::string note = RunsNoteText(diff);
    return Dump(Json{{"old_runs", diff.OldRuns},
                     {"new_runs", diff.NewRuns},
                     {"spread", "median absolute deviation"},
                     {"interval", "Hodges-Lehmann, of the change of own time"},
                     {"test", "Mann-Whitney U, two-sided, of own time"},
                     {"note", note.empty() ? Json(nullptr) : Json(note)},
                     {"top_level", RunsEntryJson(diff.TopLevel)},
                     {"procedures", std::move(procedures)}});
}

namespace {

// One list of callers or callees: a table, or a line saying there are none.
std::string EdgeTable(const CallProfile& profile, const std::vector<CallEdge>& edges, const char* header,
                      const char* none, const NumberFormat& format) {
    if (edges.empty()) return std::string(none) + "\n";
    TextTable table;
    table.AddColumn(header, false);
    table.AddColumn("Calls", true);
    table.AddColumn("Total (ms)", true);
    for (const CallEdge& edge : edges) {
        table.AddRow({std::string(EdgeNameText(profile, edge.Name)), std::to_string(edge.Calls),
                      Milliseconds(format, edge.Total)});
    }
    return table.Text();
}

Json EdgesJson(const CallProfile& profile, const std::vector<CallEdge>& edges) {
    Json out = Json::array();
    for (const CallEdge& edge : edges) {
        out.push_back(Json{{"name", std::string(EdgeNameText(profile, edge.Name))},
                           {"calls", edge.Calls},
                           {"total_ms", Rounded(edge.Total)}});
    }
    return out;
}

}  // namespace

std::string PeekTable(const CallProfile& profile, const std::vector<CallerCallee>& procedures,
                      const NumberFormat& format) {
    std::string out;
    for (const CallerCallee& procedure : procedures) {
        if (!out.empty()) out += '\n';
        out += std::string(EdgeNameText(profile, procedure.Name)) + ": " + std::to_string(procedure.Calls) +
               (procedure.Calls == 1 ? " call" : " calls") + ", own " + Milliseconds(format, procedure.Own) +
               " ms, total " + Milliseconds(format, procedure.Total) + " ms\n\n";
        out += EdgeTable(profile, procedure.Callers, "Caller", "No callers", format);
        out += '\n';
        out += EdgeTable(profile, procedure.Callees, "Callee", "No callees", format);
    }
    return out;
}

std::string PeekJson(const CallProfile& profile, const std::vector<CallerCallee>& procedures) {
    Json out = Json::array();
    for (const CallerCallee& procedure : procedures) {
        out.push_back(Json{{"name", std::string(EdgeNameText(profile, procedure.Name))},
                           {"calls", procedure.Calls},
                           {"own_ms", Rounded(procedure.Own)},
                           {"total_ms", Rounded(procedure.Total)},
                           {"callers", EdgesJson(profile, procedure.Callers)},
                           {"callees", EdgesJson(profile, procedure.Callees)}});
    }
    return Dump(Json{{"procedures", std::move(out)}});
}

}  // namespace kivra
