// Column headers of the window's tables, which may break over two lines.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kivra {

// A header as one line, for plain text and for screen readers: the line
// break becomes a blank.
inline std::string HeaderOnOneLine(std::string_view header) {
    std::string text(header);
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace kivra
