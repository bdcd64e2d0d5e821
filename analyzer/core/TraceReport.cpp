#include "TraceReport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "TextEncoding.h"

namespace kivra {
namespace {

bool IsAscii(std::string_view text) {
    // Eight bytes at a time, then the rest.
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & kHighBits) != 0) return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

// Copies the part of a text that fits into a cell of n characters already
// filled with blanks. False when that part is not all ASCII: then bytes are
// not characters, and the caller lays the line out again.
bool PutAscii(char* cell, std::string_view text, std::size_t n) {
    const std::size_t size = std::min(text.size(), n);
    const char* from = text.data();
    // Copied and checked in one pass, eight bytes at a time.
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, from + i, sizeof word);
        std::memcpy(cell + i, &word, sizeof word);
        high |= word;
    }
    unsigned char rest = 0;
    for (; i < size; ++i) {
        cell[i] = from[i];
        rest |= static_cast<unsigned char>(from[i]);
    }
    return (high & 0x8080808080808080ULL) == 0 && rest < 0x80;
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
    const std::size_t indent = static_cast<std::size_t>(level > 0 ? level : 0) * 5;
    const std::string_view marker = !hasChildren ? "  " : (expanded ? "- " : "+ ");
    const std::string_view label = cellCount > 0 ? cells[0] : std::string_view();

    // Usually every text is ASCII: fill the line with blanks and copy each
    // text's visible part into its place.
    const std::size_t start = out.size();
    out.append(lineLength_, ' ');
    char* line = out.data() + start;
    bool ascii = true;
    if (!chars_.empty()) {
        const std::size_t width = chars_[0];
        if (indent < width) {
            const std::size_t markerChars = std::min(marker.size(), width - indent);
            std::memcpy(line + indent, marker.data(), markerChars);
            const std::size_t used = indent + markerChars;
            ascii = PutAscii(line + used, label, width - used);
        }
    }
    std::size_t offset = chars_.empty() ? 0 : chars_[0];
    for (std::size_t c = 1; ascii && c < chars_.size(); ++c) {
        if (c < cellCount) ascii = PutAscii(line + offset, cells[c], chars_[c]);
        offset += chars_[c];
    }
    if (ascii) {
        out += "\r\n";
        return;
    }

    // Some visible text is not ASCII: count characters.
    out.resize(start);
    first_.assign(indent, ' ');
    first_ += marker;
    first_ += label;
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

std::string ReportLines(const TableSnapshot& table, const std::vector<std::size_t>& rows) {
    ReportWriter writer(table.columns);
    std::string lines;
    std::vector<std::string_view> cells;
    for (const std::size_t r : rows) {
        if (r >= table.rows.size()) continue;
        const ReportRow& row = table.rows[r];
        cells.assign(row.cells.begin(), row.cells.end());
        writer.AppendRow(lines, row.level, row.hasChildren, row.expanded, true, cells.data(), cells.size());
    }
    return lines;
}

}  // namespace kivra
