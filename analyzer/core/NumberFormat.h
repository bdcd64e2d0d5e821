// Times as text: formatting a single-precision number with a format pattern
// such as "0.000" or "#,##0.00", and reading such texts back as numbers.
//
// Patterns: "0" is a digit that always prints, "#" a digit that prints only
// when significant, the first "." the decimal separator (it always prints),
// "," before the decimal separator groups the integer digits by threes,
// "%" multiplies by 100 and prints itself. Text in double quotes, a character
// after a backslash and every other character print as they stand. Up to
// three sections, "positive;negative;zero": an empty or missing negative
// section means the first section with a minus sign, an empty or missing
// zero section the first section. Rounding is half away from zero, applied
// to the shortest decimal text of the value; a value that rounds to zero
// counts as zero. The empty pattern gives the plain decimal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

// The decimal and group separators of number texts.
struct NumberLocale {
    std::string decimal = ".";
    std::string group = ",";

    // The separators of the current C locale (LC_NUMERIC). A locale without
    // a group separator groups with "," (or "." where "," is the decimal one).
    static NumberLocale Current();
};

// The shortest decimal text that reads back as the same single-precision
// value, never in scientific notation: 29.75, 0.1, 3, -0.5.
std::string PlainNumber(float value, const NumberLocale& locale);

// Reads a number text: blanks, an optional sign, digits (ungrouped, or
// grouped by threes with the group separator), an optional decimal separator
// and digits, blanks. At least one digit. Nothing when the text is anything
// else or the number does not fit.
std::optional<float> ReadSingle(std::string_view text, const NumberLocale& locale);
std::optional<double> ReadDouble(std::string_view text, const NumberLocale& locale);

// A pattern prepared once and applied to many numbers.
class NumberFormat {
public:
    explicit NumberFormat(std::string_view pattern, NumberLocale locale = NumberLocale::Current());

    std::string Format(float value) const;
    void AppendFormatted(std::string& out, float value) const;
    // The same, also giving what Read gives for the appended text: worked
    // out without reading the text where the result is certain.
    std::optional<float> AppendFormattedAndRead(std::string& out, float value) const;

    std::optional<float> Read(std::string_view text) const { return ReadSingle(text, locale_); }
    std::string Plain(float value) const { return PlainNumber(value, locale_); }

    const std::string& Pattern() const { return pattern_; }
    // The "0" and "#" places after the decimal separator in the first section.
    int FractionPlaces() const { return sections_.empty() ? 0 : sections_.front().fractionPlaces; }
    const NumberLocale& Locale() const { return locale_; }

private:
    enum class TokenKind { Zero, Hash, Point, Literal };
    struct Token {
        TokenKind kind;
        std::string text;  // Literal only
    };
    struct Section {
        std::vector<Token> tokens;
        int integerPlaces = 0;   // "0" and "#" before the decimal separator
        int fractionPlaces = 0;  // "0" and "#" after it
        bool hasPoint = false;
        bool grouped = false;
        bool percent = false;
        bool empty = true;     // no character at all in the pattern
        bool plain = false;    // only "#"s, then "0"s, the point and "0"s (see ParseSection)
        int integerZeros = 0;  // "0" places before the decimal separator
    };

    static Section ParseSection(std::string_view text);
    void AppendSection(std::string& out, const Section& section, std::string_view integer, std::string_view fraction,
                       bool minus) const;
    void AppendPlainSection(std::string& out, const Section& section, std::string_view integer,
                            std::string_view fraction, bool minus) const;
    // AppendFormatted; true, with `read` set, when the text's value is known.
    bool AppendFormattedKnowing(std::string& out, float value, float& read) const;
    void AppendPlainDigits(std::string& out, const Section& section, std::uint64_t whole, std::uint64_t fraction,
                           bool minus) const;

    std::string pattern_;
    NumberLocale locale_;
    std::vector<Section> sections_;
};

// Shares of a run: one decimal, in the locale of the times.
NumberFormat PercentFormat(const NumberFormat& timeFormat);

}  // namespace kivra
