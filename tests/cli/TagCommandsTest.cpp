#include "TagCommands.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "CommandFixture.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;

class TagCommandsTest : public test::CommandFixture {
protected:
    TagCommandsTest() : CommandFixture(&AddTagCommands, "Config.INI") {}
};

TEST_F(TagCommandsTest, TagKeepsTheEncodingAndNeverTouchesTheInput) {
    const std::string source = "Sub Caf\xE9()\r\nEnd Sub";  // Windows-1252
    Write("in.bas", source);
    ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"), "Sub Caf\xE9()\r\nKivra.Start \"Caf\xE9\"\r\nKivra.St0p\r\nEnd Sub\r\n");
    EXPECT_EQ(Read("in.bas"), source);

    Write("bom.bas", "\xEF\xBB\xBFSub A()");
    ASSERT_EQ(Run({"tag", Path("bom.bas"), "--no-subs", "-o", Path("bom-out.bas")}), 0);
    EXPECT_EQ(Read("bom-out.bas"), "\xEF\xBB\xBFSub A()\r\n");
}

TEST_F(TagCommandsTest, OutputMayReplaceTheInputKeepingItsPermissions) {
    Write("in.bas", "Kivra.St0p\r\nx = 1");
    ::chmod(Path("in.bas").c_str(), 0640);
    ASSERT_EQ(Run({"comment", Path("in.bas"), "--out", "-o", Path("in.bas")}), 0);
    EXPECT_EQ(Read("in.bas"), "'Kivra.St0p\r\nx = 1\r\n");
    EXPECT_EQ(fs::status(Path("in.bas")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Run({"comment", Path("in.bas"), "--back-in", "-o", Path("in.bas")}), 0);
    ASSERT_EQ(Run({"untag", Path("in.bas"), "-o", Path("in.bas")}), 0);
    EXPECT_EQ(Read("in.bas"), "x = 1\r\n\r\n\r\n");
    // Only the file itself is left in the folder: no temporary files.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(sandbox_.Profile())) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(TagCommandsTest, RefusalsAndUsageErrors) {
    Write("in.bas", "Sub A()");
    EXPECT_EQ(Run({"tag", Path("in.bas"), "--prefix", "Kivra", "-o", Path("out.bas")}), 1);
    EXPECT_EQ(Run({"untag", Path("in.bas"), "--prefix", "", "-o", Path("out.bas")}), 1);
    EXPECT_FALSE(fs::exists(Path("out.bas")));
    EXPECT_EQ(Run({"tag", Path("missing.bas"), "-o", Path("out.bas")}), 1);
    EXPECT_EQ(Run({"tag", Path("in.bas"), "--keywords", Path("missing.ini"), "-o", Path("out.bas")}), 1);
    EXPECT_EQ(Run({"untag", Path("in.bas"), "-o", sandbox_.Profile().string()}), 1);  // a folder
    EXPECT_EQ(Run({"comment", Path("in.bas"), "-o", Path("out.bas")}), 2);
    EXPECT_EQ(Run({"comment", Path("in.bas"), "--out", "--back-in", "-o", Path("out.bas")}), 2);
    EXPECT_EQ(Run({"tag"}), 2);
    EXPECT_FALSE(fs::exists(Path("out.bas")));
    EXPECT_EQ(Read("in.bas"), "Sub A()");
}

TEST_F(TagCommandsTest, PrefixAndKeywordsFromTheSettingsOrAFile) {
    Write("in.bas", "Function F()\r\nEnd Function");
    sandbox_.WriteFile("config.ini", "[Tag Application]\r\nKivraPrefix=Timer.\r\n[Tag Start]\r\n1=Function,x\r\n"
                                     "[Tag Exit]\r\n1=Exit Function,x\r\n[Tag Stop]\r\n1=End Function,0\r\n");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"), "Function F()\r\nTimer.Start \"F\"\r\nTimer.St0p\r\nEnd Function\r\n");

    Write("keys.ini", "[Tag Stop]\r\n1=End Function,1\r\n");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "--prefix", "K.", "--keywords", Path("keys.ini"), "-o", Path("out.bas")}),
              0);
    EXPECT_EQ(Read("out.bas"), "Function F()\r\nK.St0p \r\nEnd Function\r\n");
}

TEST_F(TagCommandsTest, ShippedKeywordsWithoutASettingsFile) {
    Write("in.bas", "Public Property Get Total() As Long\r\nEnd Property");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"),
              "Public Property Get Total() As Long\r\nKivra.Start \"Total\"\r\nKivra.St0p\r\nEnd Property\r\n");
}

}  // namespace
}  // namespace kivra
