#include "TextEncoding.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kivra {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Code points of Windows-1252 bytes 0x80 to 0x9F. The five bytes the code
// page leaves undefined map to the C1 control of the same value, so that
// every byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at the start of s, or 0.
std::size_t SequenceLength(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    std::size_t len = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

char32_t DecodeAt(std::string_view s, std::size_t len) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (len == 1) return b0;
    char32_t cp = b0 & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return cp;
}

char ToWindows1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80) {
        ++at;
        return first;
    }
    int length = 0;
    char32_t point = 0;
    char32_t lowest = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2, point = first & 0x1F, lowest = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, point = first & 0x0F, lowest = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, point = first & 0x07, lowest = 0x10000;
    }
    if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        point = (point << 6) | (next & 0x3F);
    }
    if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        ++at;
        return 0xFFFD;
    }
    at += static_cast<std::size_t>(length);
    return point;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Source text is mostly ASCII: skip it eight bytes at a time.
        std::uint64_t word = 0;
        if (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += sizeof word;
                continue;
            }
        }
        const std::size_t len = SequenceLength(bytes.substr(i));
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (b < 0xA0) {
            AppendUtf8(out, kHighControls[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

DecodedText DecodeText(std::string_view bytes) {
    DecodedText result;
    if (IsValidUtf8(bytes)) {
        result.encoding = TextEncoding::Utf8;
        if (bytes.starts_with(kUtf8Bom)) {
            result.hadByteOrderMark = true;
            bytes.remove_prefix(kUtf8Bom.size());
        }
        result.text.assign(bytes);
    } else {
        result.encoding = TextEncoding::Windows1252;
        result.text = Windows1252ToUtf8(bytes);
    }
    return result;
}

DecodedText DecodeTextInPlace(std::string bytes) {
    if (!IsValidUtf8(bytes)) return DecodeText(bytes);
    DecodedText result;
    result.encoding = TextEncoding::Utf8;
    if (std::string_view(bytes).starts_with(kUtf8Bom)) {
        result.hadByteOrderMark = true;
        bytes.erase(0, kUtf8Bom.size());
    }
    result.text = std::move(bytes);
    return result;
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool withByteOrderMark) {
    if (encoding == TextEncoding::Utf8) {
        std::string out;
        if (withByteOrderMark) out += kUtf8Bom;
        out += utf8;
        return out;
    }
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t len = SequenceLength(utf8.substr(i));
        if (len == 0) {  // not UTF-8 after all: keep the byte as it is
            out += utf8[i++];
            continue;
        }
        out += ToWindows1252(DecodeAt(utf8.substr(i), len));
        i += len;
    }
    return out;
}

std::string MegabytesText(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* why, std::size_t maxBytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        if (why) *why = "it is a folder, not a file";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (why) *why = std::strerror(errno);
        return std::nullopt;
    }
    // Read in large blocks: a character at a time is slow on big files.
    std::string bytes;
    if (const auto size = std::filesystem::file_size(path, ec); !ec)
        bytes.reserve(std::min<std::uintmax_t>(size, maxBytes));
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            if (why) *why = "it is larger than " + MegabytesText(maxBytes);
            return std::nullopt;
        }
    }
    if (in.bad()) {
        if (why) *why = "it could not be read";
        return std::nullopt;
    }
    return bytes;
}

std::size_t Utf8Length(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (count == n) return utf8.substr(0, i);
            ++count;
        }
    }
    return utf8;
}

}  // namespace kivra
