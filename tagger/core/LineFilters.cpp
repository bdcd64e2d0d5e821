#include "LineFilters.h"

#include "RunLoop.h"

namespace kivra {

bool IsTagLine(std::string_view line, std::string_view prefix) {
    if (prefix.empty()) return false;
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t' || line[start] == '\'')) ++start;
    return line.substr(start).starts_with(prefix);
}

RunResult UntagText(std::string_view text, std::string_view prefix, RunObserver* observer) {
    return detail::RunLines(text, observer, 0, [&](std::string_view line, std::string& out) {
        if (IsTagLine(line, prefix)) return;
        out += line;
        out += kLineBreak;
    });
}

RunResult CommentText(std::string_view text, std::string_view prefix, CommentDirection direction,
                      RunObserver* observer) {
    return detail::RunLines(text, observer, text.size() / 8, [&](std::string_view line, std::string& out) {
        if (IsTagLine(line, prefix)) {
            if (direction == CommentDirection::Out) {
                out += '\'';
            } else {
                std::size_t first = 0;
                while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
                if (first < line.size() && line[first] == '\'') {
                    out += line.substr(0, first);
                    line.remove_prefix(first + 1);
                }
            }
        }
        out += line;
        out += kLineBreak;
    });
}

}  // namespace kivra
