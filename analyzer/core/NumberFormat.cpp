#include "NumberFormat.h"

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kivra {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that are exact in double precision.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kWholePowersOfTen[] = {1,       10,       100,       1000,       10000,         100000,
                                               1000000, 10000000, 100000000, 1000000000, 10000000000ULL};

// The value of a decimal text given as all its digits read as one whole
// number (at most 19 of them) and the count of those after the point, when
// it follows exactly from one division of two exact numbers: the whole number
// no larger than the type's mantissa, divided by a power of ten that the
// type holds exactly. The division rounds once, so the result is the
// correctly rounded value that std::from_chars gives. False when the text
// needs the full reading.
template <typename T>
bool ReadExactDecimal(std::uint64_t digits, int places, bool positive, T& value) {
    constexpr std::uint64_t kMaxMantissa = sizeof(T) == sizeof(float) ? (1ULL << 24) : (1ULL << 53);
    constexpr int kMaxPower = sizeof(T) == sizeof(float) ? 10 : 22;
    if (digits > kMaxMantissa || places > kMaxPower) return false;
    T result;
    if constexpr (sizeof(T) == sizeof(float)) {
        result = static_cast<float>(digits) / static_cast<float>(kPowersOfTen[places]);
    } else {
        result = static_cast<double>(digits) / kPowersOfTen[places];
    }
    value = positive ? result : -result;
    return true;
}

// The magnitude rounded half away from zero to `scale` fraction digits, as
// the whole number of all its kept digits, taken on the shortest decimal
// text of the value: 2.675f (really 2.67499995...) at 2 digits gives 268.
// The scaled value is exact in double precision; the shortest text lies
// within half a unit in the last place of the value, so the two round alike
// unless a half-way point lies within that distance. False then, and for
// values too large: the caller rounds the text itself.
bool RoundScaled(float magnitude, int scale, std::uint64_t& rounded) {
    // 10^9 needs 21 significant bits beside its power of two; with the 24 of
    // a float the product stays within the 53 of a double.
    constexpr int kMaxScale = 9;
    if (scale > kMaxScale || !(magnitude < 1e9f)) return false;
    const double power = kPowersOfTen[scale];
    const double scaled = static_cast<double>(magnitude) * power;
    const double whole = std::floor(scaled);
    const double rest = scaled - whole;
    const float next = std::bit_cast<float>(std::bit_cast<std::uint32_t>(magnitude) + 1);
    const double unit = (static_cast<double>(next) - static_cast<double>(magnitude)) * power;
    if (std::fabs(rest - 0.5) <= unit) return false;
    rounded = static_cast<std::uint64_t>(whole) + (rest > 0.5 ? 1 : 0);
    return true;
}

// Shortest fixed-notation text of a finite value's magnitude, e.g. "2.675".
std::string_view MagnitudeText(float magnitude, char (&buffer)[128]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

// Rounds a decimal magnitude to a number of fraction digits, half away from
// zero. Gives the integer digits without leading zeros (empty for zero) and
// exactly `places` fraction digits. `shift` moves the decimal point right
// (2 for a percentage).
void RoundDecimal(std::string_view text, int shift, int places, std::string& integer, std::string& fraction) {
    const std::size_t point = text.find('.');
    integer.assign(text.substr(0, point));
    fraction.assign(point == std::string_view::npos ? std::string_view() : text.substr(point + 1));
    for (int i = 0; i < shift; ++i) {
        if (fraction.empty()) {
            integer.push_back('0');
        } else {
            integer.push_back(fraction.front());
            fraction.erase(0, 1);
        }
    }
    const auto wanted = static_cast<std::size_t>(places);
    bool roundUp = false;
    if (fraction.size() > wanted) {
        roundUp = fraction[wanted] >= '5';
        fraction.resize(wanted);
    } else {
        fraction.append(wanted - fraction.size(), '0');
    }
    if (roundUp) {
        bool carry = true;
        for (std::size_t i = fraction.size(); carry && i-- > 0;) {
            if (fraction[i] == '9') {
                fraction[i] = '0';
            } else {
                ++fraction[i];
                carry = false;
            }
        }
        for (std::size_t i = integer.size(); carry && i-- > 0;) {
            if (integer[i] == '9') {
                integer[i] = '0';
            } else {
                ++integer[i];
                carry = false;
            }
        }
        if (carry) integer.insert(integer.begin(), '1');
    }
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer.erase(0, firstNonZero == std::string::npos ? integer.size() : firstNonZero);
}

// Copies a number text into plain "[-]digits[.digits]" form, or fails.
bool Normalize(std::string_view text, const NumberLocale& locale, std::string& out) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i])) ++i;
    while (end > i && IsBlank(text[end - 1])) --end;
    out.clear();
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') out.push_back('-');
        ++i;
    }
    auto digitRun = [&](std::size_t from) {
        std::size_t to = from;
        while (to < end && IsDigit(text[to])) ++to;
        return to - from;
    };
    std::size_t digits = 0;
    const std::size_t lead = digitRun(i);
    out.append(text.substr(i, lead));
    i += lead;
    digits += lead;
    const std::string_view group = locale.group;
    if (lead >= 1 && lead <= 3 && !group.empty()) {
        while (text.substr(i, end - i).starts_with(group) && digitRun(i + group.size()) == 3) {
            out.append(text.substr(i + group.size(), 3));
            i += group.size() + 3;
            digits += 3;
        }
    }
    const std::string_view decimal = locale.decimal;
    if (!decimal.empty() && text.substr(i, end - i).starts_with(decimal)) {
        i += decimal.size();
        const std::size_t tail = digitRun(i);
        out.push_back('.');
        out.append(text.substr(i, tail));
        i += tail;
        digits += tail;
    }
    return i == end && digits > 0;
}

