// Source text as lines. Lines are separated by CR LF only: a lone CR or LF
// is part of its line, so that a run gives back whatever it does not touch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kivra {

inline constexpr std::string_view kLineBreak = "\r\n";

// The number of CR LF pairs in the text.
inline std::size_t CountLineBreaks(std::string_view text) {
    std::size_t count = 0;
    for (auto at = text.find(kLineBreak); at != std::string_view::npos; at = text.find(kLineBreak, at + 2)) ++count;
    return count;
}

// The pieces of the text between its CR LF pairs. An empty text has no
// lines; a text that ends with CR LF has an empty last line.
inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    if (text.empty()) return lines;
    lines.reserve(CountLineBreaks(text) + 1);
    std::size_t pos = 0;
    for (;;) {
        const auto end = text.find(kLineBreak, pos);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(pos));
            return lines;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + kLineBreak.size();
    }
}

// Every line followed by CR LF.
inline std::string JoinLines(const std::vector<std::string_view>& lines) {
    std::size_t size = 0;
    for (const auto line : lines) size += line.size() + kLineBreak.size();
    std::string text;
    text.reserve(size);
    for (const auto line : lines) {
        text += line;
        text += kLineBreak;
    }
    return text;
}

}  // namespace kivra
