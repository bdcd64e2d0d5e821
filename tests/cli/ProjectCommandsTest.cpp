// kivra tag, untag, comment and check over whole projects: files, folders,
// .vbp and .vbg files, rewritten in place, never half-written.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "BasicModules.h"
#include "CommandFixture.h"
#include "InPlaceRun.h"
#include "ProjectFiles.h"
#include "TagCommands.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class ProjectCommandsTest : public test::CommandFixture {
protected:
    ProjectCommandsTest() : CommandFixture(&AddTagCommands, "Config.INI") {}

    void Make(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(Path(name)).parent_path());
        Write(name, bytes);
    }
    // Every file of the project and its bytes.
    std::map<std::string, std::string> Tree() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Path("proj"))) {
            if (entry.is_regular_file())
                files[entry.path().string()] = Read(fs::relative(entry.path(), sandbox_.Profile()).string());
        }
        return files;
    }
    // A project of one form, two modules (CR LF and LF), a class with a
    // byte-order mark and a Windows-1252 module, some in folders.
    void MakeProject() {
        const std::string crlf = test::AccountClass();
        std::string lf;
        for (const char c : test::AreaFunction() + "\r\n") {
            if (c != '\r') lf += c;
        }
        Make("proj/App.vbp",
             "Type=Exe\r\nReference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE Automation\r\n"
             "Form=Forms\\frmMain.frm\r\nModule=modArea; Modules\\modArea.bas\r\nClass=Account; ACCOUNT.CLS\r\n"
             "Module=modLatin; Modules\\modLatin.bas\r\nObject={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; "
             "mscomctl.ocx\r\nStartup=\"frmMain\"\r\n");
        Make("proj/Forms/frmMain.frm",
             "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\nAttribute VB_Name = \"frmMain\"\r\n"
             "Private Sub Form_Load()\r\n    Caption = \"Caf\xC3\xA9\"\r\nEnd Sub\r\n");
        Make("proj/Modules/modArea.bas", lf);
        Make("proj/Account.cls", "\xEF\xBB\xBF" + crlf);
        Make("proj/Modules/modLatin.bas",
             "Public Function Caf\xE9(ByVal X As Long) As Long\r\n    Caf\xE9 = X\r\nEnd Function");
    }
};

TEST_F(ProjectCommandsTest, ProjectsFoldersAndFilesNameEachFileOnce) {
    MakeProject();
    Make("proj/Group.vbg", "VBGROUP 5.0\r\nStartupProject=App.vbp\r\nProject=app.VBP\r\n");
    Make("proj/Old.vbp", "Module=modGone; Modules\\gone.bas\r\nForm=Forms\\FRMMAIN.FRM\r\n");
    Make("proj/Notes.txt", "not a source");

    const SourceFileList fromProject = ExpandSourcePaths({Path("proj/App.vbp")});
    ASSERT_EQ(fromProject.files.size(), 4u);
    EXPECT_EQ(fromProject.files[0], fs::path(Path("proj/Forms/frmMain.frm")));
    EXPECT_TRUE(fs::equivalent(fromProject.files[2], Path("proj/Account.cls")));  // named ACCOUNT.CLS
    EXPECT_TRUE(fromProject.problems.empty());
    EXPECT_TRUE(fromProject.several);

    // The missing file is named; the others are there. The group names its
    // project twice, in another letter case: once.
    const SourceFileList mixed =
        ExpandSourcePaths({Path("proj/Old.vbp"), Path("proj/Group.vbg"), Path("proj/Account.cls")});
    ASSERT_EQ(mixed.problems.size(), 1u);
    EXPECT_NE(mixed.problems[0].find("gone.bas"), std::string::npos);
    EXPECT_EQ(mixed.files.size(), 4u);

    // A folder: its source files only, in path order.
    const SourceFileList folder = ExpandSourcePaths({Path("proj")});
    std::vector<std::string> names;
    for (const fs::path& file : folder.files) names.push_back(file.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"Account.cls", "frmMain.frm", "modArea.bas", "modLatin.bas"}));
    EXPECT_EQ(ExpandSourcePaths({Path("proj/nothing")}).problems.size(), 1u);
}

