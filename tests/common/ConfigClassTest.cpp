#include "ConfigClass.h"
#include "IniDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "FullDisk.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int code) : std::runtime_error("program ended"), exitCode(code) {}
    int exitCode;
};

class ConfigClassTest : public ::testing::Test {
protected:
    test::SettingsSandbox sandbox;
    RecordingReporter reporter;
    ConfigClass config{reporter, [](int code) { throw ProgramEnded(code); }};

    std::string Texts() const {
        std::string all;
        for (const auto& m : reporter.messages) all += m.text + "|";
        return all;
    }
    std::string Path() const { return (sandbox.ProductFolder() / "Config.ini").string(); }
};

TEST_F(ConfigClassTest, StoredFormsRoundTripThroughTheFile) {
    sandbox.CreateProductFolder();
    struct Case {
        std::string value;
        std::string storedLine;
        std::string readBack;
    };
    const Case cases[] = {
        {" a ", "K=~~a~~", " a "},
        {" ", "K=~~", " "},
        {"  ", "K=~~~~", "  "},
        {"  x", "K=~~ x", "  x"},
        {"x  ", "K=x ~~", "x  "},
        {"one\r\ntwo", "K=one<cr>two", "one\r\ntwo"},
        {"", "K=", ""},
        {"a\tb\t", "K=a\tb\t", "a\tb\t"},
        {"lone\nfeed", "K=lone<cr>feed", "lone\r\nfeed"},  // a lone LF must not split the line
        {"lone\rreturn", "K=lone<cr>return", "lone\r\nreturn"},
        {"\"quoted\"", "K=\"quoted\"", "\"quoted\""},
        {"a=b;c", "K=a=b;c", "a=b;c"},
    };
    for (const auto& c : cases) {
        config.Value("S", "K", "", c.value);
        EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[S]\r\n" + c.storedLine + "\r\n") << "value [" << c.value << "]";
        EXPECT_EQ(config.Value("S", "K"), c.readBack) << "value [" << c.value << "]";
    }
    EXPECT_TRUE(reporter.messages.empty()) << Texts();
}

// Known and kept, because existing files share the format: a value with a
// "~" at one end and a blank at the other reads back changed.
TEST_F(ConfigClassTest, TildeAtOneEndAndBlankAtTheOtherDoesNotReadBack) {
    sandbox.CreateProductFolder();
    config.Value("S", "K", "", "~ ");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[S]\r\nK=~~~\r\n");
    EXPECT_EQ(config.Value("S", "K"), " ~");
    config.Value("S", "K", "", " ~");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[S]\r\nK=~~~\r\n");
    EXPECT_EQ(config.Value("S", "K"), " ~");
}

TEST_F(ConfigClassTest, StoredTextsDecodeOnRead) {
    sandbox.WriteFile("Config.ini",
                      "[S]\r\nnull=<NullString>\r\nupper=a<CR>b\r\nlead=~~abc\r\ntail=abc~~\r\ncr=x<cr>y<cr>\r\n"
                      "both=~~~~\r\nblanks =  spaced value  \r\n");
    EXPECT_EQ(config.Value("S", "null"), "");
    EXPECT_EQ(config.Value("S", "upper"), "a<CR>b");
    EXPECT_EQ(config.Value("S", "lead"), " abc");
    EXPECT_EQ(config.Value("S", "tail"), "abc ");
    EXPECT_EQ(config.Value("S", "cr"), "x\r\ny\r\n");
    EXPECT_EQ(config.Value("s", "BOTH"), "  ");
    EXPECT_EQ(config.Value("S", "blanks"), "spaced value");
    EXPECT_TRUE(reporter.messages.empty()) << Texts();
}

TEST_F(ConfigClassTest, MissingKeyShowsOneMessageAndReadsEmpty) {
    sandbox.WriteFile("Config.ini", "[S]\r\nmarker=>>> Missing Key <<<\r\n");
    EXPECT_EQ(config.Value("S", "absent"), "");
    EXPECT_EQ(config.Value("S", "marker"), "");
    EXPECT_EQ(config.Value("Other", "k"), "");
    EXPECT_THAT(reporter.messages,
                ElementsAre(Message{"GetKey is missing [S] 'absent=' key.", MessageIcon::Critical, ""},
                            Message{"GetKey is missing [S] 'marker=' key.", MessageIcon::Critical, ""},
                            Message{"GetKey is missing [Other] 'k=' key.", MessageIcon::Critical, ""}));
}

