#include "TraceSettings.h"

#include <gtest/gtest.h>

#include "SettingsSandbox.h"

namespace kivra {
namespace {

TEST(TraceSettingsTest, WithoutASettingsFileTheShippedValuesHold) {
    const test::SettingsSandbox sandbox;
    const TraceSettings settings = ResolveTraceSettings({});
    EXPECT_EQ(settings.format, "0.000");
    EXPECT_EQ(settings.paramChar, ", ");
    EXPECT_TRUE(settings.showTotal);
    EXPECT_EQ(settings.widths, (std::array<int, 6>{300, 100, 100, 150, 150, 150}));
}

TEST(TraceSettingsTest, TheFilesValuesHoldWhereItHasTheKeyAndOptionsWin) {
    const test::SettingsSandbox sandbox;
    sandbox.WriteFile("Config.ini",
                      "[Application]\r\nFormat=0.0\r\nShowTotal=True\r\n[Columns]\r\n1=200\r\n2=0\r\n3=abc\r\n");
    TraceSettings settings = ResolveTraceSettings({});
    EXPECT_EQ(settings.format, "0.0");
    EXPECT_EQ(settings.paramChar, ", ");  // missing key: shipped value, quietly
    EXPECT_EQ(settings.widths, (std::array<int, 6>{200, 100, 100, 150, 150, 150}));  // stored 0 shown as 100

    settings = ResolveTraceSettings({std::string("#"), std::string("/"), false, {1, 2, 3, 4, 5, 6}});
    EXPECT_EQ(settings.format, "#");
    EXPECT_EQ(settings.paramChar, "/");
    EXPECT_FALSE(settings.showTotal);
    EXPECT_EQ(settings.widths, (std::array<int, 6>{1, 0, 3, 4, 5, 6}));  // hidden total column
}

TEST(TraceSettingsTest, BooleanSettings) {
    EXPECT_TRUE(SettingAsBoolean("1"));
    EXPECT_TRUE(SettingAsBoolean("tRUE"));
    EXPECT_TRUE(SettingAsBoolean("-1"));
    EXPECT_FALSE(SettingAsBoolean("0"));
    EXPECT_FALSE(SettingAsBoolean("False"));
    EXPECT_FALSE(SettingAsBoolean(""));
    EXPECT_FALSE(SettingAsBoolean("yes"));
}

}  // namespace
}  // namespace kivra
