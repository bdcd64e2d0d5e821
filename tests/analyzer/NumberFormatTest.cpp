#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>

#include "PadTextBuilder.h"

namespace kivra {
namespace {
using test::CommaLocale;
using test::DotLocale;

std::string Fmt(float value, const char* pattern, const NumberLocale& locale = DotLocale()) {
    return NumberFormat(pattern, locale).Format(value);
}

TEST(NumberFormatTest, DigitPlaceholdersRoundHalfAwayFromZeroOnTheShortestText) {
    EXPECT_EQ(Fmt(2.675f, "0.00"), "2.68");
    EXPECT_EQ(Fmt(1.005f, "0.00"), "1.01");
    EXPECT_EQ(Fmt(-2.675f, "0.00"), "-2.68");
    EXPECT_EQ(Fmt(29.75f, "0.000"), "29.750");
    EXPECT_EQ(Fmt(7.0f, "0.00"), "7.00");
    EXPECT_EQ(Fmt(9.999f, "0.00"), "10.00");
    EXPECT_EQ(Fmt(12345.6f, "0"), "12346");
    EXPECT_EQ(Fmt(12.0f, "00000"), "00012");
    EXPECT_EQ(Fmt(0.5f, "0.0#"), "0.5");
    EXPECT_EQ(Fmt(0.25f, "0.0#"), "0.25");
    EXPECT_EQ(Fmt(0.0f, "0.000"), "0.000");
    EXPECT_EQ(Fmt(-1.5f, "000.00", CommaLocale()), "-001,50");
    EXPECT_EQ(Fmt(0.5f, "#.00"), ".50");
    EXPECT_EQ(Fmt(1234.5f, "0000000000000000000000.0"), "0000000000000000001234.5");
    EXPECT_EQ(Fmt(-0.004f, "0.00"), "0.00");  // rounds to zero: no minus sign
}

TEST(NumberFormatTest, HashesPointGroupingAndPercent) {
    EXPECT_EQ(Fmt(5.0f, "#.##"), "5.");
    EXPECT_EQ(Fmt(0.5f, "#.##"), ".5");
    EXPECT_EQ(Fmt(3.25f, "#.##"), "3.25");
    EXPECT_EQ(Fmt(0.0f, "#"), "");
    EXPECT_EQ(Fmt(1234567.5f, "#,##0.00"), "1,234,567.50");
    EXPECT_EQ(Fmt(12.0f, "#,##0.00"), "12.00");
    EXPECT_EQ(Fmt(1234.0f, "0,"), "1,234");  // groups, never scales
    EXPECT_EQ(Fmt(0.25f, "0%"), "25%");
    EXPECT_EQ(Fmt(0.125f, "0.0%"), "12.5%");
    EXPECT_EQ(Fmt(1234.5f, "#,##0.00", CommaLocale()), "1.234,50");
}

TEST(NumberFormatTest, LiteralsAndSections) {
    EXPECT_EQ(Fmt(1.5f, "\"t=\"0.0\\s"), "t=1.5s");
    EXPECT_EQ(Fmt(1.5f, "0.0 ms"), "1.5 ms");
    EXPECT_EQ(Fmt(-2.25f, "0.0;(0.0);\"zero\""), "(2.3)");
    EXPECT_EQ(Fmt(0.0f, "0.0;(0.0);\"zero\""), "zero");
    EXPECT_EQ(Fmt(-0.01f, "0.0;(0.0);\"zero\""), "zero");  // rounds to zero: the zero section
    EXPECT_EQ(Fmt(-0.01f, "0.0"), "0.0");                  // never a minus sign on zero
    EXPECT_EQ(Fmt(-0.01f, "0.0;(0.0)"), "0.0");            // zero without a zero section: the first
    EXPECT_EQ(Fmt(-2.25f, "0.0;;"), "-2.3");               // empty negative section: first with minus
    EXPECT_EQ(Fmt(0.0f, "0.0;;"), "0.0");                  // empty zero section: the first
    EXPECT_EQ(Fmt(2.0f, "0.0;\"a;b\"0"), "2.0");           // ";" inside quotes does not split
    EXPECT_EQ(Fmt(-2.0f, "0.0;\"a;b\"0"), "a;b2");
    EXPECT_EQ(Fmt(2.5f, "\"\""), "");  // no digit place: no digits
    EXPECT_EQ(Fmt(2.5f, "."), "3.");
}

TEST(NumberFormatTest, EmptyPatternGivesThePlainShortestText) {
    EXPECT_EQ(Fmt(29.75f, ""), "29.75");
    EXPECT_EQ(Fmt(0.1f, ""), "0.1");
    EXPECT_EQ(Fmt(3.0f, ""), "3");
    EXPECT_EQ(Fmt(-0.5f, ""), "-0.5");
    EXPECT_EQ(Fmt(1e10f, ""), "10000000000");
    EXPECT_EQ(Fmt(0.5f, "", CommaLocale()), "0,5");
    EXPECT_EQ(PlainNumber(-0.0f, DotLocale()), "0");
}

TEST(NumberFormatTest, ReadingBackAcceptsOnlyPlainOrGroupedNumbers) {
    const NumberLocale dot = DotLocale();
    EXPECT_EQ(ReadSingle(" 12.5 ", dot), 12.5f);
    EXPECT_EQ(ReadSingle("1,234.5", dot), 1234.5f);
    EXPECT_EQ(ReadSingle("1,234,567", dot), 1234567.0f);
    EXPECT_EQ(ReadSingle("5.", dot), 5.0f);
    EXPECT_EQ(ReadSingle("-.5", dot), -0.5f);
    EXPECT_EQ(ReadSingle("+3", dot), 3.0f);
    EXPECT_EQ(ReadSingle("0.1", dot), 0.1f);
    for (const char* bad : {"", " ", ".", "-", "1,23", "1234,567", "12a", "1.5 ms", "(2.3)", "25%", "1e5", "1..2"}) {
        EXPECT_FALSE(ReadSingle(bad, dot).has_value()) << bad;
    }
    EXPECT_EQ(ReadSingle("1.234,5", CommaLocale()), 1234.5f);
    EXPECT_FALSE(ReadSingle("1,234.5", CommaLocale()).has_value());
    EXPECT_EQ(ReadDouble("130.25", dot), 130.25);
}

TEST(NumberFormatTest, EveryFormattedNumberOfANumericPatternReadsBack) {
    for (const char* pattern : {"0.000", "#,##0.00", "0", "#.##", "", "0.0;-0.0"}) {
        const NumberFormat format(pattern, DotLocale());
        for (float v : {0.0f, 1.0f, -1.5f, 1234.5678f, 0.0004f, 98765.43f}) {
            const std::string text = format.Format(v);
            // "#" prints nothing for zero, "#.##" just the point: no digit to read.
            if (text.find_first_of("0123456789") == std::string::npos) continue;
            EXPECT_TRUE(format.Read(text).has_value()) << pattern << " " << text;
        }
    }
    const NumberFormat plain("", DotLocale());
    for (float v : {0.1f, 29.75f, 3.0f, 1.0f / 3.0f, 123456.79f}) EXPECT_EQ(plain.Read(plain.Plain(v)), v);
}

TEST(NumberFormatTest, FormattingAndReadingBackAtOnceGivesWhatReadingTheTextGives) {
    std::mt19937 random(20240302);
    std::uniform_real_distribution<float> spread(-50000.0f, 50000.0f);
    for (const char* pattern :
         {"0.000", "0", "000.0", ".00", "0.000000000", "#,##0.00", "0.0;(0.0)", "0.0%", "", "0.00"}) {
        for (const NumberLocale& locale : {DotLocale(), CommaLocale()}) {
            const NumberFormat format(pattern, locale);
            for (int i = 0; i < 3000; ++i) {
                const float value = i < 4 ? std::array{0.0f, 0.0004f, -0.0004f, 16777.217f}[static_cast<std::size_t>(i)]
                                          : spread(random) / static_cast<float>(1 << (i % 12));
                std::string text = "x";
                const std::optional<float> read = format.AppendFormattedAndRead(text, value);
                ASSERT_EQ(text.substr(1), format.Format(value)) << pattern << " " << value;
                ASSERT_EQ(read, format.Read(text.substr(1))) << pattern << " " << value;
            }
        }
    }
}

// The rounding rule spelled out on the shortest text: digits after the
// wanted places decide by their first digit, carries run left.
std::string RoundedOnShortestText(float value, int places) {
    char buffer[128];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed).ptr;
    const std::string text(buffer, end);
    const std::size_t point = text.find('.');
    std::string digits = text.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    const bool up =
        fraction.size() > static_cast<std::size_t>(places) && fraction[static_cast<std::size_t>(places)] >= '5';
    fraction.resize(static_cast<std::size_t>(places), '0');
    digits += fraction;
    for (std::size_t i = digits.size(); up && i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            break;
        }
        digits[i] = '0';
        if (i == 0) digits.insert(digits.begin(), '1');
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string integer = digits.substr(0, digits.size() - static_cast<std::size_t>(places));
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
    std::string out = value < 0.0f && !zero ? "-" : "";
    out += integer;
    if (places > 0) out += "." + digits.substr(digits.size() - static_cast<std::size_t>(places));
    return out;
}

float RandomFloat(std::mt19937& random, int kind) {
    switch (kind % 4) {
    case 0: return std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(random);
    case 1: {
        // Decimal values with few digits, the usual case of a trace, and
        // half-way points such as 2.675.
        const auto whole = static_cast<float>(static_cast<int>(random() % 2000001) - 1000000);
        return whole / std::pow(10.0f, static_cast<float>(random() % 7));
    }
    case 2: {
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? value : 1.0f;
    }
    default: return static_cast<float>(random() % 100000) / 1000.0f + static_cast<float>(random() % 3) * 0.0005f;
    }
}

TEST(NumberFormatTest, FixedPatternsFollowTheRoundingRuleOnRandomValues) {
    std::mt19937 random(20240301);
    for (int places = 0; places <= 7; ++places) {
        const std::string pattern = places == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(places), '0');
        const NumberFormat format(pattern, DotLocale());
        for (int i = 0; i < 20000; ++i) {
            const float value = RandomFloat(random, i);
            ASSERT_EQ(format.Format(value), RoundedOnShortestText(value, places)) << pattern << " " << value;
        }
    }
}

