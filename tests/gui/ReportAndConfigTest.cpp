#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "CallTreeView.h"
#include "FullDisk.h"
#include "ReportFile.h"
#include "frmConfig.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

class ReportTest : public test::AnalyzerWindowFixture {
protected:
    ReportTest() {
        desktop.programFolder = sandbox.Profile() / "program";
        fs::create_directories(desktop.programFolder);
    }
    std::string Report(frmMain& window) {
        QTest::mouseClick(window.findChild<QToolButton*>("cmdCopyPrint"), Qt::LeftButton);
        EXPECT_FALSE(desktop.opener.opened.isEmpty());
        if (desktop.opener.opened.isEmpty()) return {};
        std::ifstream in(desktop.opener.opened.back().toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(ReportTest, EmptyTableGivesHeaderAndRule) {
    auto window = Start();
    const std::string report = Report(*window);
    const auto lines = Lines(report);
    ASSERT_EQ(lines.size(), 2u);
    // Widths 300, 100, 100, 150, 150, 150: 55, 10, 10, 15, 15 and 15 characters.
    EXPECT_EQ(lines[0], std::string("Code Trace") + std::string(45, ' ') + "Total (ms)Time (ms) Data In" +
                            std::string(8, ' ') + "Data Log" + std::string(7, ' ') + "Data Out" + std::string(7, ' '));
    EXPECT_EQ(lines[1], std::string(122, '-'));
    EXPECT_EQ(desktop.opener.opened.back().toStdString(), (desktop.programFolder / "Temp.txt").string());
}

TEST_F(ReportTest, CollapsedBranchesAreLeftOut) {
    Settings("Application", "LastFile", WriteTrace("run.pad", test::kTrace));
    Settings("Application", "Format", "0.00");
    auto window = Start();
    // A click on A's button closes its branch, as in any tree.
    QTreeView& grid = window->Grid();
    const QRect cell = grid.visualRect(window->Model().IndexOfRow(0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      CallTreeView::ButtonRect(cell, 0, grid.indentation()).center());
    EXPECT_FALSE(window->Model().IsExpanded(0));
    auto lines = Lines(Report(*window));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2].substr(0, 3), "+ A");
    EXPECT_EQ(lines[3].substr(0, 3), "- D");
    EXPECT_EQ(lines[4].substr(0, 8), "       E");
    EXPECT_EQ(lines[2].size(), 120u);

    window->Model().SetExpanded(0, true);
    lines = Lines(Report(*window));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2].substr(0, 3), "- A");
    EXPECT_EQ(lines[3], "       B" + std::string(47, ' ') + "3.00      3.00      x, y" + std::string(11, ' ') + "log" +
                            std::string(12, ' ') + "out" + std::string(12, ' '));
    EXPECT_EQ(lines[4].substr(0, 8), "       C");
}

TEST_F(ReportTest, DeepRowsAreCutAtTheFirstColumnsWidth) {
    Settings("Application", "LastFile",
             WriteTrace("deep.pad",
                        "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\nLeafWithALongName|4|4|1|2|||\r\nC|3|3|1|2|||\r\n"
                        "B|2|2|0|3|||\r\nA|1|1|0|4|||\r\n"));
    Settings("Columns", "1", "0");  // 25 characters
    auto window = Start();
    const auto lines = Lines(Report(*window));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5].substr(0, 25), std::string(15, ' ') + "  LeafWith");
}

TEST_F(ReportTest, HiddenAndNarrowColumnsVanish) {
    Settings("Application", "ShowTotal", "0");
    auto window = Start();
    window->Grid().setColumnWidth(kColDataIn, 4);
    window->Grid().setColumnWidth(kColDataLog, 5);
    window->Grid().setColumnWidth(kColDataOut, 15);
    const auto lines = Lines(Report(*window));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], Not(HasSubstr("Total")));
    EXPECT_EQ(lines[0], "Code Trace" + std::string(45, ' ') + "Time (ms) Da");
}

TEST_F(ReportTest, SecondReportReplacesTheFirst) {
    Settings("Application", "LastFile", WriteTrace("run.pad", test::kTrace));
    auto window = Start();
    EXPECT_EQ(Lines(Report(*window)).size(), 7u);
    window->Model().SetExpanded(0, false);
    window->Model().SetExpanded(3, false);
    EXPECT_EQ(Lines(Report(*window)).size(), 4u);
}

TEST_F(ReportTest, UnwritableProgramFolderSendsTheReportToTheSettingsFolder) {
    desktop.programFolder = sandbox.Profile() / "no such folder";
    auto window = Start();
    Report(*window);
    EXPECT_EQ(desktop.opener.opened.back().toStdString(), (sandbox.ProductFolder() / "Temp.txt").string());
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(ReportTest, NowhereToWriteIsACriticalMessageNamingBothPlaces) {
    desktop.programFolder = sandbox.Profile() / "no such folder";
    auto window = Start();
    fs::remove_all(sandbox.ProductFolder());
    QTest::mouseClick(window->findChild<QToolButton*>("cmdCopyPrint"), Qt::LeftButton);
    EXPECT_TRUE(desktop.opener.opened.isEmpty());
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr((desktop.programFolder / "Temp.txt").string()));
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr((sandbox.ProductFolder() / "Temp.txt").string()));
}

