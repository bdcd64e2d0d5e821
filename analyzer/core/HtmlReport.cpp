#include "HtmlReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "DiffRows.h"
#include "ProcedureTable.h"
#include "TableHeaders.h"
#include "TextEncoding.h"
#include "TimeBar.h"

namespace kivra {
namespace {

void AppendInt(std::string& out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// The shortest text that reads back as the same double: the same on every
// platform, unlike a printf under a locale.
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0.0;
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// Each row's parent, -1 at the top level, from the rows' levels.
std::vector<int> ParentsOf(const std::vector<HtmlTreeRow>& rows) {
    std::vector<int> parents(rows.size(), -1);
    std::vector<int> open;  // the rows on the path to the current one
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto level = static_cast<std::size_t>(std::max(rows[i].Level, 0));
        if (open.size() > level) open.resize(level);
        parents[i] = open.empty() ? -1 : open.back();
        open.push_back(static_cast<int>(i));
    }
    return parents;
}

class PageWriter {
public:
    explicit PageWriter(const HtmlReportInput& input) : in_(input), percent_(PercentFormat(input.TimeFormat)) {}

    std::string Write() {
        std::size_t guess = 16384 + in_.FlameGraphSvg.size() + in_.Procedures.Entries.size() * 400;
        for (const HtmlTreeRow& row : in_.Rows)
            guess +=
                24 + row.Total.size() + row.Own.size() + row.DataIn.size() + row.DataLog.size() + row.DataOut.size();
        out_.reserve(guess);
        Head();
        Header();
        CallTree();
        Procedures();
        FlameGraph();
        Comparison();
        out_ += "</main>\n";
        TreeData();
        out_ += "<script>\n";
        out_ += kHtmlReportScript;
        out_ += "</script>\n</body>\n</html>\n";
        return std::move(out_);
    }

private:
    void Text(std::string_view text) { AppendHtmlText(out_, text); }

    void Head() {
        out_ +=
            "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<meta name=\"color-scheme\" content=\"light dark\">\n"
            "<meta name=\"generator\" content=\"Kivra\">\n<title>";
        Text(in_.FileName);
        out_ += " \xE2\x80\x94 Kivra report</title>\n<style>\n";
        out_ += kHtmlReportStyle;
        out_ += "</style>\n</head>\n<body>\n";
    }

    void Header() {
        out_ += "<header class=\"k-head\">\n<h1>";
        Text(in_.FileName);
        out_ += "</h1>\n<dl class=\"k-facts\">\n";
        for (const auto& [label, value] : in_.Facts) {
            out_ += "<div><dt>";
            Text(label);
            out_ += "</dt><dd>";
            Text(value);
            out_ += "</dd></div>\n";
        }
        out_ += "</dl>\n";
        if (!in_.StopMessage.empty()) {
            out_ += "<p class=\"k-stop\" role=\"alert\">";
            Text(in_.StopMessage);
            out_ += "</p>\n";
        }
        for (const std::string& note : in_.Notes) {
            out_ += "<p class=\"k-note\">";
            Text(note);
            out_ += "</p>\n";
        }
        out_ +=
            "</header>\n<nav class=\"k-bar\" aria-label=\"Report\">\n"
            "<a href=\"#call-tree\">Call Tree</a> <a href=\"#procedures\">Procedures</a> "
            "<a href=\"#flame-graph\">Flame Graph</a>";
        if (in_.Comparison != nullptr) out_ += " <a href=\"#compare\">Compare</a>";
        out_ +=
            "\n<span class=\"k-find\" role=\"search\"><label for=\"k-find\">Find</label> "
            "<input id=\"k-find\" type=\"search\" placeholder=\"Procedure name\" autocomplete=\"off\" "
            "aria-describedby=\"k-found\" disabled> "
            "<label><input id=\"k-regex\" type=\"checkbox\"> Regular expression</label> "
            "<span id=\"k-found\" aria-live=\"polite\"></span></span>\n</nav>\n<main>\n";
    }

