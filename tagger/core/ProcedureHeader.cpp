#include "ProcedureHeader.h"

namespace kivra {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    std::size_t first = 0;
    std::size_t end = s.size();
    while (first < end && s[first] == ' ') ++first;
    while (end > first && s[end - 1] == ' ') --end;
    return s.substr(first, end - first);
}

// What follows the first occurrence of word in s, or s itself.
std::string_view After(std::string_view s, std::string_view word) {
    const auto at = s.find(word);
    return at == std::string_view::npos ? s : s.substr(at + word.size());
}

// Whether text, turned to lower case, equals lower.
bool EqualsLowered(std::string_view lower, std::string_view text) {
    if (lower.size() != text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

LineWords LineWords::Of(std::string_view workingCopy) {
    LineWords words;
    const std::string_view rest = TrimBlanks(workingCopy);
    if (rest.empty()) return words;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (i < rest.size() && rest[i] != ' ') continue;
        words.word[words.count++] = rest.substr(start, i - start);
        if (words.count == 2) words.firstTwo = rest.substr(0, i);
        if (words.count == 3 || i == rest.size()) break;
        start = i + 1;
    }
    return words;
}

int InKeys(const KeywordSection& section, std::string_view key, std::string_view name, const TagOptions& options) {
    if (!section.MayMatch(key)) return 0;
    const auto& keys = section.Keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Keyword& k = keys[i];
        if (!k.hasPhrase || !EqualsLowered(k.lowerPhrase, key)) continue;
        const bool eventProcedure = options.chkFormEvents && name.find('_') != std::string_view::npos;
        if (!options.chkSubs && k.isSub && !eventProcedure) return 0;
        if (!options.chkFunctions && k.isFunction) return 0;
        if (!options.chkProperties && k.isProperty) return 0;
        return static_cast<int>(i + 1);
    }
    return 0;
}

std::optional<std::string_view> GetName(std::string_view t) {
    const auto firstBlank = t.find(' ');
    if (firstBlank != std::string_view::npos) {
        std::string_view second = t.substr(firstBlank + 1);
        second = second.substr(0, second.find(' '));
        const auto paren = second.find('(');
        if (paren != std::string_view::npos) return second.substr(0, paren);
    }
    const auto paren = t.find('(');
    if (paren == std::string_view::npos) return std::nullopt;
    std::string_view before = t.substr(0, paren);
    const auto last = before.find_last_not_of(' ');
    if (last == std::string_view::npos) return std::nullopt;
    before = before.substr(0, last + 1);
    const auto blank = before.rfind(' ');
    return blank == std::string_view::npos ? before : before.substr(blank + 1);
}

std::string GetParameters(std::string_view t) {
    const auto open = t.find('(');
    if (open == std::string_view::npos) return {};
    std::string_view list = t.substr(open + 1);
    const auto close = list.find(')');
    if (close == std::string_view::npos) return {};
    list = list.substr(0, close);
    if (list.empty()) return {};

    std::string result;
    for (;;) {
        const auto comma = list.find(',');
        std::string_view piece = list.substr(0, comma);
        piece = After(piece, "Optional ");
        piece = piece.find("ByVal ") != std::string_view::npos ? After(piece, "ByVal ") : After(piece, "ByRef ");
        if (const auto as = piece.find(" As "); as != std::string_view::npos) piece = TrimBlanks(piece.substr(0, as));
        result += piece;
        if (comma == std::string_view::npos) break;
        result += ", ";
        list.remove_prefix(comma + 1);
    }
    return result;
}

}  // namespace kivra
