// The Compare tab with several runs on a side: a folder or several files as
// the baseline, "Add runs..." for the current side, the statistics of
// `kivra diff OLD... --vs NEW...` in the table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>
#include <filesystem>

#include "AnalyzerWindowFixture.h"
#include "CompareModel.h"
#include "RunsCompareModel.h"
#include "TraceViews.h"
#include "frmMain.h"

namespace kivra {
namespace {

class CompareRunsTest : public test::AnalyzerWindowFixture {
protected:
    // A run: Main calls Slow, then Steady, then takes 5 ms of its own.
    static std::string RunText(double slow, double steady) {
        char records[256];
        std::snprintf(records, sizeof records,
                      "Slow|2|2|0|%.3f|||\r\nSteady|3|2|%.3f|%.3f|||\r\nMain|1|1|0|%.3f|||\r\n", slow, slow,
                      slow + steady, slow + steady + 5);
        return std::string(
                   "Kivra trace\r\nRun Date: 2026-12-09\r\nline 3\r\nResolution: 1 ms\r\nline 5\r\nline 6\r\n"
                   "line 7\r\n") +
               records;
    }
    // Eight runs a side: Slow 10 % slower with 3 % noise, Steady unchanged with 10 % noise.
    void WriteRuns() {
        std::filesystem::create_directories(sandbox.Profile() / "old");
        std::filesystem::create_directories(sandbox.Profile() / "new");
        const double small[2][8] = {{0.97, 1.02, 0.99, 1.03, 1.00, 0.98, 1.01, 1.04},
                                    {1.01, 0.96, 1.03, 0.99, 1.02, 1.00, 0.97, 1.02}};
        const double large[2][8] = {{0.88, 1.09, 1.02, 0.93, 1.12, 0.97, 1.05, 0.90},
                                    {1.04, 0.91, 1.10, 0.95, 0.89, 1.07, 1.00, 1.13}};
        for (int run = 0; run < 8; ++run) {
            oldRuns.push_back(QString::fromStdString(WriteTrace("old/run" + std::to_string(run) + ".pad",
                                                                RunText(100.0 * small[0][run], 50.0 * large[0][run]))));
            newRuns.push_back(QString::fromStdString(WriteTrace("new/run" + std::to_string(run) + ".pad",
                                                                RunText(110.0 * small[1][run], 50.0 * large[1][run]))));
        }
    }
    static QString Cell(const QAbstractItemModel& model, const QString& name, RunsColumn column) {
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, 0).data().toString() == name)
                return model.index(row, static_cast<int>(column)).data().toString();
        }
        return {};
    }
    static bool Tinted(const QAbstractItemModel& model, const QString& name) {
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, 0).data().toString() == name)
                return model.index(row, 0).data(Qt::BackgroundRole).isValid();
        }
        return false;
    }
    static QString Summary(const frmMain& window) {
        return window.findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text();
    }
    static void Click(const frmMain& window, const char* button) {
        QTest::mouseClick(window.findChild<QToolButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }

    QStringList oldRuns;
    QStringList newRuns;
};

