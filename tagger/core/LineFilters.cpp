#include "LineFilters.h"

#include "RunLoop.h"

namespace kivra {

bool IsTagLine(std::string_view line, std::string_view prefix) {
    if (prefix.empty()) return false;
    const auto start = line.find_first_not_of(" \t'");
    return start != std::string_view::npos && line.substr(start).starts_with(prefix);
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
            } else if (const auto first = line.find_first_not_of(" \t");
                       first != std::string_view::npos && line[first] == '\'') {
                out += line.substr(0, first);
                line.remove_prefix(first + 1);
            }
        }
        out += line;
        out += kLineBreak;
    });
}

}  // namespace kivra
