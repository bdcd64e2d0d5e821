#include "PadReader.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "PadTextBuilder.h"

namespace kivra {
namespace {
namespace fs = std::filesystem;
using test::DotLocale;
using test::PadHeader;
using test::PadText;

PadReadResult Parse(const std::string& text, const char* paramChar = ", ") {
    return ParsePadText(text, "t.pad", paramChar, DotLocale());
}

class TempFile {
public:
    explicit TempFile(const std::string& bytes)
        : path_(fs::temp_directory_path() /
                ("kivra-reader-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                 ".pad")) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() { fs::remove(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(PadReaderTest, HeaderLinesAndAFileOfOnlyTheHeader) {
    const PadReadResult result = Parse(PadHeader());
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.trace.RunDateLine, "Run Date: 2024-03-01");
    EXPECT_EQ(result.trace.ResolutionLine, "Resolution: 1 ms");
    EXPECT_EQ(result.trace.RecordCount(), 0u);
    ASSERT_EQ(result.trace.Records.size(), 1u);  // the empty record 0
    EXPECT_EQ(result.trace.Records[0].Order, 0);
    EXPECT_TRUE(result.trace.Records[0].Name.empty());
}

TEST(PadReaderTest, RecordFieldsInOrder) {
    const PadReadResult result = Parse(PadText({
        "Mod.Proc| 12 | 10 |100.5|130.25|a~b~c|log~|out|ninth|tenth",
        "|0|1|5|4|||",
        "  |-2|3|0|1|||",
        "N~x|1|1|0|0|~~||",
    }));
    ASSERT_FALSE(result.error) << result.error->Message();
    ASSERT_EQ(result.trace.RecordCount(), 4u);
    const PadRecord& first = result.trace.Records[1];
    EXPECT_EQ(first.Name, "Mod.Proc");
    EXPECT_EQ(first.Order, 12);
    EXPECT_EQ(first.Depth, 10);
    EXPECT_EQ(first.Key(), "12.10");
    EXPECT_EQ(first.Total, 29.75f);
    EXPECT_EQ(first.DataIn, "a, b, c");
    EXPECT_EQ(first.DataLog, "log, ");
    EXPECT_EQ(first.DataOut, "out");
    EXPECT_EQ(result.trace.Records[2].Name, "No Pushed in Name?");
    EXPECT_EQ(result.trace.Records[2].Total, -1.0f);
    EXPECT_EQ(result.trace.Records[3].Name, "  ");  // blanks are a name
    EXPECT_EQ(result.trace.Records[3].Key(), "-2.3");
    EXPECT_EQ(result.trace.Records[4].Name, "N~x");  // the name is never replaced
    EXPECT_EQ(result.trace.Records[4].DataIn, ", , ");

    const PadReadResult bare = Parse(PadText({"P|1|1|0|1|a~b~c||"}), "");
    EXPECT_EQ(bare.trace.Records[1].DataIn, "abc");
}

TEST(PadReaderTest, TotalIsSubtractedInDoubleThenStoredAsSingle) {
    const PadReadResult result = Parse(PadText({"P|1|1|16777216.5|16777218.25|||"}));
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.trace.Records[1].Total, 1.75f);  // single precision first would give 2
}

TEST(PadReaderTest, StartAndStopReadAsTheGeneralNumberReadingReadsThem) {
    const char* const times[] = {"0",
                                 "5",
                                 "5.",
                                 ".5",
                                 "-.5",
                                 "-0",
                                 "1003.186",
                                 "-1003.186",
                                 "123456789012345",
                                 "12345678.9012345",
                                 "0.000000000000001",
                                 "999999999999999.",
                                 "1234567890123456",
                                 "0000000000000001.5",
                                 "00000000000000001",
                                 "1.2.3",
                                 "1..2",
                                 "-",
                                 ".",
                                 "-.",
                                 "1e3",
                                 "+5",
                                 "--5",
                                 "5-",
                                 "1:2",
                                 "1/2",
                                 "12345678901234567890.5",
                                 " 7 ",
                                 "1,000.5"};
    for (const char* time : times) {
        // Points in the fields that follow belong to them alone.
        const PadReadResult result = Parse(PadText(
            {std::string("P|1|1|") + time + "|" + time + "|.5|6.25|7.|", std::string("Q|2|1|0|") + time + "|||"}));
        const std::optional<double> general = ReadDouble(time, DotLocale());
        ASSERT_EQ(!result.error, general.has_value()) << time;
        if (general) {
            EXPECT_EQ(result.trace.Records[1].Start, *general) << time;
            EXPECT_EQ(result.trace.Records[1].Stop, *general) << time;
            EXPECT_EQ(result.trace.Records[2].Stop, *general) << time;
        }
    }
}

TEST(PadReaderTest, NumbersFollowTheLocaleSeparators) {
    const PadReadResult result =
        ParsePadText(PadText({"P|1|1|1.000,5|1.030,25|||"}), "t.pad", ", ", test::CommaLocale());
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.trace.Records[1].Total, 29.75f);
}

TEST(PadReaderTest, LineEndsAndTrailingEmptyLines) {
    for (const char* end : {"\n", "\r"}) {
        std::string text;
        for (const char* line : {"1", "2", "3", "4", "5", "6", "7", "P|1|1|0|2|||", "Q|2|2|0|1|||"}) {
            text += std::string(line) + end;
        }
        text += std::string(end) + end;
        const PadReadResult result = Parse(text);
        ASSERT_FALSE(result.error) << result.error->Message();
        EXPECT_EQ(result.trace.RunDateLine, "2");
        EXPECT_EQ(result.trace.RecordCount(), 2u);
    }
    const PadReadResult unterminated = Parse(PadHeader() + "P|1|1|0|2|||");
    EXPECT_EQ(unterminated.trace.RecordCount(), 1u);
    // Mixed line ends: CR LF, CR alone and LF alone each end one line.
    const PadReadResult mixed = Parse("1\r\n2\r3\n4\n5\r\n6\n7\rA|1|1|0|1|||\nB|2|2|0|1|||\r\n");
    ASSERT_FALSE(mixed.error) << mixed.error->Message();
    EXPECT_EQ(mixed.trace.RunDateLine, "2");
    EXPECT_EQ(mixed.trace.RecordCount(), 2u);
    EXPECT_EQ(mixed.trace.Records[2].Name, "B");
}

struct BadFile {
    std::string text;
    std::size_t line;
    std::string problem;
};

TEST(PadReaderTest, UnreadableFilesNameTheLineAndTheProblem) {
    const std::string ok = "P|1|1|0|1|||";
    const std::vector<BadFile> cases = {
        {"1\r\n2\r\n3\r\n", 4, "the file ends after 3 lines; a trace file starts with seven header lines"},
        {"", 0, "the file is empty"},
        {std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10) +
             "\r\n2\r\n",
         0, "it is not a text file"},
        {PadHeader() + std::string("P|1|1|0|1|||\0", 13), 0, "it is not a text file"},
        {PadText({ok, "", ok}), 9, "the line is empty"},
        {PadText({ok, "P|2|1|0|1||"}), 9, "the line has 7 fields; a record has eight fields separated by \"|\""},
        {PadText({"P|x|1|0|1|||"}), 8, "field 2 (Order) \"x\" is not a whole number"},
        {PadText({"P|1.5|1|0|1|||"}), 8, "field 2 (Order) \"1.5\" is not a whole number"},
        {PadText({"P|1||0|1|||"}), 8, "field 3 (Depth) \"\" is not a whole number"},
        {PadText({"P|1|1|abc|1|||"}), 8, "field 4 (start time) \"abc\" is not a number"},
        {PadText({"P|1|1|0|1,5|||"}), 8, "field 5 (stop time) \"1,5\" is not a number"},
        {PadText({"P|2147483648|1|0|1|||"}), 8, "field 2 (Order) 2147483648 is outside -2147483648 to 2147483647"},
        {PadText({"P|1|-2147483649|0|1|||"}), 8, "field 3 (Depth) -2147483649 is outside -2147483648 to 2147483647"},
        {PadText({"P|1|1|0|1|||", "P| 99999999999 |1|0|1|||"}), 9,
         "field 2 (Order) 99999999999 is outside -2147483648 to 2147483647"},
        {PadText({"P|1|123456789012345678901234567890|0|1|||"}), 8,
         "field 3 (Depth) 123456789012345678901234567890 is outside -2147483648 to 2147483647"},
    };
    for (const BadFile& bad : cases) {
        const PadReadResult result = Parse(bad.text);
        ASSERT_TRUE(result.error) << bad.problem;
        EXPECT_EQ(result.error->line, bad.line) << bad.problem;
        EXPECT_TRUE(result.error->problem.starts_with(bad.problem)) << result.error->problem;
        EXPECT_EQ(result.trace.RecordCount(), 0u) << "a failed read leaves no records";
    }
    const PadReadResult one = Parse(PadText({"P|x|1|0|1|||"}));
    EXPECT_EQ(one.error->Message(),
              "Cannot read the trace file \"t.pad\", line 8: field 2 (Order) \"x\" is not a whole number.");
}

