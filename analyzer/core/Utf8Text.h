// Walking UTF-8 text one code point at a time, for writers of XML and HTML
// that must not pass on bytes a browser would refuse.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kivra {

// The next code point of UTF-8 text from `at`, moving past it; a byte that
// does not begin a valid sequence gives U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, char32_t point);

}  // namespace kivra