TEST(NumberFormatTest, ReadingAgreesWithTheCorrectlyRoundedConversion) {
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i) {
        std::string text = random() % 2 == 0 ? "-" : "";
        const auto wholeDigits = random() % 12;
        const auto fractionDigits = random() % 12;
        for (unsigned d = 0; d < wholeDigits; ++d) text += static_cast<char>('0' + random() % 10);
        if (fractionDigits > 0) text += '.';
        for (unsigned d = 0; d < fractionDigits; ++d) text += static_cast<char>('0' + random() % 10);
        if (text.find_first_of("0123456789") == std::string::npos) continue;
        const char* last = text.data() + text.size();
        float single = 0.0f;
        double twice = 0.0;
        ASSERT_EQ(std::from_chars(text.data(), last, single, std::chars_format::fixed).ptr, last);
        ASSERT_EQ(std::from_chars(text.data(), last, twice, std::chars_format::fixed).ptr, last);
        const std::optional<float> readSingle = ReadSingle(text, DotLocale());
        const std::optional<double> readDouble = ReadDouble(text, DotLocale());
        ASSERT_TRUE(readSingle.has_value() && readDouble.has_value()) << text;
        EXPECT_EQ(std::memcmp(&*readSingle, &single, sizeof single), 0) << text;
        EXPECT_EQ(std::memcmp(&*readDouble, &twice, sizeof twice), 0) << text;
    }
}

}  // namespace
}  // namespace kivra