TEST_F(CompareRunsTest, AFolderOfRunsAgainstTheLoadedRunAndTheAddedOnes) {
    WriteRuns();
    auto window = Start({newRuns[0]});
    auto* runsView = window->findChild<QTreeView*>(QStringLiteral("tvCompareRuns"));
    ASSERT_NE(runsView, nullptr);
    auto& model = *qobject_cast<RunsCompareModel*>(runsView->model());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(runsView->isHidden());

    // The baseline: a folder of eight runs against the loaded run alone.
    desktop.files.answers.push_back(QString::fromStdString((sandbox.Profile() / "old").string()));
    Click(*window, "cmdCompareFolder");
    EXPECT_FALSE(runsView->isHidden());
    EXPECT_TRUE(window->Views().CompareView().isHidden());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_THAT(Summary(*window).toStdString(),
                ::testing::HasSubstr("Baseline: old (8 runs), current: the loaded run."));
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("8 against 1 runs: the verdicts need"));
    EXPECT_EQ(Cell(model, "Slow", RunsColumn::Verdict), "~");  // one run cannot tell
    EXPECT_FALSE(Tinted(model, "Slow"));

    // Seven more runs of the current side: now the change shows.
    desktop.files.fileLists.push_back(newRuns.mid(1));
    Click(*window, "cmdAddRuns");
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("current: the loaded run and 7 more (8 runs)."));
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::Not(::testing::HasSubstr("Note:")));
    EXPECT_EQ(model.index(0, 0).data().toString(), "Slow");  // significant first
    EXPECT_EQ(Cell(model, "Slow", RunsColumn::Verdict), "slower");
    EXPECT_TRUE(Tinted(model, "Slow"));
    EXPECT_EQ(Cell(model, "Steady", RunsColumn::Verdict), "~");
    EXPECT_FALSE(Tinted(model, "Steady"));  // a change that may be noise stays plain
    EXPECT_THAT(Cell(model, "Slow", RunsColumn::OldOwn).toStdString(), ::testing::HasSubstr(" \xC2\xB1 "));
    EXPECT_EQ(model.headerData(static_cast<int>(RunsColumn::Interval), Qt::Horizontal, Qt::AccessibleTextRole),
              "95% interval (ms)");

    // Swapped, the same change is the other way.
    Click(*window, "cmdSwap");
    EXPECT_EQ(Cell(model, "Slow", RunsColumn::Verdict), "faster");
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("Baseline: the loaded run and 7 more"));

    // Clear forgets every run: back to one baseline or none.
    Click(*window, "cmdCompareClear");
    EXPECT_TRUE(runsView->isHidden());
    EXPECT_FALSE(window->Views().CompareView().isHidden());
    EXPECT_EQ(Summary(*window), "No baseline: choose a trace to compare with.");
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(CompareRunsTest, SeveralFilesOrOneAndWhatCannotBeRead) {
    WriteRuns();
    auto window = Start({newRuns[0]});
    auto* runsView = window->findChild<QTreeView*>(QStringLiteral("tvCompareRuns"));
    // Three files chosen at once are three runs.
    desktop.files.fileLists.push_back(oldRuns.mid(0, 3));
    Click(*window, "cmdCompareWith");
    EXPECT_FALSE(runsView->isHidden());
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("Baseline: 3 runs, current: the loaded run."));
    // One file is the one-run comparison, kept for the next start.
    desktop.files.fileLists.push_back({oldRuns[0]});
    Click(*window, "cmdCompareWith");
    EXPECT_TRUE(runsView->isHidden());
    EXPECT_EQ(window->Views().Comparison().rowCount(), 3);
    EXPECT_EQ(window->Views().BaselinePath(), oldRuns[0]);

    // A folder without traces and a file that is not one are said, and change nothing.
    std::filesystem::create_directories(sandbox.Profile() / "empty");
    desktop.reporter.messages.clear();
    desktop.files.answers.push_back(QString::fromStdString((sandbox.Profile() / "empty").string()));
    Click(*window, "cmdCompareFolder");
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, ::testing::HasSubstr("holds no .pad trace"));
    desktop.files.fileLists.push_back({newRuns[1], QString::fromStdString(WriteTrace("broken.pad", "not a trace"))});
    Click(*window, "cmdAddRuns");
    EXPECT_EQ(desktop.reporter.messages.size(), 2u);
    EXPECT_TRUE(runsView->isHidden());
    EXPECT_EQ(window->Views().BaselinePath(), oldRuns[0]);
}

// Corrected for the timing overhead only all alike: once a run states no
// overhead, every run, the loaded one too, is compared as recorded. Runs
// added to the current side stay with the trace they were added to.
TEST_F(CompareRunsTest, RunsAreCorrectedAllAlikeAndAddedRunsStayWithTheirTrace) {
    auto stated = [](std::string text) {
        text.replace(text.find("line 7"), 6, "Overhead: 0.1 ms inside, 0.4 ms outside per call");
        return text;
    };
    std::filesystem::create_directories(sandbox.Profile() / "old");
    QStringList baseline;
    for (int run = 0; run < 3; ++run) {
        baseline.push_back(
            QString::fromStdString(WriteTrace("old/run" + std::to_string(run) + ".pad", stated(RunText(100, 50)))));
    }
    const QString loaded = QString::fromStdString(WriteTrace("loaded.pad", stated(RunText(110, 50))));
    const QString plain = QString::fromStdString(WriteTrace("plain.pad", RunText(120, 50)));
    auto window = Start({loaded});
    window->Views().CorrectionBox().click();
    desktop.files.fileLists.push_back(baseline);
    Click(*window, "cmdCompareWith");
    const auto& model = *window->findChild<QTreeView*>(QStringLiteral("tvCompareRuns"))->model();
    EXPECT_THAT(Summary(*window).toStdString(),
                ::testing::HasSubstr("Every run is corrected for the timing overhead."));
    // Main: 165 - 0.1 - 2 x 0.5 = 163.9 in all, its callees 109.9 and 49.9: 4.1 of its own.
    EXPECT_THAT(Cell(model, "Main", RunsColumn::NewOwn).toStdString(), ::testing::StartsWith("4.100 "));
    EXPECT_THAT(Cell(model, "Main", RunsColumn::OldOwn).toStdString(), ::testing::StartsWith("4.100 "));

    desktop.files.fileLists.push_back({plain});
    Click(*window, "cmdAddRuns");
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("every run is compared as recorded."));
    EXPECT_THAT(Cell(model, "Main", RunsColumn::NewOwn).toStdString(), ::testing::StartsWith("5.000 "));
    EXPECT_THAT(Cell(model, "Main", RunsColumn::OldOwn).toStdString(), ::testing::StartsWith("5.000 "));
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("the loaded run and 1 more (2 runs)"));

    // Another trace loaded: the added run was one of the other program's runs.
    desktop.files.answers.push_back(plain);
    Click(*window, "cmdSelect");
    EXPECT_THAT(Summary(*window).toStdString(), ::testing::HasSubstr("current: the loaded run."));
}

}  // namespace
}  // namespace kivra