TEST(PadReaderTest, OrdersAndDepthsAreThirtyTwoBitNumbers) {
    const PadReadResult result =
        Parse(PadText({"P|32768|-32769|0|1|||", "Q|2147483647|-2147483648|0|1|||", "R| +40000 |  7 |0|1|||"}));
    ASSERT_FALSE(result.error) << result.error->Message();
    EXPECT_EQ(result.trace.Records[1].Order, 32768);
    EXPECT_EQ(result.trace.Records[1].Depth, -32769);
    EXPECT_EQ(result.trace.Records[1].Key(), "32768.-32769");
    EXPECT_EQ(result.trace.Records[2].Order, 2147483647);
    EXPECT_EQ(result.trace.Records[2].Depth, -2147483648);
    EXPECT_EQ(result.trace.Records[2].Key(), "2147483647.-2147483648");
    EXPECT_EQ(result.trace.Records[3].Order, 40000);
    EXPECT_EQ(result.trace.Records[3].Depth, 7);
}

TEST(PadReaderTest, AtMostTenMillionRecords) {
    EXPECT_EQ(kMaxRecords, 10'000'000u);
    EXPECT_EQ(kMaxTraceBytes, std::size_t{2} << 30);
    // The limit's rule, on a smaller limit: as many records as it allows
    // are a trace, one more is refused on its line.
    PadReadOptions options;
    options.maxRecords = 1000;
    std::vector<std::string> lines(1000, "P|1|1|0|1|||");
    EXPECT_FALSE(ParsePadText(PadText(lines), "t.pad", ", ", DotLocale(), options).error);
    lines.push_back("P|1|1|0|1|||");
    const PadReadResult result = ParsePadText(PadText(lines), "t.pad", ", ", DotLocale(), options);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->line, 7 + 1000 + 1u);
    EXPECT_EQ(result.error->problem, "the file holds more than 1000 records");
    // 70,000 records, more than 16 bits could count, under the real limit.
    std::vector<std::string> many(70000, "P|1|1|0|1|||");
    const PadReadResult big = Parse(PadText(many));
    ASSERT_FALSE(big.error) << big.error->Message();
    EXPECT_EQ(big.trace.RecordCount(), 70000u);
}

