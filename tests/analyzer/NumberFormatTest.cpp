#include "NumberFormat.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(Fmt(-0.01f, "0.0"), "0.0");                   // never a minus sign on zero
    EXPECT_EQ(Fmt(-0.01f, "0.0;(0.0)"), "0.0");             // zero without a zero section: the first
    EXPECT_EQ(Fmt(-2.25f, "0.0;;"), "-2.3");                // empty negative section: first with minus
    EXPECT_EQ(Fmt(0.0f, "0.0;;"), "0.0");                   // empty zero section: the first
    EXPECT_EQ(Fmt(2.0f, "0.0;\"a;b\"0"), "2.0");            // ";" inside quotes does not split
    EXPECT_EQ(Fmt(-2.0f, "0.0;\"a;b\"0"), "a;b2");
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

}  // namespace
}  // namespace kivra