// Reads "[sign]digits[.digits]" in place when "." is the decimal separator
// and no group separator appears; false when the text needs the full reading.
template <typename T>
bool ReadPlain(std::string_view text, T& value, bool& ok) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsBlank(*p)) ++p;
    while (end > p && IsBlank(end[-1])) --end;
    const char* first = p;  // where the conversion starts: a "-" belongs to it, a "+" not
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        if (!negative) first = p + 1;
        ++p;
    }
    // One pass: check the form and gather the digits as a whole number.
    std::uint64_t whole = 0;
    const char* digitsStart = p;
    while (p < end && IsDigit(*p)) whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
    std::ptrdiff_t digits = p - digitsStart;
    std::ptrdiff_t places = 0;
    if (p < end && *p == '.') {
        const char* fractionStart = ++p;
        while (p < end && IsDigit(*p)) whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
        places = p - fractionStart;
        digits += places;
    }
    if (p != end) return false;
    ok = false;
    if (digits == 0) return true;
    if (digits <= 19 && ReadExactDecimal(whole, static_cast<int>(places), !negative, value)) {
        ok = true;
        return true;
    }
    const auto result = std::from_chars(first, end, value, std::chars_format::fixed);
    ok = result.ec == std::errc() && result.ptr == end;
    return true;
}

template <typename T>
std::optional<T> ReadNumber(std::string_view text, const NumberLocale& locale) {
    if (locale.decimal == ".") {
        T value{};
        bool ok = false;
        if (ReadPlain(text, value, ok)) return ok ? std::optional<T>(value) : std::nullopt;
    }
    thread_local std::string plain;
    if (!Normalize(text, locale, plain)) return std::nullopt;
    T value{};
    const char* first = plain.data();
    const char* last = first + plain.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != last) return std::nullopt;
    return value;
}

}  // namespace

NumberLocale NumberLocale::Current() {
    NumberLocale locale;
    if (const std::lconv* conv = std::localeconv()) {
        if (conv->decimal_point != nullptr && *conv->decimal_point != '\0') locale.decimal = conv->decimal_point;
        if (conv->thousands_sep != nullptr && *conv->thousands_sep != '\0') {
            locale.group = conv->thousands_sep;
        } else {
            locale.group.assign(1, locale.decimal == "," ? '.' : ',');
        }
    }
    return locale;
}

std::string PlainNumber(float value, const NumberLocale& locale) {
    if (value == 0.0f) return "0";
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (locale.decimal != ".") {
        if (const std::size_t point = text.find('.'); point != std::string::npos) {
            text.replace(point, 1, locale.decimal);
        }
    }
    return text;
}

std::optional<float> ReadSingle(std::string_view text, const NumberLocale& locale) {
    return ReadNumber<float>(text, locale);
}

std::optional<double> ReadDouble(std::string_view text, const NumberLocale& locale) {
    return ReadNumber<double>(text, locale);
}

NumberFormat::NumberFormat(std::string_view pattern, NumberLocale locale)
    : pattern_(pattern), locale_(std::move(locale)) {
    if (pattern.empty()) return;
    // Split at ";" outside quotes and escapes; a fourth section and beyond
    // are ignored.
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || (!quoted && pattern[i] == ';')) {
            if (sections_.size() < 3) sections_.push_back(ParseSection(pattern.substr(start, i - start)));
            start = i + 1;
        } else if (pattern[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && pattern[i] == '\\') {
            ++i;
        }
    }
}

