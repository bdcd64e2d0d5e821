// Decoding and encoding of the text files both programs read and write.
//
// Files are read as UTF-8 when their bytes are valid UTF-8 (a leading
// byte-order mark is dropped) and as Windows-1252 otherwise. Inside the
// programs every text is UTF-8.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kivra {

enum class TextEncoding { Utf8, Windows1252 };

struct DecodedText {
    std::string text;  // UTF-8, without a byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
    bool hadByteOrderMark = false;
};

bool IsValidUtf8(std::string_view bytes);

DecodedText DecodeText(std::string_view bytes);

// The same for bytes the caller gives up: valid UTF-8 keeps their buffer,
// which spares a copy of a large file.
DecodedText DecodeTextInPlace(std::string bytes);

// Converts UTF-8 text back into the given encoding. Characters that
// Windows-1252 cannot hold become "?".
std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool withByteOrderMark = false);

std::string Windows1252ToUtf8(std::string_view bytes);

// The next code point of UTF-8 text from `at`, moving past it; a byte that
// does not begin a valid sequence gives U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, char32_t point);

// Reads a whole file as bytes. On failure returns nothing and, when asked,
// tells why in words a message can show. A file of more than maxBytes
// (an endless device too) is refused after reading one byte more.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* why = nullptr,
                                         std::size_t maxBytes = static_cast<std::size_t>(-1));

// "16 MB" and the like, for messages about sizes.
std::string MegabytesText(std::size_t bytes);

// ASCII letters in lower case; every other byte as it is.
inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

// Number of code points in UTF-8 text (counted by their lead bytes).
std::size_t Utf8Length(std::string_view utf8);

// The first n code points of UTF-8 text.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t n);

}  // namespace kivra