    void CallTree() {
        out_ +=
            "<section id=\"call-tree\" aria-labelledby=\"call-tree-h\">\n<h2 id=\"call-tree-h\">Call Tree</h2>\n"
            "<div class=\"k-tools\"><button type=\"button\" id=\"k-hot\" title=\"Expand the calls with the largest "
            "totals from the chosen row down\">Expand hot path</button> "
            "<button type=\"button\" id=\"k-expand\">Expand all</button> "
            "<button type=\"button\" id=\"k-collapse\">Collapse all</button> "
            "<span id=\"k-tree-count\" aria-live=\"polite\"></span></div>\n"
            "<div class=\"k-scroll\" id=\"k-tree-scroll\">\n"
            "<table class=\"k-tree\" role=\"treegrid\" aria-labelledby=\"call-tree-h\" data-view=\"call-tree\" "
            "data-open-level=\"";
        AppendInt(out_, HtmlOpenLevel(in_.Rows));
        out_ += "\" data-tallest=\"";
        AppendInt(out_, static_cast<long long>(kHtmlTallestTree));
        out_ += "\" data-rows=\"";
        AppendInt(out_, static_cast<long long>(in_.Rows.size()));
        out_ += "\">\n<thead><tr>";
        for (std::size_t c = 0; c < in_.TreeHeaders.size(); ++c) {
            out_ += c == 2 ? "<th scope=\"col\" class=\"k-own\">" : "<th scope=\"col\">";
            Text(in_.TreeHeaders[c]);
            out_ += "</th>";
        }
        out_ +=
            "</tr></thead>\n<tbody id=\"k-tree-body\"></tbody>\n</table>\n</div>\n"
            "<noscript><p>The call tree is drawn by the page's script; the tables below need none.</p>"
            "</noscript>\n</section>\n";
    }

    // A sortable table's header: a button per column that says its order.
    template <std::size_t N>
    void SortableHeader(const char* const (&headers)[N], std::size_t sortedBy, bool descending) {
        out_ += "<thead><tr>";
        for (std::size_t c = 0; c < N; ++c) {
            out_ += "<th scope=\"col\" aria-sort=\"";
            out_ += c == sortedBy ? (descending ? "descending" : "ascending") : "none";
            out_ += c == 0 ? "\">" : "\" class=\"k-num\">";
            out_ += "<button type=\"button\" data-col=\"";
            AppendInt(out_, static_cast<long long>(c));
            out_ += "\">";
            Text(HeaderOnOneLine(headers[c]));
            out_ += "</button></th>";
        }
        out_ += "</tr></thead>\n";
    }

    void Procedures() {
        out_ +=
            "<section id=\"procedures\" aria-labelledby=\"procedures-h\">\n<h2 id=\"procedures-h\">Procedures</h2>\n"
            "<div class=\"k-scroll\">\n<table class=\"k-table\" data-view=\"procedures\" "
            "aria-labelledby=\"procedures-h\">\n";
        constexpr auto kColumns = static_cast<std::size_t>(ProcedureColumn::Count);
        SortableHeader(kProcedureHeaders, static_cast<std::size_t>(ProcedureColumn::Own), true);
        out_ += "<tbody>\n";
        for (const FlatEntry& entry : in_.Procedures.Entries) {
            out_ += "<tr data-name=\"";
            Text(entry.Name);
            out_ += "\"><th scope=\"row\">";
            Text(entry.Name);
            out_ += "</th>";
            for (std::size_t c = 1; c < kColumns; ++c) {
                const auto column = static_cast<ProcedureColumn>(c);
                out_ += "<td data-v=\"";
                AppendNumber(out_, ProcedureValue(entry, column));
                out_ += "\">";
                Text(ProcedureCellText(entry, column, in_.TimeFormat, percent_));
                out_ += "</td>";
            }
            out_ += "</tr>\n";
        }
        out_ += "</tbody>\n</table>\n</div>\n</section>\n";
    }