TEST_F(ConfigClassTest, QuietReadTellsAMissingKeyFromAnEmptyValue) {
    sandbox.WriteFile("Config.ini", "[S]\r\nempty=\r\nblank=~~\r\n");
    EXPECT_EQ(config.ValueIfSet("S", "empty"), std::optional<std::string>(""));
    EXPECT_EQ(config.ValueIfSet("s", "BLANK"), std::optional<std::string>(" "));
    EXPECT_EQ(config.ValueIfSet("S", "absent"), std::nullopt);
    EXPECT_EQ(config.ValueIfSet("Other", "k"), std::nullopt);
    EXPECT_EQ(config.ValueIfSet("S", "empty", "NoSuchFile.ini"), std::nullopt);
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ConfigClassTest, EmptySectionOrKeyIsReportedBeforeTheRead) {
    sandbox.WriteFile("Config.ini", "[S]\r\nk=v\r\n");
    EXPECT_EQ(config.Value("", "k"), "");
    EXPECT_EQ(config.Value("S", ""), "");
    EXPECT_THAT(reporter.messages, ElementsAre(Message{"GetKey Section=''", MessageIcon::Exclamation, ""},
                                               Message{"GetKey is missing [] 'k=' key.", MessageIcon::Critical, ""},
                                               Message{"GetKey key=''", MessageIcon::Exclamation, ""},
                                               Message{"GetKey is missing [S] '=' key.", MessageIcon::Critical, ""}));
}

TEST_F(ConfigClassTest, LongValueIsCutTo32766Characters) {
    sandbox.CreateProductFolder();
    const std::string value(40000, 'v');
    config.Value("S", "long", "", value);
    EXPECT_EQ(config.Value("S", "long"), std::string(32766, 'v'));
    // The cut counts characters, not bytes.
    const std::string wide = std::string(32765, 'w') + "\xC3\xA9\xC3\xA9";
    config.Value("S", "wide", "", wide);
    EXPECT_EQ(config.Value("S", "wide"), std::string(32765, 'w') + "\xC3\xA9");
}

TEST_F(ConfigClassTest, MissingProductFolderCreatesNothing) {
    EXPECT_EQ(config.Value("Application", "Format"), "");
    config.Value("Application", "Format", "", "0.00");
    config.DeleteKey("Application", "Format");
    config.DeleteSection("Application");
    EXPECT_THAT(reporter.messages,
                ElementsAre(Message{"GetKey is missing [Application] 'Format=' key.", MessageIcon::Critical, ""},
                            Message{"Write to '" + Path() +
                                        "' failed.\r\nPlease make sure the INI file is not write protected.",
                                    MessageIcon::Critical, ""},
                            Message{"Delete INI Key '" + Path() +
                                        "' failed.\r\n\r\nPlease make sure the INI file is not write protected.",
                                    MessageIcon::Critical, ""},
                            Message{"Delete INI Section '" + Path() +
                                        "' failed.\r\n\r\nPlease make sure the INI file is not write protected.",
                                    MessageIcon::Critical, ""}));
    EXPECT_TRUE(fs::is_empty(sandbox.Profile()));
}

TEST_F(ConfigClassTest, FailuresWithAnEmptySectionAreSilent) {
    config.Value("", "k", "", "v");
    config.DeleteKey("", "k");
    config.DeleteSection("");
    EXPECT_TRUE(reporter.messages.empty()) << Texts();
}

TEST_F(ConfigClassTest, WriteProtectedFileIsLeftAsItWas) {
    sandbox.WriteFile("Config.ini", "[S]\r\nk=old\r\n");
    fs::permissions(sandbox.ProductFolder() / "Config.ini", fs::perms::owner_read | fs::perms::group_read);
    config.Value("S", "k", "", "new");
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "Write to '" + Path() + "' failed.\r\nPlease make sure the INI file is not write protected.");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[S]\r\nk=old\r\n");
}

