// The whole analysis of a run as one HTML page that any browser opens from
// a file, with the network off: the header lines, the call tree, the
// procedures, the merged flame graph and, against a baseline run, the
// comparison. Style and script are inside the page; nothing is fetched.
//
// The call tree travels as compact data inside the page and is drawn by
// its script a slice at a time, so that a trace of a million calls still
// opens; the tables are plain HTML, readable without the script.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FlatProfile.h"
#include "NumberFormat.h"
#include "TraceDiff.h"

namespace kivra {

// One row of the call tree as the report shows it. The texts are those of
// `kivra rows` and the text report; the numbers place the time bar and find
// the hot path.
struct HtmlTreeRow {
    int Level = 0;  // 0 at the top level; every row follows its parent
    std::string_view Label;
    std::string_view Total;
    std::string_view Own;
    std::string_view DataIn;
    std::string_view DataLog;
    std::string_view DataOut;
    double TotalValue = 0.0;
    double OwnValue = 0.0;
};

struct HtmlReportInput {
    std::string FileName;  // the trace's file name, without its folder
    // Label and value lines of the header, e.g. {"Run Date", "12/7/2026 14:32:05"}.
    std::vector<std::pair<std::string, std::string>> Facts;
    std::string StopMessage;                // why the call tree stopped early; empty when it did not
    std::vector<std::string> Notes;         // lines under the header: the range, the overhead taken out
    std::vector<std::string> TreeHeaders;   // the call tree's six column headers, as the report has them
    std::vector<HtmlTreeRow> Rows;          // in display order
    FlatProfile Procedures;                 // in the order shown first
    const TraceDiff* Comparison = nullptr;  // against the baseline, when there is one
    std::string BaselineName;               // the baseline trace's file name
    std::string FlameGraphSvg;              // the picture, as the SVG export writes it
    NumberFormat TimeFormat = NumberFormat("0.000");
};

// Below this many rows the tree starts wholly expanded; above it, expanded
// down to the deepest level whose rows, with all above them, stay within it.
inline constexpr std::size_t kHtmlRowsOpenAtStart = 5000;

// The most rows the tree shows at once: Expand all opens no more levels
// than fit. A browser lays out only so tall a page (Firefox about 17.9
// million pixels, some 770,000 rows), and past it the last rows cannot be
// scrolled to.
inline constexpr std::size_t kHtmlTallestTree = 500000;

// The level down to which the tree starts expanded: rows at this level and
// above show; the rows below them wait for a click.
int HtmlOpenLevel(const std::vector<HtmlTreeRow>& rows);

// The page. The same input gives the same bytes on every platform.
std::string HtmlReport(const HtmlReportInput& input);

// Text as HTML text or inside an attribute in double quotes: markup
// characters escaped; bytes that are not UTF-8 and control characters other
// than tab and line break as U+FFFD.
void AppendHtmlText(std::string& out, std::string_view text);

// Text as a string of JSON that may stand inside a script element: nothing
// in it can end the element ("<" is written "\u003c").
void AppendScriptString(std::string& out, std::string_view text);

// The page's style and script (the script is called with the tree's data).
extern const char* const kHtmlReportStyle;
extern const char* const kHtmlReportScript;

}  // namespace kivra
