#include "TagCommands.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "BasicModules.h"
#include "CommandFixture.h"
#include "FullDisk.h"

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
    EXPECT_EQ(Read("out.bas"), "Sub Caf\xE9()\r\nKivra.Start \"Caf\xE9\"\r\nKivra.St0p\r\nEnd Sub");
    EXPECT_EQ(Read("in.bas"), source);

    Write("bom.bas", "\xEF\xBB\xBFSub A()");
    ASSERT_EQ(Run({"tag", Path("bom.bas"), "--no-subs", "-o", Path("bom-out.bas")}), 0);
    EXPECT_EQ(Read("bom-out.bas"), "\xEF\xBB\xBFSub A()");
}

TEST_F(TagCommandsTest, OutputMayReplaceTheInputKeepingItsPermissions) {
    Write("in.bas", "Kivra.St0p\r\nx = 1");
    ::chmod(Path("in.bas").c_str(), 0640);
    ASSERT_EQ(Run({"comment", Path("in.bas"), "--out", "-o", Path("in.bas")}), 0);
    EXPECT_EQ(Read("in.bas"), "'Kivra.St0p\r\nx = 1");
#ifndef _WIN32  // Windows has no permission bits to keep, only a read-only flag
    EXPECT_EQ(fs::status(Path("in.bas")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    ASSERT_EQ(Run({"comment", Path("in.bas"), "--back-in", "-o", Path("in.bas")}), 0);
    ASSERT_EQ(Run({"untag", Path("in.bas"), "-o", Path("in.bas")}), 0);
    EXPECT_EQ(Read("in.bas"), "x = 1");
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

TEST_F(TagCommandsTest, EndlessOrHugeSourcesAndUnfindablePrefixesAreRefused) {
    std::string out;
    std::string err;
#ifndef _WIN32  // an endless device
    EXPECT_EQ(Run({"tag", "/dev/zero", "-o", Path("out.bas")}, out, err), 1);
    EXPECT_EQ(err, "kivra: Cannot read '/dev/zero': it is larger than 16 MB\n");
#endif
    Write("huge.bas", std::string((std::size_t{16} << 20) + 1, 'x'));
    EXPECT_EQ(Run({"untag", Path("huge.bas"), "-o", Path("out.bas")}, out, err), 1);
    EXPECT_NE(err.find("larger than 16 MB"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Path("out.bas")));

    // Untag could not find lines tagged with a prefix that begins so.
    Write("in.bas", "Sub A()\r\nEnd Sub");
    for (const char* prefix : {"'K.", " K.", "\tK."}) {
        EXPECT_EQ(Run({"tag", Path("in.bas"), "--prefix", prefix, "-o", Path("out.bas")}, out, err), 1) << prefix;
        EXPECT_NE(err.find("Tag Prefix begins with a blank, a tab or an apostrophe"), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(Path("out.bas")));
}

TEST_F(TagCommandsTest, AFullDiskLeavesTheOutputAsItWas) {
    KIVRA_SKIP_WITHOUT_FULL_DISK();
    Write("in.bas", "Sub A()\r\nEnd Sub");
    Write("out.bas", "old");
    EXPECT_EQ(test::WithFullDisk([&] { return Run({"tag", Path("in.bas"), "-o", Path("out.bas")}); }), 1);
    EXPECT_EQ(Read("out.bas"), "old");
    EXPECT_EQ(test::WithFullDisk([&] { return Run({"tag", Path("in.bas"), "-o", Path("in.bas")}); }), 1);
    EXPECT_EQ(Read("in.bas"), "Sub A()\r\nEnd Sub");
}

TEST_F(TagCommandsTest, PrefixAndKeywordsFromTheSettingsOrAFile) {
    Write("in.bas", "Function F()\r\nEnd Function");
    sandbox_.WriteFile("config.ini",
                       "[Tag Application]\r\nKivraPrefix=Timer.\r\n[Tag Start]\r\n1=Function,x\r\n"
                       "[Tag Exit]\r\n1=Exit Function,x\r\n[Tag Stop]\r\n1=End Function,0\r\n");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"), "Function F()\r\nTimer.Start \"F\"\r\nTimer.St0p\r\nEnd Function");

    Write("keys.ini", "[Tag Stop]\r\n1=End Function,1\r\n");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "--prefix", "K.", "--keywords", Path("keys.ini"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"), "Function F()\r\nK.St0p \r\nEnd Function");
}

TEST_F(TagCommandsTest, ShippedKeywordsWithoutASettingsFile) {
    Write("in.bas", "Public Property Get Total() As Long\r\nEnd Property");
    ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("out.bas")}), 0);
    EXPECT_EQ(Read("out.bas"),
              "Public Property Get Total() As Long\r\nKivra.Start \"Total\"\r\nKivra.St0p\r\nEnd Property");
}

// Each line keeps its end, inserted lines take the file's style, and the
// output ends with a line end exactly when the input did: untag gives back
// what tag was given, byte for byte.
TEST_F(TagCommandsTest, UntagUndoesTagByteForByte) {
    const std::string crlf = test::AccountClass();
    std::string lf;
    for (const char c : crlf) {
        if (c != '\r') lf += c;
    }
    const std::string sources[] = {crlf, crlf + "\r\n", lf, lf + "\n",
                                   // mixed ends and a bare CR inside a line
                                   "Sub A()\nx = \"a\rb\"\r\n    If Done Then Exit Sub\r\nEnd Sub\n",
                                   "Sub A()\r\nEnd Sub\r\n\r\n", "End Sub", "",
                                   // the last line, a header, ends in a bare CR
                                   "x = 1\nPublic Property Get Total() As Long\r"};
    for (const std::string& source : sources) {
        Write("in.bas", source);
        ASSERT_EQ(Run({"tag", Path("in.bas"), "-o", Path("tagged.bas")}), 0);
        const std::string tagged = Read("tagged.bas");
        EXPECT_EQ(tagged.ends_with('\n'), source.ends_with('\n')) << source;
        ASSERT_EQ(Run({"untag", Path("tagged.bas"), "-o", Path("back.bas")}), 0);
        EXPECT_EQ(Read("back.bas"), source);
        ASSERT_EQ(Run({"comment", "--out", Path("tagged.bas"), "-o", Path("out.bas")}), 0);
        ASSERT_EQ(Run({"comment", "--back-in", Path("out.bas"), "-o", Path("in-again.bas")}), 0);
        EXPECT_EQ(Read("in-again.bas"), tagged);
    }

    // An LF file: lines split at LF, inserted lines end in LF, the exit on
    // one line marked in any letter case.
    Write("lf.bas", "Sub A()\n    If Done Then Exit Sub\nEnd Sub\n");
    ASSERT_EQ(Run({"tag", Path("lf.bas"), "-o", Path("lf-out.bas")}), 0);
    EXPECT_EQ(Read("lf-out.bas"),
              "Sub A()\nKivra.Start \"A\"\n    If Done Then Exit Sub\nKivra.St0p '<<<<<<\n"
              "Kivra.St0p\nEnd Sub\n");
}

}  // namespace
}  // namespace kivra
