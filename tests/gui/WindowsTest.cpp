#include <gtest/gtest.h>

#include "DefaultSettings.h"
#include "Main.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"
#include "frmMain.h"

namespace kivra {
namespace {

TEST(WindowsTest, AnalyzerOpensWithItsCaptionAndSeedsTheSettings) {
    test::SettingsSandbox sandbox("", "");
    RecordingReporter reporter;
    WindowSeams seams;
    seams.reporter = &reporter;
    frmMain window(seams);
    EXPECT_EQ(window.objectName(), "frmMain");
    EXPECT_EQ(window.windowTitle(), "Kivra Analyzer");
    EXPECT_EQ(Program().ProductName, "Kivra");
    EXPECT_EQ(Program().ConfigFile, "Config.ini");
    EXPECT_EQ(sandbox.ReadFile("Config.ini"), DefaultSettingsText());
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(WindowsTest, TaggerOpensWithItsCaptionAndSharesTheSettingsFile) {
    test::SettingsSandbox sandbox("", "");
    sandbox.WriteFile("Config.ini", "[Tag Application]\r\nKivraPrefix=Mine.\r\n");
    RecordingReporter reporter;
    WindowSeams seams;
    seams.reporter = &reporter;
    Main window(seams);
    EXPECT_EQ(window.objectName(), "Main");
    EXPECT_EQ(window.windowTitle(), "Kivra Code Auto Tag");
    EXPECT_EQ(Program().ConfigFile, "Config.INI");
    EXPECT_EQ(Program().AppVersion, "0.1.0");
    EXPECT_EQ(window.Config().Value("Tag Application", "KivraPrefix"), "Mine.");
    EXPECT_TRUE(reporter.messages.empty());
}

}  // namespace
}  // namespace kivra