    void FlameGraph() {
        out_ +=
            "<section id=\"flame-graph\" aria-labelledby=\"flame-graph-h\">\n<h2 id=\"flame-graph-h\">Flame Graph</h2>"
            "\n<div class=\"k-flame\" data-view=\"flame-graph\">\n";
        // Inline, without the XML declaration a page may not hold.
        std::string_view svg = in_.FlameGraphSvg;
        if (svg.starts_with("<?xml")) {
            const std::size_t end = svg.find("?>");
            svg.remove_prefix(end == std::string_view::npos ? svg.size() : end + 2);
            while (!svg.empty() && (svg.front() == '\n' || svg.front() == '\r')) svg.remove_prefix(1);
        }
        out_ += svg;
        out_ += "</div>\n</section>\n";
    }

    void Comparison() {
        if (in_.Comparison == nullptr) return;
        const TraceDiff& diff = *in_.Comparison;
        out_ += "<section id=\"compare\" aria-labelledby=\"compare-h\">\n<h2 id=\"compare-h\">Compare with ";
        Text(in_.BaselineName);
        out_ += "</h2>\n<p class=\"k-note\">";
        Text(DiffSummaryText(diff, in_.TimeFormat, percent_));
        out_ +=
            "</p>\n<div class=\"k-scroll\">\n<table class=\"k-table k-diff\" data-view=\"compare\" "
            "aria-labelledby=\"compare-h\">\n";
        constexpr auto kColumns = static_cast<std::size_t>(DiffColumn::Count);
        SortableHeader(kDiffHeaders, kColumns, true);
        out_ += "<tbody>\n";
        for (const DiffEntry& entry : diff.Entries) {
            out_ += "<tr data-name=\"";
            Text(entry.Name);
            out_ += '"';
            if (entry.OwnChange > 0.0) out_ += " class=\"k-slower\"";
            if (entry.OwnChange < 0.0) out_ += " class=\"k-faster\"";
            out_ += "><th scope=\"row\">";
            Text(entry.Name);
            out_ += "</th>";
            for (std::size_t c = 1; c < kColumns; ++c) {
                const auto column = static_cast<DiffColumn>(c);
                out_ += "<td data-v=\"";
                const double value = DiffValue(entry, column);
                AppendNumber(out_, std::isinf(value) ? (value > 0 ? 1e300 : -1e300) : value);
                out_ += "\">";
                Text(DiffCellText(entry, column, in_.TimeFormat, percent_));
                out_ += "</td>";
            }
            out_ += "</tr>\n";
        }
        out_ += "</tbody>\n</table>\n</div>\n</section>\n";
    }

    // The tree's rows for the script: the labels once each, then per row
    // [level, label, total, own, bar, hot child, data in, data log, data
    // out], the bar in thousandths of the cell and the hot child as the
    // distance to the child with the largest total (0 without children),
    // the data fields left off when empty.
    void TreeData() {
        const std::vector<HtmlTreeRow>& rows = in_.Rows;
        const std::vector<int> parents = ParentsOf(rows);
        std::vector<int> hotChild(rows.size(), -1);
        int hotTop = -1;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int parent = parents[i];
            int& best = parent < 0 ? hotTop : hotChild[static_cast<std::size_t>(parent)];
            if (best < 0 || rows[i].TotalValue > rows[static_cast<std::size_t>(best)].TotalValue)
                best = static_cast<int>(i);
        }
        // A full bar stands for the largest own time, as in the window.
        double scale = 0.0;
        for (const HtmlTreeRow& row : rows) scale = std::max(scale, row.OwnValue);
        if (!(scale > 0.0)) scale = kDefaultBarScale;

        // Each label once, numbered in the order of its first row.
        std::vector<std::string_view> labels;
        std::vector<int> labelOf(rows.size(), 0);
        std::unordered_map<std::string_view, int> numbers;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto [it, added] = numbers.try_emplace(rows[i].Label, static_cast<int>(labels.size()));
            if (added) labels.push_back(rows[i].Label);
            labelOf[i] = it->second;
        }

