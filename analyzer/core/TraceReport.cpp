#include "TraceReport.h"

#include "TextEncoding.h"

namespace kivra {

void AppendPadded(std::string& out, std::string_view text, std::size_t n) {
    const std::string_view cut = Utf8Prefix(text, n);
    out.append(cut);
    const std::size_t length = cut.size() == text.size() ? Utf8Length(text) : n;
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

std::string ReportText(const TableSnapshot& table) {
    const std::size_t columns = table.columns.size() >= 2 ? table.columns.size() - 2 : 0;
    std::vector<std::size_t> chars(columns);
    std::size_t lineLength = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        chars[c] = ReportColumnChars(table.columns[c].width, c == 0);
        lineLength += chars[c];
    }
    std::string report;
    report.reserve((lineLength + 2) * (table.rows.size() + 2));
    for (std::size_t c = 0; c < columns; ++c) AppendPadded(report, table.columns[c].header, chars[c]);
    report += "\r\n";
    report.append(Utf8Length(report), '-');
    report += "\r\n";

    std::string first;
    for (const ReportRow& row : table.rows) {
        if (!row.shown) continue;
        first.assign(static_cast<std::size_t>(row.level > 0 ? row.level : 0) * 5, ' ');
        first += !row.hasChildren ? "  " : (row.expanded ? "- " : "+ ");
        if (!row.cells.empty()) first += row.cells[0];
        for (std::size_t c = 0; c < columns; ++c) {
            const std::string_view text =
                c == 0 ? std::string_view(first) : (c < row.cells.size() ? std::string_view(row.cells[c]) : "");
            AppendPadded(report, text, chars[c]);
        }
        report += "\r\n";
    }
    return report;
}

}  // namespace kivra