TEST_F(ProjectCommandsTest, TagThenUntagInPlaceGivesEveryFileBackByteForByte) {
    MakeProject();
    ::chmod(Path("proj/Modules/modArea.bas").c_str(), 0640);
    const auto before = Tree();
    std::string out, err;
    ASSERT_EQ(Run({"tag", "-i", Path("proj/App.vbp")}, out, err), 0) << err;
    const auto tagged = Tree();
    for (const auto& [file, bytes] : before) {
        if (file.ends_with(".vbp")) continue;
        EXPECT_NE(tagged.at(file), bytes) << file;
    }
    EXPECT_NE(err.find("4 files changed"), std::string::npos) << err;
    EXPECT_EQ(tagged.at(Path("proj/Account.cls")).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(tagged.at(Path("proj/Modules/modLatin.bas")).find("Kivra.Start \"Caf\xE9\", X"), std::string::npos);
    EXPECT_EQ(tagged.at(Path("proj/Modules/modArea.bas")).find('\r'), std::string::npos);  // still LF only
#ifndef _WIN32  // Windows has no permission bits to keep, only a read-only flag
    EXPECT_EQ(fs::status(Path("proj/Modules/modArea.bas")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif

    // check finds the calls and fails; untag takes them out; check passes.
    ASSERT_EQ(Run({"check", Path("proj")}, out, err), 1);
    EXPECT_NE(out.find(Path("proj/Modules/modLatin.bas") + ":2: Kivra.Start \"Caf\xC3\xA9\", X\n"), std::string::npos)
        << out;
    ASSERT_EQ(Run({"comment", "--out", "-i", Path("proj")}, out, err), 0) << err;
    ASSERT_EQ(Run({"comment", "--back-in", "-i", Path("proj")}, out, err), 0) << err;
    EXPECT_EQ(Tree(), tagged);
    ASSERT_EQ(Run({"untag", "-i", Path("proj/App.vbp")}, out, err), 0) << err;
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(Run({"check", Path("proj/App.vbp")}, out, err), 0);
    EXPECT_EQ(out, "");
}

TEST_F(ProjectCommandsTest, SafetyPerFile) {
    MakeProject();
    ASSERT_EQ(Run({"tag", "-i", Path("proj/Account.cls")}), 0);
    const auto once = Tree();
    // Tagged already: skipped with a warning, unless forced.
    std::string out, err;
    EXPECT_EQ(Run({"tag", "-i", Path("proj")}, out, err), 0);
    EXPECT_NE(err.find("Account.cls' skipped: it holds tag lines"), std::string::npos) << err;
    EXPECT_EQ(Tree().at(Path("proj/Account.cls")), once.at(Path("proj/Account.cls")));
    EXPECT_EQ(Run({"tag", "-i", "--force", Path("proj/Account.cls")}, out, err), 0);
    EXPECT_NE(Tree().at(Path("proj/Account.cls")), once.at(Path("proj/Account.cls")));

    // A read-only file is reported and left; the others are done.
    MakeProject();
    ::chmod(Path("proj/Modules/modLatin.bas").c_str(), 0444);
    const auto before = Tree();
    EXPECT_EQ(Run({"tag", "-i", Path("proj/App.vbp")}, out, err), 1);
    EXPECT_NE(err.find("modLatin.bas' left as it was: it is read-only"), std::string::npos) << err;
    EXPECT_EQ(Tree().at(Path("proj/Modules/modLatin.bas")), before.at(Path("proj/Modules/modLatin.bas")));
    EXPECT_NE(Tree().at(Path("proj/Modules/modArea.bas")), before.at(Path("proj/Modules/modArea.bas")));
    ::chmod(Path("proj/Modules/modLatin.bas").c_str(), 0644);
}

TEST_F(ProjectCommandsTest, ATaggingThatUntagCouldNotUndoIsNotWritten) {
    Make("proj/A.bas", "Sub A()\r\nEnd Sub\r\n");
    // A run that inserts a call and also changes a line of the user's.
    const TextRun faulty = [](std::string_view) {
        RunResult result;
        result.text = "Sub B()\r\nKivra.Start \"A\"\r\nEnd Sub\r\n";
        return result;
    };
    const FileOutcome outcome = RewriteFile(Path("proj/A.bas"), "Kivra.", InPlaceOptions{}, faulty);
    EXPECT_EQ(outcome.status, FileStatus::Error);
    EXPECT_NE(outcome.message.find("would not give the file back"), std::string::npos);
    EXPECT_EQ(Read("proj/A.bas"), "Sub A()\r\nEnd Sub\r\n");
}

TEST_F(ProjectCommandsTest, DryRunChangesNoByteAndJsonSumsUp) {
    MakeProject();
    Make("proj/Empty.bas", "");
    const auto before = Tree();
    std::string out, err;
    ASSERT_EQ(Run({"tag", "--dry-run", Path("proj")}, out, err), 0) << err;
    EXPECT_EQ(Tree(), before);
    EXPECT_NE(out.find(Path("proj/Account.cls") + ": would insert "), std::string::npos) << out;
    EXPECT_NE(out.find(Path("proj/Empty.bas") + ": nothing to change"), std::string::npos) << out;

    ASSERT_EQ(Run({"tag", "-i", "--json", Path("proj")}, out, err), 0) << err;
    const Json summary = Json::parse(out);
    EXPECT_EQ(summary.at("totals").at("files"), 5);
    EXPECT_EQ(summary.at("totals").at("changed"), 4);
    EXPECT_EQ(summary.at("totals").at("unchanged"), 1);
    std::size_t inserted = 0;
    for (const Json& file : summary.at("files")) inserted += file.at("inserted").get<std::size_t>();
    EXPECT_EQ(summary.at("totals").at("inserted"), inserted);
    ASSERT_EQ(Run({"untag", "-i", "--json", Path("proj")}, out, err), 0) << err;
    EXPECT_EQ(Json::parse(out).at("totals").at("removed"), inserted);
    EXPECT_EQ(Tree(), before);
}

TEST_F(ProjectCommandsTest, UsageErrorsAndMissingFiles) {
    MakeProject();
    EXPECT_EQ(Run({"tag", Path("proj/App.vbp")}), 2);  // several files need -i
    EXPECT_EQ(Run({"tag", Path("proj/Account.cls"), Path("proj/Forms/frmMain.frm")}), 2);
    EXPECT_EQ(Run({"tag", "-i", Path("proj/Account.cls"), "-o", Path("out.bas")}), 2);
    EXPECT_EQ(Run({"untag", "-i", "-"}), 2);
    EXPECT_EQ(Run({"check"}), 2);
    // A file the project names that is missing is an error; the rest is done.
    Make("proj/App.vbp", "Module=modGone; gone.bas\r\nClass=Account; Account.cls\r\n");
    std::string out, err;
    EXPECT_EQ(Run({"tag", "-i", Path("proj/App.vbp")}, out, err), 1);
    EXPECT_NE(err.find("gone.bas"), std::string::npos) << err;
    EXPECT_NE(Read("proj/Account.cls").find("Kivra.Start"), std::string::npos);
}

}  // namespace
}  // namespace kivra