NumberFormat::Section NumberFormat::ParseSection(std::string_view text) {
    Section section;
    section.empty = text.empty();
    auto literal = [&](std::string_view piece) {
        if (section.tokens.empty() || section.tokens.back().kind != TokenKind::Literal) {
            section.tokens.push_back({TokenKind::Literal, {}});
        }
        section.tokens.back().text.append(piece);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? text.size() : close;
            if (stop > i + 1) literal(text.substr(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '\\') {
            if (i + 1 < text.size()) {
                // Take the whole UTF-8 character after the backslash.
                std::size_t next = i + 2;
                while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
                literal(text.substr(i + 1, next - i - 1));
                i = next - 1;
            }
        } else if (c == '0' || c == '#') {
            section.tokens.push_back({c == '0' ? TokenKind::Zero : TokenKind::Hash, {}});
            ++(section.hasPoint ? section.fractionPlaces : section.integerPlaces);
        } else if (c == '.' && !section.hasPoint) {
            section.hasPoint = true;
            section.tokens.push_back({TokenKind::Point, {}});
        } else if (c == ',') {
            if (!section.hasPoint) section.grouped = true;
        } else {
            if (c == '%') section.percent = true;
            literal(text.substr(i, 1));
        }
    }
    // Plain: "#"s, then "0"s, then optionally the point and "0"s, with any
    // grouping commas, and at least one digit place or the point; it prints
    // the digits padded to the "0" places.
    section.plain = section.integerPlaces > 0 || section.hasPoint;
    bool zeroSeen = false;
    bool pointSeen = false;
    for (const Token& token : section.tokens) {
        if (token.kind == TokenKind::Literal || (token.kind == TokenKind::Hash && (zeroSeen || pointSeen))) {
            section.plain = false;
        }
        if (token.kind == TokenKind::Point) pointSeen = true;
        if (token.kind == TokenKind::Zero && !pointSeen) ++section.integerZeros;
        zeroSeen = zeroSeen || token.kind == TokenKind::Zero;
    }
    return section;
}

std::string NumberFormat::Format(float value) const {
    std::string out;
    AppendFormatted(out, value);
    return out;
}

void NumberFormat::AppendFormatted(std::string& out, float value) const {
    float read = 0.0f;
    AppendFormattedKnowing(out, value, read);
}

std::optional<float> NumberFormat::AppendFormattedAndRead(std::string& out, float value) const {
    const std::size_t start = out.size();
    if (float read = 0.0f; AppendFormattedKnowing(out, value, read)) return read;
    return Read(std::string_view(out).substr(start));
}

bool NumberFormat::AppendFormattedKnowing(std::string& out, float value, float& read) const {
    if (sections_.empty() || !std::isfinite(value)) {
        out += PlainNumber(value, locale_);
        return false;
    }
    const bool negative = value < 0.0f;
    const Section* section = &sections_[0];
    bool minus = negative;
    if (negative && sections_.size() >= 2 && !sections_[1].empty) {
        section = &sections_[1];
        minus = false;
    }
    thread_local std::string integer;
    thread_local std::string fraction;
    const float magnitude = std::fabs(value);
    const int shift = section->percent ? 2 : 0;
    if (std::uint64_t rounded = 0; RoundScaled(magnitude, section->fractionPlaces + shift, rounded)) {
        const std::uint64_t power = kWholePowersOfTen[section->fractionPlaces];
        if (rounded != 0 && section->plain && !section->grouped && !section->percent && section->integerZeros <= 20) {
            // The usual pattern, digits and a point: written straight out.
            AppendPlainDigits(out, *section, rounded / power, rounded % power, minus);
            // Read back, the text gives the whole number of its digits over
            // the power of ten of its places, both exact in single precision
            // here, divided with correct rounding: the same number.
            constexpr std::uint64_t kExactInSingle = 1ULL << 24;
            if (locale_.decimal != "." || rounded > kExactInSingle) return false;
            const float magnitudeRead = static_cast<float>(rounded) / static_cast<float>(power);
            read = minus ? -magnitudeRead : magnitudeRead;
            return true;
        }
        char digits[24];
        const std::uint64_t whole = rounded / power;
        integer.assign(digits, whole == 0 ? digits : std::to_chars(digits, digits + sizeof digits, whole).ptr);
        std::uint64_t rest = rounded % power;
        fraction.assign(static_cast<std::size_t>(section->fractionPlaces), '0');
        for (std::size_t i = fraction.size(); i-- > 0; rest /= 10) fraction[i] = static_cast<char>('0' + rest % 10);
    } else {
        char buffer[128];
        RoundDecimal(MagnitudeText(magnitude, buffer), shift, section->fractionPlaces, integer, fraction);
    }
    if (integer.empty() && fraction.find_first_not_of('0') == std::string::npos) {
        // Zero, or a value that rounds to zero.
        section = sections_.size() >= 3 && !sections_[2].empty ? &sections_[2] : &sections_[0];
        minus = false;
        integer.clear();
        fraction.assign(static_cast<std::size_t>(section->fractionPlaces), '0');
    }
    if (section->empty) {
        out += PlainNumber(minus ? value : magnitude, locale_);
        return false;
    }
    if (section->plain) {
        AppendPlainSection(out, *section, integer, fraction, minus);
    } else {
        AppendSection(out, *section, integer, fraction, minus);
    }
    return false;
}

void NumberFormat::AppendPlainDigits(std::string& out, const Section& section, std::uint64_t whole,
                                     std::uint64_t fraction, bool minus) const {
    char integer[48];  // a sign, at most 20 padding zeros and 20 digits
    char* end = integer;
    if (minus) *end++ = '-';
    char digits[24];
    char* const digitsEnd = whole == 0 ? digits : std::to_chars(digits, digits + sizeof digits, whole).ptr;
    const auto count = static_cast<int>(digitsEnd - digits);
    for (int pad = count; pad < section.integerZeros; ++pad) *end++ = '0';
    std::memcpy(end, digits, static_cast<std::size_t>(count));
    end += count;
    out.append(integer, end);
    if (section.hasPoint) {
        out.append(locale_.decimal);
        char places[24];
        const auto size = static_cast<std::size_t>(section.fractionPlaces);
        for (std::size_t i = size; i-- > 0; fraction /= 10) places[i] = static_cast<char>('0' + fraction % 10);
        out.append(places, size);
    }
}

void NumberFormat::AppendPlainSection(std::string& out, const Section& section, std::string_view integer,
                                      std::string_view fraction, bool minus) const {
    if (minus) out.push_back('-');
    for (std::size_t pad = integer.size(); pad < static_cast<std::size_t>(section.integerZeros); ++pad) {
        // Padding zeros, grouped like digits.
        out.push_back('0');
        const std::size_t position = static_cast<std::size_t>(section.integerZeros) - 1 - pad + integer.size();
        if (section.grouped && position > 0 && position % 3 == 0) out.append(locale_.group);
    }
    if (!section.grouped) {
        out.append(integer);
    } else {
        for (std::size_t i = 0; i < integer.size(); ++i) {
            out.push_back(integer[i]);
            const std::size_t position = integer.size() - 1 - i;
            if (position > 0 && position % 3 == 0) out.append(locale_.group);
        }
    }
    if (section.hasPoint) {
        out.append(locale_.decimal);
        out.append(fraction);
    }
}

void NumberFormat::AppendSection(std::string& out, const Section& section, std::string_view integer,
                                 std::string_view fraction, bool minus) const {
    if (minus) out.push_back('-');
    const std::string_view group = section.grouped ? std::string_view(locale_.group) : std::string_view();
    const auto length = static_cast<int>(integer.size());
    // The integer digit at a position counted from the right (0 is the
    // units) or, where the number has none, the padding; then a group
    // separator where one belongs.
    auto digitAt = [&](int position, bool padWithZero) {
        if (position >= length && !padWithZero) return;
        out.push_back(position < length ? integer[static_cast<std::size_t>(length - 1 - position)] : '0');
        if (!group.empty() && position > 0 && position % 3 == 0) out.append(group);
    };
    auto allIntegerDigits = [&] {
        for (int position = length - 1; position >= 0; --position) digitAt(position, false);
    };
    // Trailing "#" places whose digit is 0 print nothing.
    int fractionKept = section.fractionPlaces;
    {
        int index = section.fractionPlaces;
        for (auto it = section.tokens.rbegin(); it != section.tokens.rend() && index > 0; ++it) {
            if (it->kind != TokenKind::Zero && it->kind != TokenKind::Hash) continue;
            --index;
            if (it->kind == TokenKind::Zero || fraction[static_cast<std::size_t>(index)] != '0') break;
            fractionKept = index;
        }
    }
    int integerIndex = 0;
    int fractionIndex = 0;
    bool afterPoint = false;
    for (const Token& token : section.tokens) {
        switch (token.kind) {
        case TokenKind::Literal: out.append(token.text); break;
        case TokenKind::Point:
            if (section.integerPlaces == 0) allIntegerDigits();
            out.append(locale_.decimal);
            afterPoint = true;
            break;
        case TokenKind::Zero:
        case TokenKind::Hash:
            if (afterPoint) {
                if (fractionIndex < fractionKept) out.push_back(fraction[static_cast<std::size_t>(fractionIndex)]);
                ++fractionIndex;
            } else {
                const int position = section.integerPlaces - 1 - integerIndex;
                if (integerIndex == 0) {
                    // The first place takes every digit the pattern has no place for.
                    for (int extra = length - 1; extra > position; --extra) digitAt(extra, false);
                }
                digitAt(position, token.kind == TokenKind::Zero);
                ++integerIndex;
            }
            break;
        }
    }
}

NumberFormat PercentFormat(const NumberFormat& timeFormat) { return NumberFormat("0.0", timeFormat.Locale()); }

}  // namespace kivra