// A big file is read no further than a reading can go: the record limit,
// a line that is too long, or an endless device.
TEST(PadReaderTest, BigAndEndlessFilesAreRefusedEarly) {
    // The limits as they were, so that the files stay small: the rules are
    // the same at any limit.
    PadReadOptions options;
    options.maxRecords = 32767;
    options.wholeFileBytes = std::size_t{16} << 20;
    options.maxTraceBytes = std::size_t{128} << 20;
    const std::size_t limit = options.maxRecords;
    // More records than a trace holds, in a file too big to read at once
    // (long data fields), in UTF-8 and in Windows-1252.
    for (const std::string name : {"P", "Caf\xe9"}) {
        const std::string data(600, 'd');
        std::string text = PadHeader();
        for (std::size_t i = 0; i < limit + 5000; ++i) text += name + "|1|1|0|1|" + data + "||\r\n";
        ASSERT_GT(text.size(), std::size_t{16} << 20);
        const TempFile big(text);
        const PadReadResult result = ReadPadFile(big.path(), ", ", DotLocale(), options);
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->line, 7 + limit + 1);
        EXPECT_EQ(result.error->problem, "the file holds more than 32767 records");
        EXPECT_TRUE(result.headerLinesRead);
    }
    // Exactly the limit, followed by empty lines, is a trace.
    {
        std::string text = PadHeader();
        for (std::size_t i = 0; i < limit; ++i) text += "P|1|1|0|1|" + std::string(600, 'd') + "||\r\n";
        text += "\r\n\r\n";
        const TempFile big(text);
        const PadReadResult result = ReadPadFile(big.path(), ", ", DotLocale(), options);
        ASSERT_FALSE(result.error) << result.error->Message();
        EXPECT_EQ(result.trace.RecordCount(), limit);
    }
    // A line longer than 1 MB, in a small file and in a big one.
    for (const std::size_t after : {std::size_t{0}, std::size_t{20} << 20}) {
        const TempFile file(PadText({"P|1|1|0|1|||", "Q|2|1|0|1|" + std::string(std::size_t{1} << 21, 'x') + "||"}) +
                            std::string(after, '\n'));
        const PadReadResult result = ReadPadFile(file.path(), ", ", DotLocale(), options);
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->line, 9u);
        EXPECT_EQ(result.error->problem, "the line is longer than 1 MB; it is not a trace file");
    }
#ifndef _WIN32
    // An endless device: its first line never ends.
    const PadReadResult zero = ReadPadFile("/dev/zero", ", ", DotLocale(), options);
    ASSERT_TRUE(zero.error);
    EXPECT_EQ(zero.error->line, 0u);
    EXPECT_EQ(zero.error->problem, "it is not a text file");
    EXPECT_FALSE(zero.headerLinesRead);
