#include "KeywordSections.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DefaultSettings.h"
#include "SettingsSandbox.h"
#include "TagRun.h"

namespace kivra {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Phrases(const KeywordSection& section) {
    std::vector<std::string> phrases;
    for (const auto& k : section.Keys()) phrases.push_back(k.phrase);
    return phrases;
}

std::vector<bool> Flags(const KeywordSection& section) {
    std::vector<bool> flags;
    for (const auto& k : section.Keys()) flags.push_back(k.passesName);
    return flags;
}

std::vector<std::string> Texts(const RecordingReporter& reporter) {
    std::vector<std::string> texts;
    for (const auto& m : reporter.messages) texts.push_back(m.text);
    return texts;
}

TEST(KeywordSectionsTest, PhraseIsTheTextBeforeTheFirstCommaAndKindsCountLetterCase) {
    const Keyword k = ParseKeyword("Property Get,Sub, Function");
    EXPECT_TRUE(k.hasPhrase);
    EXPECT_EQ(k.phrase, "Property Get");
    EXPECT_TRUE(k.isProperty);
    EXPECT_FALSE(k.isSub);
    EXPECT_FALSE(k.isFunction);

    const Keyword both = ParseKeyword("SubFunction,x");
    EXPECT_TRUE(both.isSub && both.isFunction);
    EXPECT_FALSE(ParseKeyword("end sub,0").isSub);
    EXPECT_FALSE(ParseKeyword("End Sub").hasPhrase);
}

TEST(KeywordSectionsTest, ShippedSections) {
    const KeywordSections shipped = ShippedKeywordSections();
    EXPECT_EQ(shipped.start.Keys().size(), 13u);
    EXPECT_EQ(shipped.start.Keys()[0].phrase, "Sub");
    EXPECT_EQ(shipped.start.Keys()[7].phrase, "Public Property");
    EXPECT_THAT(Phrases(shipped.exit), ElementsAre("Exit Sub", "Exit Function", "Exit Property"));
    EXPECT_THAT(Phrases(shipped.stop), ElementsAre("End Sub", "End Function", "End Property"));
    EXPECT_THAT(Flags(shipped.stop), ElementsAre(false, true, false));
}

TEST(KeywordSectionsTest, SettingsFileIsReadThroughTheStore) {
    test::SettingsSandbox sandbox("Config.INI");
    RecordingReporter reporter;
    ConfigClass config(reporter);
    SeedSettingsFile(config, reporter);
    const KeywordSections read = ReadKeywordSections(config);
    EXPECT_TRUE(reporter.messages.empty());
    const KeywordSections shipped = ShippedKeywordSections();
    EXPECT_EQ(Phrases(read.start), Phrases(shipped.start));
    EXPECT_EQ(Phrases(read.exit), Phrases(shipped.exit));
    EXPECT_EQ(Flags(read.stop), Flags(shipped.stop));
}

TEST(KeywordSectionsTest, MissingSectionsAreReportedOncePerRunNotPerLine) {
    test::SettingsSandbox sandbox("Config.INI");
    sandbox.WriteFile("Config.INI", "[Tag Start]\r\n1=Sub,Sub\r\n[Tag Stop]\r\n");
    RecordingReporter reporter;
    ConfigClass config(reporter);
    const KeywordSections keywords = ReadKeywordSections(config);
    const std::string path = config.IniFilePath("");
    EXPECT_THAT(Texts(reporter), ElementsAre("Keys: Section 'Tag Exit' or INI File '" + path + "' is missing ",
                                             "Keys: Section 'Tag Stop' or INI File '" + path + "' is missing "));

    std::string text;
    for (int i = 0; i < 50; ++i) text += "Sub A()\r\n    Exit Sub\r\nEnd Sub\r\n";
    const RunResult result = TagText(text, "Kivra.", TagOptions{}, keywords);
    EXPECT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(result.text.substr(0, 32), "Sub A()\r\nKivra.Start \"A\"\r\n    Ex");
}

TEST(KeywordSectionsTest, StopFlagIsReadUnderThePositionOfTheKey) {
    RecordingReporter reporter;
    const auto doc = IniDocument::Parse(
        "[Tag Start]\r\n1=Sub,x\r\n[Tag Exit]\r\n1=Exit Sub,x\r\n"
        "[Tag Stop]\r\nb=End Function,1\r\n1=End Sub,0\r\n3=End Property,1\r\n");
    const KeywordSections keywords = ReadKeywordSections(doc, "/k.ini", reporter);
    // Position 1 reads key "1" (End Sub,0); position 2 has no key "2".
    EXPECT_THAT(Flags(keywords.stop), ElementsAre(false, false, true));
    EXPECT_THAT(Texts(reporter), ElementsAre("GetKey is missing [Tag Stop] '2=' key."));
}

TEST(KeywordSectionsTest, KeywordFileOfAnyName) {
    RecordingReporter reporter;
    std::string why;
    EXPECT_FALSE(LoadKeywordFile("/nonexistent/keys.ini", reporter, &why));
    EXPECT_FALSE(why.empty());

    const auto doc = IniDocument::Parse("[Tag Start]\r\n1=~~Sub,x\r\n2=Function\r\n");
    const KeywordSections keywords = ReadKeywordSections(doc, "/k.ini", reporter);
    EXPECT_THAT(Phrases(keywords.start), ElementsAre(" Sub", ""));  // stored form decoded
    EXPECT_FALSE(keywords.start.Keys()[1].hasPhrase);
    EXPECT_THAT(Texts(reporter), ElementsAre("Keys: Section 'Tag Exit' or INI File '/k.ini' is missing ",
                                             "Keys: Section 'Tag Stop' or INI File '/k.ini' is missing "));
}

}  // namespace
}  // namespace kivra
