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

// The lines of the given rows (indexes into table.rows, in that order) as the
// report writes them, without the header and the rule; a row inside a
// collapsed branch gets its line too.
std::string ReportLines(const TableSnapshot& table, const std::vector<std::size_t>& rows);

// Writes the same report row by row, for callers that hold the cell texts
// elsewhere and need no snapshot. `columns` are the table's columns, as in
// TableSnapshot.
class ReportWriter {
public:
    explicit ReportWriter(const std::vector<ReportColumn>& columns);

    // Appends the header line and the rule.
    void AppendHeader(std::string& out) const;
    // Appends one row's line unless the row is not shown. `cells` holds the
    // texts of the table's columns from column 1; missing ones are empty.
    void AppendRow(std::string& out, int level, bool hasChildren, bool expanded, bool shown,
                   const std::string_view* cells, std::size_t cellCount);

    // Characters of one row line, without its CR LF.
    std::size_t LineLength() const { return lineLength_; }

private:
    std::vector<std::string> headers_;
    std::vector<std::size_t> chars_;
    std::size_t lineLength_ = 0;
    std::string first_;
};

}  // namespace kivra
