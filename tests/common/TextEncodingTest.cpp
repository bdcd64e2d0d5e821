#include "TextEncoding.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

TEST(TextEncodingTest, ValidUtf8IsKeptAndItsByteOrderMarkDropped) {
    const auto plain = DecodeText("caf\xC3\xA9\r\n");
    EXPECT_EQ(plain.text, "caf\xC3\xA9\r\n");
    EXPECT_EQ(plain.encoding, TextEncoding::Utf8);
    EXPECT_FALSE(plain.hadByteOrderMark);

    const auto marked = DecodeText("\xEF\xBB\xBFSub A()");
    EXPECT_EQ(marked.text, "Sub A()");
    EXPECT_TRUE(marked.hadByteOrderMark);
    EXPECT_EQ(EncodeText(marked.text, marked.encoding, marked.hadByteOrderMark), "\xEF\xBB\xBFSub A()");
}

TEST(TextEncodingTest, AnythingElseIsWindows1252) {
    // Overlong forms, surrogates and cut sequences are not UTF-8.
    for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82", "\xF5\x80\x80\x80"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
    const auto text = DecodeText("caf\xE9 \x80 \x93x\x94 \x81");
    EXPECT_EQ(text.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(text.text, "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC2\x81");
    EXPECT_EQ(EncodeText(text.text, TextEncoding::Windows1252), "caf\xE9 \x80 \x93x\x94 \x81");
}

TEST(TextEncodingTest, EveryWindows1252ByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(EncodeText(Windows1252ToUtf8(all), TextEncoding::Windows1252), all);
    EXPECT_EQ(EncodeText("\xE2\x86\x92 \xF0\x9F\x98\x80", TextEncoding::Windows1252), "? ?");
}

TEST(TextEncodingTest, CodePointCounting) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(Utf8Length(text), 5u);
    EXPECT_EQ(Utf8Prefix(text, 2), "a\xC3\xA9");
    EXPECT_EQ(Utf8Prefix(text, 4), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8Prefix(text, 9), text);
    EXPECT_EQ(Utf8Prefix(text, 0), "");
}

TEST(TextEncodingTest, ReadFileBytesSaysWhyItFailed) {
    std::string why;
    EXPECT_FALSE(ReadFileBytes("/nonexistent/kivra/file.pad", &why));
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_FALSE(ReadFileBytes("/", &why));
    EXPECT_EQ(why, "it is a folder, not a file");
}

TEST(TextEncodingTest, DecodingInPlaceGivesWhatDecodingGives) {
    for (const std::string bytes : {"caf\xC3\xA9\r\n", "\xEF\xBB\xBFSub A()", "caf\xE9 \x80", ""}) {
        const DecodedText copied = DecodeText(bytes);
        const DecodedText inPlace = DecodeTextInPlace(bytes);
        EXPECT_EQ(inPlace.text, copied.text);
        EXPECT_EQ(inPlace.encoding, copied.encoding);
        EXPECT_EQ(inPlace.hadByteOrderMark, copied.hadByteOrderMark);
    }
}

}  // namespace
}  // namespace kivra
