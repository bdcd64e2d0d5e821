#include "TraceReport.h"

#include "TextEncoding.h"

namespace kivra {
namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

void AppendPadded(std::string& out, std::string_view text, std::size_t n) {
    std::size_t length = 0;
    if (IsAscii(text)) {
        if (text.size() > n) text = text.substr(0, n);
        length = text.size();
        out.append(text);
    } else {
        const std::string_view cut = Utf8Prefix(text, n);
        length = Utf8Length(cut);
        out.append(cut);
    }
    if (length < n) out.append(n - length, ' ');
}

std::string Pad(std::string_view text, std::size_t n) {
    std::string out;
    AppendPadded(out, text, n);
    return out;
}

std::size_t ReportColumnChars(int width, bool firstColumn) {
    // Tenths of a character, so that halves round exactly.
    const long long tenths = static_cast<long long>(width) + (firstColumn ? 250 : 0);
    if (tenths <= 0) return 0;
    long long whole = tenths / 10;
    const long long rest = tenths % 10;
    if (rest > 5 || (rest == 5 && whole % 2 == 1)) ++whole;
    return static_cast<std::size_t>(whole);
}

ReportWriter::ReportWriter(const std::vector<ReportColumn>& columns) {
    // The last two columns (Order and Depth) are never reported.
    const std::size_t count = columns.size() >= 2 ? columns.size() - 2 : 0;
    for (std::size_t c = 0; c < count; ++c) {
        headers_.push_back(columns[c].header);
        chars_.push_back(ReportColumnChars(columns[c].width, c == 0));
        lineLength_ += chars_.back();
    }
}

void ReportWriter::AppendHeader(std::string& out) const {
    const std::size_t start = out.size();
    for (std::size_t c = 0; c < chars_.size(); ++c) AppendPadded(out, headers_[c], chars_[c]);
    out += "\r\n";
    out.append(Utf8Length(std::string_view(out).substr(start)), '-');
    out += "\r\n";
}

void ReportWriter::AppendRow(std::string& out, int level, bool hasChildren, bool expanded, bool shown,
                             const std::string_view* cells, std::size_t cellCount) {
    if (!shown) return;
    first_.assign(static_cast<std::size_t>(level > 0 ? level : 0) * 5, ' ');
    first_ += !hasChildren ? "  " : (expanded ? "- " : "+ ");
    if (cellCount > 0) first_ += cells[0];
    for (std::size_t c = 0; c < chars_.size(); ++c) {
        const std::string_view text = c == 0 ? std::string_view(first_) : (c < cellCount ? cells[c] : "");
        AppendPadded(out, text, chars_[c]);
    }
    out += "\r\n";
}

std::string ReportText(const TableSnapshot& table) {
    ReportWriter writer(table.columns);
    std::string report;
    report.reserve((writer.LineLength() + 2) * (table.rows.size() + 2));
    writer.AppendHeader(report);
    std::vector<std::string_view> cells;
    for (const ReportRow& row : table.rows) {
        cells.assign(row.cells.begin(), row.cells.end());
        writer.AppendRow(report, row.level, row.hasChildren, row.expanded, row.shown, cells.data(), cells.size());
    }
    return report;
}

}  // namespace kivra