#endif
}

TEST(PadReaderTest, FoldersAndPipesGiveAMessageOrAReading) {
    const PadReadResult folder = ReadPadFile(fs::temp_directory_path(), ", ", DotLocale());
    ASSERT_TRUE(folder.error);
    EXPECT_EQ(folder.error->problem, "it is a folder, not a file");

#ifndef _WIN32
    // Named pipes and /dev/fd are POSIX's; Windows has neither in this form.
    const fs::path pipe = fs::temp_directory_path() / ("kivra-pipe-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A named pipe without a writer reads as empty, at once.
    const PadReadResult empty = ReadPadFile(pipe, ", ", DotLocale());
    fs::remove(pipe);
    ASSERT_TRUE(empty.error);
    EXPECT_EQ(empty.error->line, 0u);
    EXPECT_EQ(empty.error->problem, "the file is empty");
    // A pipe with a writer, as a shell's <(command) gives it, reads as the
    // file would.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        const std::string text = PadText({"P|1|1|0|2.5|||"});
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(ends[1]);
    });
    const PadReadResult read = ReadPadFile("/dev/fd/" + std::to_string(ends[0]), ", ", DotLocale());
    writer.join();
    ::close(ends[0]);
    ASSERT_FALSE(read.error) << read.error->Message();
    EXPECT_EQ(read.trace.Records[1].Total, 2.5f);
#endif
}

TEST(PadReaderTest, ReadsFilesWithoutChangingThem) {
    // Windows-1252 text (not valid UTF-8) is converted; the file stays as it was.
    const std::string bytes = PadText({"Caf\xe9|1|1|0|1|\xe9~x||"});
    const TempFile file(bytes);
    const auto before = fs::last_write_time(file.path());
    const PadReadResult result = ReadPadFile(file.path(), "+", DotLocale());
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.trace.Records[1].Name, "Caf\xc3\xa9");
    EXPECT_EQ(result.trace.Records[1].DataIn, "\xc3\xa9+x");
    EXPECT_EQ(fs::last_write_time(file.path()), before);
    std::ifstream in(file.path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

    const PadReadResult missing = ReadPadFile(file.path().string() + ".none", ", ", DotLocale());
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->line, 0u);
    EXPECT_NE(missing.error->Message().find(".none\""), std::string::npos);

    const PadReadResult nothing = ReadPadFile("", ", ", DotLocale());
    EXPECT_FALSE(nothing.error);
    EXPECT_EQ(nothing.trace.RecordCount(), 0u);
}

TEST(PadReaderTest, RecordTextsLiveAsLongAsAnyCopyOfTheTrace) {
    // The records' texts point into what the trace keeps: the file's text,
    // data fields with "~" replaced (one longer than a block of kept texts
    // among them) and, after a failed read, nothing of the old trace.
    const std::string longName(40, 'N');
    const std::string longData = std::string(20000, 'd') + "~" + std::string(100, 'e');
    const std::string bytes = PadText({longName + "|1|1|0|1|a~b|" + longData + "|x", "|2|2|0|1|||"});
    PadTrace copy;
    {
        const TempFile file(bytes);
        PadReadResult result = ReadPadFile(file.path(), "<->", DotLocale());
        ASSERT_FALSE(result.error);
        PadTrace moved = std::move(result.trace);
        result = ReadPadFile(file.path().string() + ".none", ", ", DotLocale());
        copy = moved;
    }
    ASSERT_EQ(copy.RecordCount(), 2u);
    EXPECT_EQ(copy.Records[1].Name, longName);
    EXPECT_EQ(copy.Records[1].DataIn, "a<->b");
    EXPECT_EQ(copy.Records[1].DataLog, std::string(20000, 'd') + "<->" + std::string(100, 'e'));
    EXPECT_EQ(copy.Records[1].DataOut, "x");
    EXPECT_EQ(copy.Records[2].Name, "No Pushed in Name?");

    // Text handed over in memory is kept too, not only viewed.
    std::string text = PadText({longName + "|1|1|0|1|p~q||"});
    const PadReadResult parsed = ParsePadText(text, "t.pad", "", DotLocale());
    text.assign(text.size(), '#');
    ASSERT_FALSE(parsed.error);
    EXPECT_EQ(parsed.trace.Records[1].Name, longName);
    EXPECT_EQ(parsed.trace.Records[1].DataIn, "pq");
    EXPECT_EQ(parsed.trace.RunDateLine, "Run Date: 2024-03-01");
}

}  // namespace
}  // namespace kivra
