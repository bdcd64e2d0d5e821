#include "DefaultSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ProgramValues.h"
#include "SettingsSandbox.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

TEST(DefaultSettingsTest, FirstStartWritesTheShippedFile) {
    test::SettingsSandbox sandbox;
    RecordingReporter reporter;
    ConfigClass config(reporter);
    SeedSettingsFile(config, reporter);
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), DefaultSettingsText());

    EXPECT_EQ(config.Value("Application", "Format"), "0.000");
    EXPECT_EQ(config.Value("Application", "ParamChar"), ", ");
    EXPECT_EQ(config.Value("Application", "LastFile"), "");
    EXPECT_EQ(config.Value("Window", "Width"), "13365");
    EXPECT_EQ(config.Value("Columns", "6"), "150");
    EXPECT_EQ(config.Value("Tag Application", "KivraPrefix"), "Kivra.");
    EXPECT_EQ(config.GetIniKeys("Tag Start", "", 1).size(), 14u);
    EXPECT_THAT(config.GetIniKeys("Tag Stop", "", 1), ElementsAre("", "1", "2", "3"));
    EXPECT_EQ(config.Value("Tag Stop", "2"), "End Function,1");
    EXPECT_EQ(config.Value("Tag Exit", "3"), "Exit Property,Exit Property");
    EXPECT_EQ(config.Value("View", "Tab"), "Call Tree");
    EXPECT_EQ(config.Value("View", "FindData"), "0");
    EXPECT_THAT(config.GetIniSections(0), ElementsAre("Application", "Window", "Columns", "View", "Tag Application",
                                                      "Tag Start", "Tag Exit", "Tag Stop", ""));
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(DefaultSettingsTest, AnExistingFileIsNeverReplaced) {
    test::SettingsSandbox sandbox("Config.INI");
    sandbox.WriteFile("config.ini", "[Application]\r\nFormat=0.0\r\n");
    RecordingReporter reporter;
    ConfigClass config(reporter);
    SeedSettingsFile(config, reporter);
    EXPECT_EQ(sandbox.ReadFile("config.ini"), "[Application]\r\nFormat=0.0\r\n");
    // One settings file, whatever the spelling: no second one beside it.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(sandbox.ProductFolder())) {
        files += entry.path().filename().string().starts_with(".") ? 0 : 1;
    }
    EXPECT_EQ(files, 1);
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(DefaultSettingsTest, AFolderThatCannotBeMadeIsReported) {
    test::SettingsSandbox sandbox;
    // A file where the settings folder should be.
    fs::create_directories(sandbox.Profile() / "AppData" / "Roaming");
    std::ofstream(sandbox.Profile() / "AppData" / "Roaming" / "Brindle") << "in the way";
    RecordingReporter reporter;
    ConfigClass config(reporter);
    SeedSettingsFile(config, reporter);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_THAT(reporter.messages[0].text, ::testing::StartsWith("Could not create the settings file '"));
    EXPECT_EQ(reporter.messages[0].icon, MessageIcon::Critical);
}

}  // namespace
}  // namespace kivra
