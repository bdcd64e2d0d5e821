// The fixed-width text report of the trace table, as a pure function of what
// the table shows, so that the window and the command-line tool give the
// same text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

struct ReportColumn {
    std::string header;
    int width = 0;  // in the grid's unit, as the "Columns" settings
};

struct ReportRow {
    int level = 0;
    bool hasChildren = false;
    bool expanded = true;
    bool shown = true;               // false inside a collapsed branch
    std::vector<std::string> cells;  // texts of the table's columns, from column 1
};

// The table as shown: every column of the grid (the last two, Order and
// Depth, are not reported) and every row in display order.
struct TableSnapshot {
    std::vector<ReportColumn> columns;
    std::vector<ReportRow> rows;
};

// `text` cut or filled with blanks to exactly n characters (code points).
std::string Pad(std::string_view text, std::size_t n);
void AppendPadded(std::string& out, std::string_view text, std::size_t n);

// Characters of a report column for a grid width: width / 10 (+ 25 for the
// first column), rounded half to even; never below 0.
std::size_t ReportColumnChars(int width, bool firstColumn);

// The report: a header line, a rule of dashes two longer than the header,
// one line per shown row; every line ends in CR LF.
std::string ReportText(const TableSnapshot& table);

}  // namespace kivra