        out_ += "<script type=\"application/json\" id=\"k-data\">{\"hot\":";
        AppendInt(out_, hotTop);
        out_ += ",\"labels\":[";
        for (std::size_t n = 0; n < labels.size(); ++n) {
            if (n > 0) out_ += ',';
            AppendScriptString(out_, labels[n]);
        }
        out_ += "],\n\"rows\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const HtmlTreeRow& row = rows[i];
            out_ += i == 0 ? "\n[" : ",\n[";
            AppendInt(out_, row.Level);
            out_ += ',';
            AppendInt(out_, labelOf[i]);
            out_ += ',';
            AppendScriptString(out_, row.Total);
            out_ += ',';
            AppendScriptString(out_, row.Own);
            out_ += ',';
            const double share = std::clamp(row.OwnValue / scale, 0.0, 1.0);
            AppendInt(out_, std::isfinite(share) ? std::lround(share * 1000.0) : 0);
            out_ += ',';
            AppendInt(out_, hotChild[i] < 0 ? 0 : hotChild[i] - static_cast<int>(i));
            const std::string_view data[] = {row.DataIn, row.DataLog, row.DataOut};
            std::size_t fields = 3;
            while (fields > 0 && data[fields - 1].empty()) --fields;
            for (std::size_t f = 0; f < fields; ++f) {
                out_ += ',';
                AppendScriptString(out_, data[f]);
            }
            out_ += ']';
        }
        out_ += "]}</script>\n";
    }

    const HtmlReportInput& in_;
    NumberFormat percent_;
    std::string out_;
};

}  // namespace

int HtmlOpenLevel(const std::vector<HtmlTreeRow>& rows) {
    std::vector<std::size_t> perLevel;
    for (const HtmlTreeRow& row : rows) {
        const auto level = static_cast<std::size_t>(std::max(row.Level, 0));
        if (perLevel.size() <= level) perLevel.resize(level + 1, 0);
        ++perLevel[level];
    }
    std::size_t shown = 0;
    for (std::size_t level = 0; level < perLevel.size(); ++level) {
        shown += perLevel[level];
        if (shown > kHtmlRowsOpenAtStart) return static_cast<int>(level == 0 ? 0 : level - 1);
    }
    return perLevel.empty() ? 0 : static_cast<int>(perLevel.size() - 1);
}

std::string HtmlReport(const HtmlReportInput& input) { return PageWriter(input).Write(); }

void AppendHtmlText(std::string& out, std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        // Plain runs go across whole.
        const std::size_t start = at;
        while (at < text.size()) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte >= 0x80 || byte < 0x20 || byte == 0x7F || byte == '&' || byte == '<' || byte == '>' || byte == '"')
                break;
            ++at;
        }
        out.append(text.data() + start, at - start);
        if (at >= text.size()) break;
        char32_t point = NextCodePoint(text, at);
        if ((point < 0x20 && point != '\t' && point != '\n') || point == 0x7F || point == 0xFFFE || point == 0xFFFF)
            point = 0xFFFD;
        switch (point) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: AppendUtf8(out, point);
        }
    }
}

void AppendScriptString(std::string& out, std::string_view text) {
    static const char* const kHex = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        while (at < text.size()) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte >= 0x80 || byte < 0x20 || byte == '"' || byte == '\\' || byte == '<' || byte == '>' || byte == '&')
                break;
            ++at;
        }
        out.append(text.data() + start, at - start);
        if (at >= text.size()) break;
        char32_t point = NextCodePoint(text, at);
        if (point == 0xFFFE || point == 0xFFFF) point = 0xFFFD;
        if (point == '"' || point == '\\') {
            out += '\\';
            out += static_cast<char>(point);
        } else if (point < 0x20 || point == '<' || point == '>' || point == '&' || point == 0x2028 || point == 0x2029) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(point >> shift) & 15];
        } else {
            AppendUtf8(out, point);
        }
    }
    out += '"';
}

}  // namespace kivra
