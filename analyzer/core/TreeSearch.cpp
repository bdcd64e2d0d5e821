#include "TreeSearch.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "TextEncoding.h"

namespace kivra {
namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view lowered) {
    if (lowered.empty()) return true;
    if (text.size() < lowered.size()) return false;
    for (std::size_t i = 0; i + lowered.size() <= text.size(); ++i) {
        if (LowerAscii(text[i]) != lowered[0]) continue;
        std::size_t k = 1;
        while (k < lowered.size() && LowerAscii(text[i + k]) == lowered[k]) ++k;
        if (k == lowered.size()) return true;
    }
    return false;
}

}  // namespace

std::optional<RowMatcher> RowMatcher::Make(const FindQuery& query, std::string* why) {
    RowMatcher matcher;
    matcher.query_ = query;
    if (query.regularExpression) {
        try {
            auto flags = std::regex::ECMAScript | std::regex::optimize;
            if (!query.matchCase) flags |= std::regex::icase;
#ifdef __GLIBCXX__
            // The breadth-first matcher: no recursion as deep as the text is
            // long (which overflows the stack on long data fields) and no
            // exponential backtracking on expressions like "(a?)*x".
            flags |= std::regex_constants::__polynomial;
#endif
            matcher.expression_.emplace(query.text, flags);
        } catch (const std::regex_error& error) {
            if (why != nullptr) *why = error.what();
            return std::nullopt;
        }
    } else if (!query.matchCase) {
        matcher.lowered_ = LowerAscii(query.text);
    }
    return matcher;
}

bool RowMatcher::MatchesText(std::string_view text) const {
    if (expression_) {
        // An expression's time grows with the square of the text's length:
        // it looks at the beginning of a long text only.
        const std::string_view searched = text.substr(0, kExpressionTextLimit);
        return std::regex_search(searched.begin(), searched.end(), *expression_);
    }
    if (query_.matchCase) return text.find(query_.text) != std::string_view::npos;
    return ContainsIgnoringCase(text, lowered_);
}

bool RowMatcher::Matches(const SearchRow& row) const {
    if (MatchesText(row.name)) return true;
    return query_.dataFields && (MatchesText(row.dataIn) || MatchesText(row.dataLog) || MatchesText(row.dataOut));
}

std::vector<std::size_t> RowMatcher::AllMatches(const std::vector<SearchRow>& rows) const {
    if (query_.text.empty()) return {};
    // An expression costs far more than a plain search: on a big trace each
    // half of the rows is searched on a core of its own.
    constexpr std::size_t kSplitRows = std::size_t{1} << 16;
    if (expression_ && rows.size() >= kSplitRows && std::thread::hardware_concurrency() > 1) {
        const std::size_t half = rows.size() / 2;
        std::vector<std::size_t> late;
        std::exception_ptr failure;
        std::thread worker;
        try {
            worker = std::thread([&] {
                try {
                    late = MatchesIn(rows, half, rows.size());
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: one pass does it.
        }
        if (worker.joinable()) {
            std::vector<std::size_t> found;
            try {
                found = MatchesIn(rows, 0, half);
            } catch (...) {
                worker.join();
                throw;
            }
            worker.join();
            if (failure) std::rethrow_exception(failure);
            found.insert(found.end(), late.begin(), late.end());
            return found;
        }
    }
    return MatchesIn(rows, 0, rows.size());
}

std::vector<std::size_t> RowMatcher::MatchesIn(const std::vector<SearchRow>& rows, std::size_t begin,
                                               std::size_t end) const {
    std::vector<std::size_t> found;
    // Most data fields are empty: that answer once. A trace repeats few
    // names and data texts many times: an expression (slow) looks at each
    // distinct text once; a plain search is quicker than remembering.
    const bool emptyMatches = MatchesText({});
    std::unordered_map<std::string_view, bool> seen;
    if (expression_) seen.reserve(4096);
    auto matches = [&](std::string_view text) {
        if (text.empty()) return emptyMatches;
        if (!expression_) return MatchesText(text);
        const auto [it, added] = seen.try_emplace(text, false);
        if (added) it->second = MatchesText(text);
        return it->second;
    };
    for (std::size_t i = begin; i < end; ++i) {
        const SearchRow& row = rows[i];
        if (matches(row.name) ||
            (query_.dataFields && (matches(row.dataIn) || matches(row.dataLog) || matches(row.dataOut)))) {
            found.push_back(i);
        }
    }
    return found;
}

std::optional<std::size_t> NextMatch(const std::vector<std::size_t>& matches, std::size_t from, bool forward) {
    if (matches.empty()) return std::nullopt;
    if (forward) {
        const auto after = std::upper_bound(matches.begin(), matches.end(), from);
        return after != matches.end() ? *after : matches.front();
    }
    const auto before = std::lower_bound(matches.begin(), matches.end(), from);
    return before != matches.begin() ? *(before - 1) : matches.back();
}

std::vector<std::size_t> HotPath(const std::vector<int>& parents, const std::vector<float>& totals, int from) {
    const std::size_t count = std::min(parents.size(), totals.size());
    // Each row's child with the largest total, in one pass.
    std::vector<int> best(count, -1);
    int topBest = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const int parent = parents[i];
        int& slot =
            parent >= 0 && static_cast<std::size_t>(parent) < count ? best[static_cast<std::size_t>(parent)] : topBest;
        if (slot < 0 || totals[i] > totals[static_cast<std::size_t>(slot)]) slot = static_cast<int>(i);
    }
    std::vector<std::size_t> path;
    int row = from >= 0 && static_cast<std::size_t>(from) < count && parents[static_cast<std::size_t>(from)] >= 0
                  ? from
                  : topBest;
    while (row >= 0) {
        path.push_back(static_cast<std::size_t>(row));
        row = best[static_cast<std::size_t>(row)];
    }
    return path;
}

}  // namespace kivra
