#include "JsonText.h"

#include <charconv>
#include <cmath>

#include "TextEncoding.h"

namespace kivra {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text.substr(from, i - from));
        from = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    out.append(text.substr(from));
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    if (IsValidUtf8(text)) {
        AppendEscaped(out, text);
    } else {
        AppendEscaped(out, Windows1252ToUtf8(text));
    }
    out += '"';
}

void AppendScaled(std::string& out, std::int64_t value, int decimals) {
    // The magnitude as unsigned, so that the most negative value has one.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::uint64_t scale = 1;
    for (int d = 0; d < decimals; ++d) scale *= 10;
    const std::uint64_t whole = magnitude / scale;
    std::uint64_t fraction = magnitude % scale;
    if (value < 0) out += '-';
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, whole).ptr);
    if (fraction == 0) return;
    int places = decimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    out += '.';
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, fraction).ptr;
    out.append(static_cast<std::size_t>(places - (end - digits)), '0');
    out.append(digits, end);
}

std::int64_t ToNanoseconds(double milliseconds) {
    // Milliseconds: 4e18 ns either way, so that the span between any two
    // points of a run (8e18 ns at most) fits in 64 bits too.
    constexpr double kBound = 4.0e12;
    if (std::isnan(milliseconds)) return 0;
    if (milliseconds > kBound) milliseconds = kBound;
    if (milliseconds < -kBound) milliseconds = -kBound;
    return std::llround(milliseconds * 1.0e6);
}

}  // namespace kivra
