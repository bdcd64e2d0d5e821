#include "LineFilters.h"

#include "RunLoop.h"

namespace kivra {

bool IsTagLine(std::string_view line, std::string_view prefix) {
    if (prefix.empty()) return false;
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t' || line[start] == '\'')) ++start;
    return line.substr(start).starts_with(prefix);
}

std::vector<NumberedLine> TagLines(std::string_view text, std::string_view prefix) {
    std::vector<NumberedLine> found;
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const SourceLine line = LineAt(text, pos);
        ++number;
        if (IsTagLine(line.text, prefix)) found.push_back({number, line.text});
        pos = AfterLine(pos, line);
    }
    return found;
}

RunResult UntagText(std::string_view text, std::string_view prefix, RunObserver* observer, LineEnds ends) {
    return detail::RunLines(text, ends, observer, 0, [&](std::string_view line, LineWriter& out) {
        if (!IsTagLine(line, prefix)) out.Source(line);
    });
}

RunResult CommentText(std::string_view text, std::string_view prefix, CommentDirection direction, RunObserver* observer,
                      LineEnds ends) {
    return detail::RunLines(text, ends, observer, text.size() / 8, [&](std::string_view line, LineWriter& out) {
        if (!IsTagLine(line, prefix)) return out.Source(line);
        if (direction == CommentDirection::Out) return out.Source("'", line);
        std::size_t first = 0;
        while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
        if (first < line.size() && line[first] == '\'')
            return out.Source(line.substr(0, first), line.substr(first + 1));
        out.Source(line);
    });
}

}  // namespace kivra
