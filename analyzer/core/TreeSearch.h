// Finding rows of the call tree: the rows that match a search, in display
// order, and the hot path down from a row. Plain functions over the rows'
// texts and totals, for the window's find bar and tree actions.
#pragma once

#include <cstddef>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

// The texts of one row that a search looks at.
struct SearchRow {
    std::string_view name;
    std::string_view dataIn;
    std::string_view dataLog;
    std::string_view dataOut;
};

struct FindQuery {
    std::string text;
    bool matchCase = false;
    bool regularExpression = false;
    bool dataFields = false;  // the three data fields too, not only the name
};

class RowMatcher {
public:
    // Characters of a text that a regular expression looks at.
    static constexpr std::size_t kExpressionTextLimit = 1000;

    // Nothing, with the reason in `why`, for an expression that is not one.
    static std::optional<RowMatcher> Make(const FindQuery& query, std::string* why = nullptr);

    bool Matches(const SearchRow& row) const;
    // The rows that match, in display order.
    std::vector<std::size_t> AllMatches(const std::vector<SearchRow>& rows) const;

private:
    bool MatchesText(std::string_view text) const;
    // The matching rows among rows[begin, end).
    std::vector<std::size_t> MatchesIn(const std::vector<SearchRow>& rows, std::size_t begin, std::size_t end) const;

    FindQuery query_;
    std::string lowered_;  // the text in lower case, for a search that ignores case
    std::optional<std::regex> expression_;
};

// The next match after `from` (or the previous one before it), going round
// the end; nothing when no row matches. `from` past the end starts at the
// first (or the last) row.
std::optional<std::size_t> NextMatch(const std::vector<std::size_t>& matches, std::size_t from, bool forward);

// The hot path: from the start row down, at each level the child with the
// largest total (the first of equal ones), to a row without children.
// `parents` holds each row's parent (-1 at the top level), every row after
// its parent. From a top-level row, or from none (-1), the path starts at
// the top-level row with the largest total.
std::vector<std::size_t> HotPath(const std::vector<int>& parents, const std::vector<float>& totals, int from);

}  // namespace kivra