TEST_F(ReportTest, AFullDiskLeavesTheEarlierReportAndSaysSo) {
    KIVRA_SKIP_WITHOUT_FULL_DISK();
    const auto folder = sandbox.Profile();
    std::ofstream(folder / "Temp.txt", std::ios::binary) << "earlier report";
    const int result = test::WithFullDisk([&] {
        const ReportFileResult written = WriteReportFile(std::string(4096, 'x'), {folder});
        return !written.written && written.message.find("Temp.txt") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(result, 0) << "the failed write was not reported";
    std::ifstream in(folder / "Temp.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier report");
}

class ConfigDialogTest : public test::AnalyzerWindowFixture {
protected:
    // Opens the dialog from the main window, lets `act` work in it, closes it.
    void WithDialog(frmMain& window, const std::function<void(frmConfig&)>& act) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmConfig*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
            ran = true;
            QTest::mouseClick(dialog->findChild<QToolButton*>("cmdExit"), Qt::LeftButton);
        });
        QTest::mouseClick(window.findChild<QToolButton*>("cmdConfig"), Qt::LeftButton);
        EXPECT_TRUE(ran);
    }
};

TEST_F(ConfigDialogTest, TypedFormatIsStoredAtEveryKeyAndUsedAfterClosing) {
    Settings("Application", "LastFile", WriteTrace("run.pad", test::kTrace));
    Settings("Application", "Format", "");
    auto window = Start();
    WithDialog(*window, [&](frmConfig& dialog) {
        auto* format = dialog.findChild<QLineEdit*>("txtFormat");
        EXPECT_EQ(format->text(), "");
        std::vector<std::string> stored;
        for (const char c : std::string("0.00")) {
            QTest::keyClick(format, c);
            stored.push_back(Stored("Application", "Format"));
        }
        EXPECT_THAT(stored, ElementsAre("0", "0.", "0.0", "0.00"));
        EXPECT_EQ(window->Model().Cell(0, kColTime), "3");  // not yet
    });
    EXPECT_EQ(window->Model().Cell(0, kColTime), "3.00");
}

TEST_F(ConfigDialogTest, ClearedDelimiterIsStoredEmpty) {
    auto window = Start();
    WithDialog(*window, [](frmConfig& dialog) { dialog.findChild<QLineEdit*>("txtParamChar")->clear(); });
    EXPECT_EQ(Stored("Application", "ParamChar"), "");
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(ConfigDialogTest, DefaultFolderFallbackIsShownNotStoredUntilChosen) {
    desktop.programFolder = "/opt/kivra";
    auto window = Start();
    WithDialog(*window, [&](frmConfig& dialog) {
        auto* path = dialog.findChild<QLineEdit*>("txtDefaultPath");
        EXPECT_EQ(path->text(), "/opt/kivra/PADs/");
        EXPECT_EQ(Stored("Application", "DefaultPath"), "");
        desktop.files.answers.push_back(std::nullopt);
        QTest::mouseClick(dialog.findChild<QToolButton*>("cmdSelect"), Qt::LeftButton);
        EXPECT_EQ(Stored("Application", "DefaultPath"), "");
        desktop.files.answers.push_back(QStringLiteral("/data"));
        QTest::mouseClick(dialog.findChild<QToolButton*>("cmdSelect"), Qt::LeftButton);
        EXPECT_EQ(path->text(), "/data/");
        EXPECT_EQ(desktop.files.asked.back().initial, "/opt/kivra/PADs/");
    });
    EXPECT_EQ(Stored("Application", "DefaultPath"), "/data/");
}

TEST_F(ConfigDialogTest, CheckBoxesShowAndStoreTheFlags) {
    Settings("Application", "ShowBars", "0");
    Settings("Application", "ShowTotal", "True");
    auto window = Start();
    WithDialog(*window, [&](frmConfig& dialog) {
        auto* bars = dialog.findChild<QCheckBox*>("chkShowBars");
        auto* total = dialog.findChild<QCheckBox*>("chkShowTotal");
        EXPECT_EQ(bars->checkState(), Qt::Unchecked);
        EXPECT_EQ(total->checkState(), Qt::Checked);
        EXPECT_EQ(Stored("Application", "ShowTotal"), "1");  // filled as ticked, written back
        QTest::mouseClick(bars, Qt::LeftButton);
        EXPECT_EQ(Stored("Application", "ShowBars"), "1");
        QTest::mouseClick(bars, Qt::LeftButton);
        EXPECT_EQ(Stored("Application", "ShowBars"), "0");
    });
    EXPECT_EQ(CheckStateOfSetting("2"), Qt::PartiallyChecked);
    EXPECT_EQ(CheckStateOfSetting("-1"), Qt::Checked);
    EXPECT_EQ(CheckStateOfSetting("yes"), Qt::Unchecked);
}

TEST_F(ConfigDialogTest, TurningTotalsOffRebuildsTheTableAndShutdownStoresZero) {
    Settings("Application", "LastFile", WriteTrace("run.pad", test::kTrace));
    auto window = Start();
    EXPECT_FALSE(window->Grid().isColumnHidden(kColTotal));
    WithDialog(*window, [](frmConfig& dialog) {
        QTest::mouseClick(dialog.findChild<QCheckBox*>("chkShowTotal"), Qt::LeftButton);
    });
    EXPECT_EQ(Stored("Application", "ShowTotal"), "0");
    EXPECT_TRUE(window->Grid().isColumnHidden(kColTotal));
    EXPECT_EQ(window->Model().RowCount(), 5);
    window->close();
    EXPECT_EQ(Stored("Columns", "2"), "0");
}

}  // namespace
}  // namespace kivra