TEST_F(ConfigClassTest, AFullDiskLeavesTheFileAsItWasAndSaysSo) {
    KIVRA_SKIP_WITHOUT_FULL_DISK();
    sandbox.WriteFile("Config.ini", "[Window]\r\nWidth=13365\r\n");
    const int result = test::WithFullDisk([&] {
        config.Value("Window", "Width", "", std::string(200, '9'));
        return reporter.messages.size() == 1 && reporter.messages[0].icon == MessageIcon::Critical ? 0 : 1;
    });
    EXPECT_EQ(result, 0) << "the write's failure was not reported";
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[Window]\r\nWidth=13365\r\n");
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(sandbox.ProductFolder())) ++files;
    EXPECT_LE(files, 2);  // the file and its lock
}

TEST_F(ConfigClassTest, FatalConfigurationErrorsEndTheProgram) {
    Program().ConfigFile.clear();
    try {
        config.Value("S", "k");
        FAIL() << "the program went on";
    } catch (const ProgramEnded& e) {
        EXPECT_EQ(e.exitCode, 1);
    }
    // A file named by the caller needs no ConfigFile; a missing product name
    // is fatal all the same.
    Program().ProductName.clear();
    EXPECT_THROW(config.Value("S", "k", "Other.ini"), ProgramEnded);
    EXPECT_THAT(reporter.messages,
                ElementsAre(Message{"Error:  Config file has not been set", MessageIcon::Critical, "Config Class"},
                            Message{"Error:  Product Name has not been set", MessageIcon::Critical, "Config Class"}));
}

TEST_F(ConfigClassTest, IniFilePathUsesTheProfileAndTheCallersName) {
    EXPECT_EQ(config.IniFilePath(""), Path());
    EXPECT_EQ(config.IniFilePath("Other.ini"), (sandbox.ProductFolder() / "Other.ini").string());
}

TEST_F(ConfigClassTest, NamesThatDifferInLetterCaseShareOneFile) {
    sandbox.CreateProductFolder();
    config.Value("Application", "Format", "", "0.00");
    Program().ConfigFile = "Config.INI";
    EXPECT_EQ(config.Value("application", "FORMAT"), "0.00");
    config.Value("Tag Application", "KivraPrefix", "", "Kivra.");
    // The same file (on Windows the file system itself ignores letter case).
    EXPECT_TRUE(fs::equivalent(config.IniFilePath(""), Path()));
    Program().ConfigFile = "Config.ini";
    EXPECT_EQ(config.Value("Tag Application", "KivraPrefix"), "Kivra.");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(sandbox.ProductFolder())) {
        const auto name = entry.path().filename().string();
        if (!name.starts_with(".")) files.push_back(name);
    }
    EXPECT_THAT(files, ElementsAre("Config.ini"));
}

TEST_F(ConfigClassTest, RewriteKeepsCommentsAndUnknownLines) {
    sandbox.WriteFile("Config.ini",
                      "; settings of Kivra\r\n[Application]\r\n; the time format\r\nFormat=0.000\r\n"
                      "this line means nothing\r\n\r\n[Window]\r\nWidth=100\r\n");
    config.Value("Application", "Format", "", "0.0");
    config.Value("Application", "ParamChar", "", ", ");
    config.Value("Columns", "1", "", "300");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"),
              "; settings of Kivra\r\n[Application]\r\n; the time format\r\nFormat=0.0\r\n"
              "this line means nothing\r\nParamChar=,~~\r\n\r\n[Window]\r\nWidth=100\r\n\r\n[Columns]\r\n1=300\r\n");
}

TEST_F(ConfigClassTest, DeleteKeyAndSection) {
    sandbox.WriteFile("Config.ini", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    config.DeleteKey("a", "X");
    config.DeleteKey("A", "not there");
    config.DeleteSection("B");
    config.DeleteSection("not there");
    EXPECT_TRUE(reporter.messages.empty()) << Texts();
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[A]\r\ny=2\r\n");
}

TEST_F(ConfigClassTest, GetIniKeysPlacesNamesFromFirstIndex) {
    sandbox.WriteFile("Config.ini", "[S]\r\nA=1\r\nB=2\r\n[Empty]\r\n");
    EXPECT_THAT(config.GetIniKeys("S", "", 0), ElementsAre("A", "B"));
    EXPECT_THAT(config.GetIniKeys("S", "", 1), ElementsAre("", "A", "B"));
    EXPECT_TRUE(reporter.messages.empty()) << Texts();

    EXPECT_THAT(config.GetIniKeys("Missing", "", 0), ElementsAre(""));
    EXPECT_THAT(config.GetIniKeys("Missing", "", 1), ElementsAre(""));
    EXPECT_THAT(config.GetIniKeys("Empty", "", 1), ElementsAre(""));
    const Message missing{"Keys: Section 'Missing' or INI File '" + Path() + "' is missing ", MessageIcon::Critical,
                          ""};
    const Message empty{"Keys: Section 'Empty' or INI File '" + Path() + "' is missing ", MessageIcon::Critical, ""};
    EXPECT_THAT(reporter.messages, ElementsAre(missing, missing, empty));
}

TEST_F(ConfigClassTest, GetIniKeysOverflowCountsAsNoKeys) {
    std::string text = "[Big]\r\n";
    for (int i = 0; i < 400; ++i) text += std::string(90, 'k') + std::to_string(1000 + i) + "=v\r\n";
    sandbox.WriteFile("Config.ini", text);
    EXPECT_THAT(config.GetIniKeys("Big", "", 0), ElementsAre(""));
    ASSERT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(reporter.messages[0],
              (Message{"GetIniKeys: Size overflow in '" + Path() + "'", MessageIcon::Critical, ""}));
    EXPECT_EQ(reporter.messages[1].text, "Keys: Section 'Big' or INI File '" + Path() + "' is missing ");
}

TEST_F(ConfigClassTest, GetIniSectionsEndsWithAnEmptyElement) {
    sandbox.WriteFile("Config.ini", "[A]\r\nx=1\r\n[B]\r\n[a]\r\n");
    EXPECT_THAT(config.GetIniSections(0), ElementsAre("A", "B", ""));
    EXPECT_THAT(config.GetIniSections(2), ElementsAre("", "", "A", "B", ""));
    EXPECT_THAT(config.GetIniSections(1, "Missing.ini"), ElementsAre("", ""));
    EXPECT_TRUE(reporter.messages.empty()) << Texts();
}

TEST_F(ConfigClassTest, SectionsAreListedOnceEachInAnyLetterCase) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "[S" + std::to_string(i % 1000) + "]\r\n[s" + std::to_string(i % 1000) + "]\r\n";
    sandbox.WriteFile("Config.ini", text);
    IniDocument doc = IniDocument::Parse(text);
    const auto names = doc.Sections();
    ASSERT_EQ(names.size(), 1000u);
    EXPECT_EQ(names[0], "S0");
    EXPECT_EQ(names[999], "S999");
}

TEST_F(ConfigClassTest, GetIniSectionsKeepsOnlyNamesThatFitItsBuffer) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "[" + std::string(60, 's') + std::to_string(100 + i) + "]\r\n";
    sandbox.WriteFile("Config.ini", text);
    const auto names = config.GetIniSections(0);
    // 64 characters a name with its NUL: 78 whole names fit 4,998 characters.
    ASSERT_EQ(names.size(), 79u);
    EXPECT_EQ(names[77], std::string(60, 's') + "177");
    EXPECT_EQ(names[78], "");
}

TEST_F(ConfigClassTest, Windows1252FileIsReadAndRewrittenAsUtf8) {
    sandbox.WriteFile("Config.ini", "[S]\r\nname=caf\xE9\r\n");
    EXPECT_EQ(config.Value("S", "name"), "caf\xC3\xA9");
    config.Value("S", "other", "", "x");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), "[S]\r\nname=caf\xC3\xA9\r\nother=x\r\n");
}

}  // namespace
}  // namespace kivra
