// The analyzer's views beyond the call tree: the Procedures tab, the find
// bar, the call tree's actions and what the window keeps of them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <map>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "CompareModel.h"
#include "FindBar.h"
#include "ProceduresModel.h"
#include "TableSnapshot.h"
#include "TraceGenerator.h"
#include "TraceReport.h"
#include "TraceViews.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kivra {
namespace {

using ::testing::ElementsAre;

// A tree whose names tell where they sit: "Deep" only under Hidden's
// collapsed branch, "Twice" called twice.
constexpr const char* kNamedTrace =
    "header 1\r\nRun Date: 12/8/2026\r\nheader 3\r\nResolution: 1 ms\r\nh5\r\nh6\r\nh7\r\n"
    "Twice|2|2|1|3|||\r\n"
    "Deep|4|3|4|5|needle||\r\n"
    "Hidden|3|2|3|8|||\r\n"
    "Main|1|1|0|10|||\r\n"
    "Twice|6|2|21|22|||\r\n"
    "Other|5|1|20|30|||\r\n";

class TraceViewsTest : public test::AnalyzerWindowFixture {
protected:
    std::unique_ptr<frmMain> StartOn(const std::string& text) {
        auto window = Start({QString::fromStdString(WriteTrace("run.pad", text))});
        window->show();
        QApplication::processEvents();
        return window;
    }
    std::unique_ptr<frmMain> StartOnGenerated(std::size_t calls = 3000) {
        bench::TraceShape shape;
        shape.calls = calls;
        shape.seed = 7;
        generatedPath = WriteTrace("generated.pad", bench::GeneratePadText(shape));
        auto window = Start({QString::fromStdString(generatedPath)});
        window->show();
        QApplication::processEvents();
        return window;
    }
    static QTreeView& ProcView(const frmMain& window) { return window.Views().ProceduresView(); }
    static ProceduresModel& Procs(const frmMain& window) { return window.Views().Procedures(); }
    static int CurrentRow(const frmMain& window) {
        const QModelIndex current = window.Grid().currentIndex();
        return current.isValid() ? TraceTableModel::RowOf(current) : -1;
    }
    static int RowNamed(const frmMain& window, const std::string& name, int skip = 0) {
        const auto& rows = window.Model().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].label == name && skip-- == 0) return static_cast<int>(i);
        }
        return -1;
    }
    static bool AncestorsExpanded(const frmMain& window, int row) {
        const auto& rows = window.Model().Rows();
        for (int p = rows[static_cast<std::size_t>(row)].parent; p >= 0; p = rows[static_cast<std::size_t>(p)].parent) {
            if (!window.Model().IsExpanded(p)) return false;
        }
        return true;
    }
    static void ClickHeader(QTreeView& view, int section) {
        QHeaderView* header = view.header();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    static std::vector<double> ColumnValues(const ProceduresModel& model, ProcedureColumn column) {
        std::vector<double> values;
        for (int row = 0; row < model.rowCount(); ++row) {
            values.push_back(model.index(row, static_cast<int>(column)).data(ProceduresModel::kValueRole).toDouble());
        }
        return values;
    }
    static std::vector<std::string> ColumnTexts(const ProceduresModel& model, ProcedureColumn column) {
        std::vector<std::string> texts;
        for (int row = 0; row < model.rowCount(); ++row) {
            texts.push_back(model.index(row, static_cast<int>(column)).data().toString().toStdString());
        }
        return texts;
    }
    static void TypeFind(frmMain& window, const QString& text) {
        auto* box = window.findChild<QLineEdit*>(QStringLiteral("txtFind"));
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static QString Count(const frmMain& window) { return window.Views().Finder().CountText(); }

    std::string generatedPath;
};

TEST_F(TraceViewsTest, ProceduresShowTheNumbersOfKivraFlat) {
    auto window = StartOnGenerated();
    QProcess kivra;
    kivra.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kivra"),
                {QStringLiteral("flat"), QStringLiteral("--json"), QString::fromStdString(generatedPath)});
    ASSERT_TRUE(kivra.waitForFinished(20000));
    ASSERT_EQ(kivra.exitCode(), 0) << kivra.readAllStandardError().toStdString();
    const QJsonArray expected = QJsonDocument::fromJson(kivra.readAllStandardOutput()).object()["procedures"].toArray();

    const ProceduresModel& model = Procs(*window);
    ASSERT_EQ(model.rowCount(), expected.size());
    ASSERT_GT(model.rowCount(), 20);
    std::map<std::string, int> rowOf;
    for (int row = 0; row < model.rowCount(); ++row) rowOf[model.index(row, 0).data().toString().toStdString()] = row;
    auto near = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b)); };
    for (const QJsonValue& value : expected) {
        const QJsonObject procedure = value.toObject();
        const std::string name = procedure["name"].toString().toStdString();
        ASSERT_TRUE(rowOf.contains(name)) << name;
        const int row = rowOf[name];
        auto cell = [&](ProcedureColumn column) {
            return model.index(row, static_cast<int>(column)).data(ProceduresModel::kValueRole).toDouble();
        };
        EXPECT_EQ(cell(ProcedureColumn::Calls), procedure["calls"].toInt()) << name;
        EXPECT_TRUE(near(cell(ProcedureColumn::Own), procedure["own_ms"].toDouble())) << name;
        EXPECT_TRUE(near(cell(ProcedureColumn::Total), procedure["total_ms"].toDouble())) << name;
        EXPECT_TRUE(near(cell(ProcedureColumn::MeanOwn), procedure["mean_own_ms"].toDouble())) << name;
        EXPECT_TRUE(near(cell(ProcedureColumn::MaxOwn), procedure["max_own_ms"].toDouble())) << name;
        EXPECT_TRUE(near(cell(ProcedureColumn::OwnPercent), procedure["own_percent"].toDouble())) << name;
    }
    // Shown as kivra flat shows them by default: own time, largest first,
    // times in the "Format" setting.
    const std::vector<double> own = ColumnValues(model, ProcedureColumn::Own);
    EXPECT_TRUE(std::is_sorted(own.rbegin(), own.rend()));
    EXPECT_EQ(model.index(0, static_cast<int>(ProcedureColumn::Name)).data().toString(),
              expected[0].toObject()["name"].toString());
    EXPECT_THAT(model.index(0, static_cast<int>(ProcedureColumn::Own)).data().toString().toStdString(),
                ::testing::MatchesRegex("[0-9]+\\.[0-9]{3}"));
}

TEST_F(TraceViewsTest, HeadersSortNumbersAsNumbersAndNamesIgnoringCase) {
    auto window = StartOnGenerated();
    window->Views().Tabs().setCurrentIndex(1);
    QTreeView& view = ProcView(*window);
    ProceduresModel& model = Procs(*window);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    ClickHeader(view, static_cast<int>(ProcedureColumn::Total));  // first click: largest first
    std::vector<double> totals = ColumnValues(model, ProcedureColumn::Total);
    EXPECT_TRUE(std::is_sorted(totals.rbegin(), totals.rend()));
    // The texts in text order would differ: the order is the numbers'.
    std::vector<std::string> texts = ColumnTexts(model, ProcedureColumn::Total);
    std::vector<std::string> asText = texts;
    std::sort(asText.rbegin(), asText.rend());
    EXPECT_NE(texts, asText);

    ClickHeader(view, static_cast<int>(ProcedureColumn::Total));  // again: smallest first
    totals = ColumnValues(model, ProcedureColumn::Total);
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));

    ClickHeader(view, static_cast<int>(ProcedureColumn::MeanOwn));
    const std::vector<double> means = ColumnValues(model, ProcedureColumn::MeanOwn);
    EXPECT_TRUE(std::is_sorted(means.rbegin(), means.rend()));

    ClickHeader(view, static_cast<int>(ProcedureColumn::Name));  // names: A to Z first
    std::vector<std::string> names = ColumnTexts(model, ProcedureColumn::Name);
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [&](const std::string& a, const std::string& b) { return lower(a) < lower(b); }));
    // "clsCache" before "frmEdit" although "f" < "c" is false and "C" < "f" in bytes too;
    // "frmMain" (lower m) after "frmEdit" while "modData" comes after both.
    EXPECT_NE(names.front().rfind("cls", 0), std::string::npos);
    ClickHeader(view, static_cast<int>(ProcedureColumn::Name));
    names = ColumnTexts(model, ProcedureColumn::Name);
    EXPECT_EQ(names.front().rfind("mod", 0), 0u);
}

TEST_F(TraceViewsTest, ProceduresModelKeepsItsContractThroughLoadsSortsAndFinds) {
    auto window = StartOnGenerated(500);
    ProceduresModel& model = Procs(*window);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ProcView(*window).selectionModel()->setCurrentIndex(model.index(3, 2), QItemSelectionModel::Select);
    const QString chosen = model.index(3, 0).data().toString();
    for (int column = 0; column < static_cast<int>(ProcedureColumn::Count); ++column) {
        model.sort(column, Qt::AscendingOrder);
        model.sort(column, Qt::DescendingOrder);
        // The chosen procedure stays chosen wherever it moves.
        EXPECT_EQ(ProcView(*window).currentIndex().siblingAtColumn(0).data().toString(), chosen);
    }
    window->Views().Tabs().setCurrentIndex(1);
    window->Views().OpenFind();
    TypeFind(*window, QStringLiteral("refresh"));
    EXPECT_EQ(model.rowCount(), 6);  // one per module
    window->cmdGo_Click();           // a reload with the bar open
    EXPECT_EQ(model.rowCount(), 6);
    TypeFind(*window, QStringLiteral("nothing like it"));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(Count(*window), "No match");
    QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("txtFind")), Qt::Key_Escape);
    EXPECT_FALSE(window->Views().Finder().isVisible());
    EXPECT_EQ(model.rowCount(), 60);
}

TEST_F(TraceViewsTest, ChoosingAProcedureSelectsItsFirstCallAndF3ItsNext) {
    auto window = StartOnGenerated();
    // Moving between the views reloads nothing.
    QSignalSpy treeResets(&window->Model(), &QAbstractItemModel::modelReset);
    QSignalSpy procedureResets(&Procs(*window), &QAbstractItemModel::modelReset);
    window->Model().CollapseAll();
    window->Views().Tabs().setCurrentIndex(1);
    ProceduresModel& model = Procs(*window);
    // A procedure whose first call lies deep in the tree.
    const auto& rows = window->Model().Rows();
    int chosen = -1;
    int first = -1;
    for (int row = 0; row < model.rowCount() && chosen < 0; ++row) {
        const std::string name = model.index(row, 0).data().toString().toStdString();
        const int call = RowNamed(*window, name);
        if (window->Model().RowLevel(call) >= 2 && RowNamed(*window, name, 1) >= 0) chosen = row, first = call;
    }
    ASSERT_GE(chosen, 0);
    const std::string name(rows[static_cast<std::size_t>(first)].label);
    QTreeView& view = ProcView(*window);
    const QModelIndex index = model.index(chosen, 0);
    view.scrollTo(index);
    QApplication::processEvents();
    const QPoint at = view.visualRect(index).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);

    EXPECT_EQ(window->Views().Tabs().currentIndex(), 0);
    EXPECT_EQ(CurrentRow(*window), first);
    EXPECT_TRUE(AncestorsExpanded(*window, first));
    EXPECT_TRUE(window->Grid().selectionModel()->isRowSelected(window->Model().IndexOfRow(first).row(),
                                                               window->Model().IndexOfRow(first).parent()));
    QTest::keyClick(&window->Grid(), Qt::Key_F3);
    const int second = RowNamed(*window, name, 1);
    EXPECT_EQ(CurrentRow(*window), second);
    EXPECT_TRUE(AncestorsExpanded(*window, second));
    QTest::keyClick(&window->Grid(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(CurrentRow(*window), first);

    // Enter on a procedure does the same; "Show in Procedures" comes back.
    window->Views().Tabs().setCurrentIndex(1);
    view.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(window->Views().Tabs().currentIndex(), 0);
    const int top = CurrentRow(*window);
    EXPECT_EQ(rows[static_cast<std::size_t>(top)].label, model.index(0, 0).data().toString().toStdString());
    window->findChild<QAction*>(QStringLiteral("actShowInProcedures"))->trigger();
    EXPECT_EQ(window->Views().Tabs().currentIndex(), 1);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(treeResets.count(), 0);
    EXPECT_EQ(procedureResets.count(), 0);
}

TEST_F(TraceViewsTest, FindReachesRowsInCollapsedBranchesAndCountsThem) {
    auto window = StartOn(kNamedTrace);
    QAbstractItemModelTester tester(&window->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    window->Model().CollapseAll();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window->Views().Finder().isVisible());
    TypeFind(*window, QStringLiteral("deep"));
    const int deep = RowNamed(*window, "Deep");
    EXPECT_EQ(CurrentRow(*window), deep);
    EXPECT_TRUE(AncestorsExpanded(*window, deep));
    EXPECT_EQ(Count(*window), "1 of 1");
    EXPECT_TRUE(window->Views().RowTinted(deep));
    EXPECT_FALSE(window->Views().RowTinted(RowNamed(*window, "Main")));

    // Several matches (Main, Twice, Hidden, Twice): a new text starts at the
    // current row (Deep) or the next match, in display order, round the end.
    TypeFind(*window, QStringLiteral("i"));
    EXPECT_EQ(Count(*window), "4 of 4");
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Twice", 1));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(Count(*window), "1 of 4");
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Main"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Twice"));
    QTest::keyClick(box, Qt::Key_F3);
    QTest::keyClick(box, Qt::Key_F3);
    EXPECT_EQ(Count(*window), "4 of 4");
    QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Count(*window), "3 of 4");
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Hidden"));
    QTest::keyClick(box, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Count(*window), "2 of 4");

    // Letter case, and the data fields only when asked.
    window->findChild<QCheckBox*>(QStringLiteral("chkMatchCase"))->setChecked(true);
    TypeFind(*window, QStringLiteral("main"));
    EXPECT_EQ(Count(*window), "No match");
    TypeFind(*window, QStringLiteral("needle"));
    EXPECT_EQ(Count(*window), "No match");
    window->findChild<QCheckBox*>(QStringLiteral("chkDataFields"))->setChecked(true);
    EXPECT_EQ(Count(*window), "1 of 1");
    EXPECT_EQ(CurrentRow(*window), deep);

    // What the view paints: a matching row that is not selected (Twice,
    // under Main) on the tint, a row that does not match (Main) on the base.
    TypeFind(*window, QStringLiteral("Twice"));  // letter case still matches
    QTest::keyClick(box, Qt::Key_Return);        // one Twice selected, the other only tinted
    QApplication::processEvents();
    auto colourAt = [&](int row) {
        // Left in the Total cell, where its right-aligned text is not.
        const QRect cell = window->Grid().visualRect(window->Model().IndexOfRow(row, kColTotal));
        return window->Grid().viewport()->grab().toImage().pixelColor(cell.left() + 3, cell.center().y());
    };
    const QColor base = window->Grid().palette().color(QPalette::Base);
    const int twice =
        CurrentRow(*window) == RowNamed(*window, "Twice") ? RowNamed(*window, "Twice", 1) : RowNamed(*window, "Twice");
    EXPECT_NE(CurrentRow(*window), twice);
    EXPECT_TRUE(window->Views().RowTinted(twice));
    EXPECT_NE(colourAt(twice), base);
    EXPECT_EQ(colourAt(RowNamed(*window, "Main")), base);

    // Closing the bar takes the tints away; a reload keeps the model sound.
    QTest::keyClick(box, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(colourAt(twice), base);
    EXPECT_FALSE(window->Views().RowTinted(deep));
    window->cmdGo_Click();
    EXPECT_EQ(window->Model().RowCount(), 6);
}

// Going to another page and back with the bar open moves nothing: the row
// the user chose stays chosen, and F3 keeps stepping through what it did.
TEST_F(TraceViewsTest, SwitchingPagesLeavesTheSelectionAndTheStepsAlone) {
    auto window = StartOn(kNamedTrace);
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    TypeFind(*window, QStringLiteral("i"));  // Main, Twice, Hidden, Twice
    const int other = RowNamed(*window, "Other");
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(other));
    for (const int tab : {1, 2, 3, 0}) window->Views().Tabs().setCurrentIndex(tab);
    EXPECT_EQ(CurrentRow(*window), other);
    EXPECT_EQ(Count(*window), "4 matches");

    // Twice chosen on Procedures: F3 goes to its other call, not to Hidden.
    window->Views().Tabs().setCurrentIndex(1);
    QTreeView& view = ProcView(*window);
    for (int row = 0; row < Procs(*window).rowCount(); ++row) {
        if (Procs(*window).index(row, 0).data().toString() == "Twice")
            view.setCurrentIndex(Procs(*window).index(row, 0));
    }
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Twice"));
    window->Views().Tabs().setCurrentIndex(2);
    window->Views().Tabs().setCurrentIndex(0);
    QTest::keyClick(&window->Grid(), Qt::Key_F3);
    EXPECT_EQ(CurrentRow(*window), RowNamed(*window, "Twice", 1));
    EXPECT_EQ(Count(*window), "2 of 2");
    window->Views().Tabs().setCurrentIndex(4);  // Compare counts the find bar's matches
    EXPECT_EQ(Count(*window), "4 matches");
}

TEST_F(TraceViewsTest, AnInvalidExpressionSaysSoAndBreaksNothing) {
    auto window = StartOn(kNamedTrace);
    window->Views().OpenFind();
    window->findChild<QCheckBox*>(QStringLiteral("chkRegex"))->setChecked(true);
    TypeFind(*window, QStringLiteral("(Tw"));
    EXPECT_EQ(Count(*window), "Invalid expression");
    EXPECT_THAT(window->findChild<QLabel*>(QStringLiteral("lblFindCount"))->styleSheet().toStdString(),
                ::testing::HasSubstr("color"));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_F3, Qt::ShiftModifier);
    window->Views().Tabs().setCurrentIndex(1);
    EXPECT_EQ(Count(*window), "Invalid expression");
    window->Views().Tabs().setCurrentIndex(0);
    QTest::keyClicks(box, QStringLiteral("ice)$"));  // now "(Twice)$"
    EXPECT_EQ(Count(*window), "1 of 2");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblFindCount"))->styleSheet(), QString());
}

TEST_F(TraceViewsTest, HotPathExpandsExactlyTheChainOfLargestTotals) {
    auto window = StartOnGenerated();
    window->Model().CollapseAll();
    window->Grid().setCurrentIndex({});
    const auto& rows = window->Model().Rows();
    auto total = [&](std::size_t row) { return std::stod(rows[row].total.str()); };
    // The chain worked out here from the shown totals.
    std::vector<int> chain;
    int at = -1;
    for (;;) {
        int best = -1;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].parent == at && (best < 0 || total(i) > total(static_cast<std::size_t>(best)))) {
                best = static_cast<int>(i);
            }
        }
        if (best < 0) break;
        chain.push_back(best);
        at = best;
    }
    ASSERT_GE(chain.size(), 3u);
    window->findChild<QAction*>(QStringLiteral("actExpandHotPath"))->trigger();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!window->Model().HasChildren(static_cast<int>(i))) continue;
        const bool inChain = std::find(chain.begin(), chain.end(), static_cast<int>(i)) != chain.end();
        EXPECT_EQ(window->Model().IsExpanded(static_cast<int>(i)), inChain) << i;
    }
    EXPECT_EQ(CurrentRow(*window), chain.back());

    // From a row inside the tree the path goes down from there: from a
    // sibling of the chain's second row, through its own largest callees.
    int start = -1;
    for (std::size_t i = 0; i < rows.size() && start < 0; ++i) {
        if (rows[i].parent == chain[0] && static_cast<int>(i) != chain[1] &&
            window->Model().HasChildren(static_cast<int>(i))) {
            start = static_cast<int>(i);
        }
    }
    ASSERT_GE(start, 0);
    window->Model().CollapseAll();
    EXPECT_FALSE(window->Model().IndexOfRow(start).isValid()) << "a row in a closed branch is not shown";
    window->Model().SetExpanded(chain[0], true);
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(start));
    window->findChild<QAction*>(QStringLiteral("actExpandHotPath"))->trigger();
    EXPECT_TRUE(window->Model().IsExpanded(start));
    EXPECT_FALSE(window->Model().IsExpanded(chain[1]));
    const int end = CurrentRow(*window);
    EXPECT_FALSE(window->Model().HasChildren(end));
    int up = end;
    while (rows[static_cast<std::size_t>(up)].parent != start) up = rows[static_cast<std::size_t>(up)].parent;
    for (std::size_t i = 0; i < rows.size(); ++i) {  // the largest of start's callees
        if (rows[i].parent == start) {
            EXPECT_LE(total(i), total(static_cast<std::size_t>(up)));
        }
    }

    window->findChild<QAction*>(QStringLiteral("actCollapseAll"))->trigger();
    EXPECT_FALSE(window->Model().IsExpanded(chain[0]));
    window->findChild<QAction*>(QStringLiteral("actExpandAll"))->trigger();
    EXPECT_TRUE(window->Model().IsExpanded(chain[1]));
}

TEST_F(TraceViewsTest, CopyGivesTheSelectedRowsInTheReportsLayout) {
    auto window = StartOn(test::kTrace);  // A(B, C), D(E)
    QTreeView& grid = window->Grid();
    window->Model().SetExpanded(3, false);  // D collapsed: its line shows "+ "
    for (const int row : {1, 0, 3}) {
        grid.selectionModel()->select(window->Model().IndexOfRow(row),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    const std::string report = ReportText(SnapshotOf(grid, window->Model()));
    // The report's lines of A, B and D, in display order, without header.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start + 2));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 2u + 4u);  // header, rule, A, B, C, D (E hidden)
    EXPECT_EQ(copied, lines[2] + lines[3] + lines[5]);
    EXPECT_EQ(lines[2].rfind("- A", 0), 0u);
    EXPECT_EQ(lines[5].rfind("+ D", 0), 0u);
    EXPECT_EQ(lines[2].size(), lines[5].size());
}

TEST_F(TraceViewsTest, CopyPrintReportsTheCallTreeAfterTheOtherTabWasUsed) {
    auto window = StartOn(kNamedTrace);
    window->cmdCopyPrint_Click();
    ASSERT_EQ(desktop.opener.opened.size(), 1u);
    const std::string path = desktop.opener.opened[0].toStdString();
    std::ifstream before(path, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());

    window->Views().Tabs().setCurrentIndex(1);
    ClickHeader(ProcView(*window), 0);
    window->Views().OpenFind();
    TypeFind(*window, QStringLiteral("Tw"));
    window->cmdCopyPrint_Click();
    std::ifstream after(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, expected);
    EXPECT_THAT(written, ::testing::HasSubstr("Deep"));
}

TEST_F(TraceViewsTest, TheViewSettingsAreKeptAndMissingOnesAreQuiet) {
    Settings("Application", "LastFile", WriteTrace("run.pad", kNamedTrace));
    EXPECT_EQ(Stored("View", "Tab"), "Call Tree");  // a first start writes them
    EXPECT_EQ(Stored("View", "FindRegex"), "0");
    {
        auto window = Start();
        window->Views().Tabs().setCurrentIndex(1);
        window->Views().Finder().SetToggles(true, false, true);
        window->close();
    }
    EXPECT_EQ(Stored("View", "Tab"), "Procedures");
    EXPECT_EQ(Stored("View", "FindCase"), "1");
    EXPECT_EQ(Stored("View", "FindRegex"), "0");
    EXPECT_EQ(Stored("View", "FindData"), "1");
    {
        auto window = Start();
        EXPECT_EQ(window->Views().Tabs().currentIndex(), 1);
        const FindQuery query = window->Views().Finder().Query();
        EXPECT_TRUE(query.matchCase);
        EXPECT_FALSE(query.regularExpression);
        EXPECT_TRUE(query.dataFields);
    }
    // A settings file from before the section: defaults, and no message.
    RecordingReporter quiet;
    ConfigClass(quiet).DeleteSection("View");
    desktop.reporter.messages.clear();
    {
        auto window = Start();
        EXPECT_EQ(window->Views().Tabs().currentIndex(), 0);
        EXPECT_FALSE(window->Views().Finder().Query().dataFields);
    }
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(TraceViewsTest, NewControlsHaveNamesAndRoles) {
    auto window = StartOn(kNamedTrace);
    window->Views().OpenFind();
    auto role = [&](const char* name) {
        QWidget* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        QAccessibleInterface* face = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
        return face ? std::pair(face->text(QAccessible::Name).toStdString(), face->role())
                    : std::pair(std::string(), QAccessible::NoRole);
    };
    EXPECT_EQ(role("txtFind"), std::pair(std::string("Find"), QAccessible::EditableText));
    EXPECT_EQ(role("chkMatchCase"), std::pair(std::string("Match case"), QAccessible::CheckBox));
    EXPECT_EQ(role("chkRegex"), std::pair(std::string("Regular expression"), QAccessible::CheckBox));
    EXPECT_EQ(role("chkDataFields"), std::pair(std::string("Data fields too"), QAccessible::CheckBox));
    EXPECT_EQ(role("cmdFindNext"), std::pair(std::string("Next match"), QAccessible::Button));
    EXPECT_EQ(role("lblFindCount").first, "Matches");
    EXPECT_EQ(role("prgLoad"), std::pair(std::string("Reading the trace"), QAccessible::ProgressBar));
    EXPECT_EQ(role("tvProcedures").first, "Procedures");
    EXPECT_EQ(role("tabViews").first, "Views");
    // The context menu lists the tree's actions with their keys.
    QStringList actions;
    for (QAction* action : window->Grid().actions()) {
        if (!action->isSeparator()) actions << action->text() + " " + action->shortcut().toString();
    }
    EXPECT_EQ(actions, QStringList({"Expand hot path Ctrl+H", "Expand all Ctrl+E", "Collapse all Ctrl+Shift+E",
                                    "Expand children *", "Show in Procedures Ctrl+P", "Callers / Callees Ctrl+K",
                                    "Copy Ctrl+C"}));
    EXPECT_EQ(window->Grid().contextMenuPolicy(), Qt::ActionsContextMenu);
}

// A trace that arrives slowly: a pipe whose writer sends half, waits 0.9 s,
// then sends the rest. Join the thread once the reader is done.
std::thread SlowPipe(const std::string& pipe, const std::string& text) {
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int writer = ::open(pipe.c_str(), O_RDWR);
    EXPECT_GE(writer, 0);
    return std::thread([writer, text] {
        const std::size_t half = text.size() / 2;
        (void)!::write(writer, text.data(), half);
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        (void)!::write(writer, text.data() + half, text.size() - half);
        ::close(writer);
    });
}

bool ProgressShown() {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == "prgLoad" && widget->isVisible()) return true;
    }
    return false;
}

// Counts the timer's ticks during a slow read, and whether the bar showed.
struct LoadWatch {
    int ticks = 0;
    bool progressShown = false;
    QTimer timer;
    LoadWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++ticks;
            progressShown = progressShown || ProgressShown();
        });
        timer.start(50);
    }
};

// The window shows the load going on and keeps handling its events.
TEST_F(TraceViewsTest, ASlowLoadShowsProgressAndTheWindowStaysAlive) {
    const std::string pipe = (sandbox.Profile() / "slow.pad").string();
    std::thread slow = SlowPipe(pipe, test::kTrace);
    LoadWatch watch;
    auto window = Start({QString::fromStdString(pipe)});
    slow.join();
    EXPECT_TRUE(watch.progressShown);
    EXPECT_GE(watch.ticks, 3);  // events went on during the load
    EXPECT_FALSE(window->findChild<QProgressBar*>(QStringLiteral("prgLoad"))->isVisible());
    EXPECT_THAT(Labels(*window), ElementsAre("A", "B", "C", "D", "E"));
}

// What the user clicks or types while the trace is read is dropped, not
// acted on later against the new rows; a close waits for the load, then
// closes the window.
TEST_F(TraceViewsTest, InputDuringALoadIsDroppedAndACloseWaitsForIt) {
    const std::string pipe = (sandbox.Profile() / "slow.pad").string();
    std::thread slow = SlowPipe(pipe, test::kTrace);
    bool done = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // Once the trace is being read: the bar shows.
        if (done || !ProgressShown()) return;
        done = true;
        frmMain* loading = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<frmMain*>(widget)) loading = main;
        }
        ASSERT_NE(loading, nullptr);
        ASSERT_TRUE(loading->Loading());
        QTest::keyClick(loading, Qt::Key_F, Qt::ControlModifier);
        QTest::mouseClick(loading->findChild<QToolButton*>(QStringLiteral("cmdGo")), Qt::LeftButton);
        loading->close();
    });
    timer.start(20);
    auto window = Start({QString::fromStdString(pipe)});
    slow.join();
    timer.stop();
    ASSERT_TRUE(done);
    EXPECT_FALSE(window->Views().Finder().isVisible());
    EXPECT_THAT(Labels(*window), ElementsAre("A", "B", "C", "D", "E"));
    EXPECT_TRUE(desktop.reporter.messages.empty());
    EXPECT_TRUE(window->isVisible());  // closed once the events go on
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored("View", "Tab"), "Call Tree");  // the shutdown wrote the settings
}

// A baseline chosen with "Compare with..." is read like the trace: the
// window goes on meanwhile and shows that it is reading.
TEST_F(TraceViewsTest, ASlowBaselineIsReadOffTheWindowsThread) {
    auto window = Start({QString::fromStdString(WriteTrace("run.pad", test::kTrace))});
    const std::string pipe = (sandbox.Profile() / "baseline.pad").string();
    std::thread slow = SlowPipe(pipe, test::kTrace);
    desktop.files.answers.push_back(QString::fromStdString(pipe));
    LoadWatch watch;
    // A close asked for meanwhile waits for the read, then keeps its baseline.
    QTimer::singleShot(400, window.get(), [&] { window->close(); });
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("cmdCompareWith")), Qt::LeftButton);
    slow.join();
    EXPECT_TRUE(watch.progressShown);
    EXPECT_GE(watch.ticks, 3);
    EXPECT_EQ(window->Views().Comparison().rowCount(), 5);
    EXPECT_EQ(window->Views().BaselinePath().toStdString(), pipe);
    EXPECT_TRUE(window->isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored("View", "CompareFile"), pipe);
}

}  // namespace
}  // namespace kivra

namespace kivra {
namespace {

// Main calls Twice twice, 1 ms each; the trace states 0.1 ms inside and
// 0.4 ms outside per call.
constexpr const char* kOverheadTrace =
    "header 1\r\nRun Date: 12/8/2026\r\nheader 3\r\nResolution: 1 ms\r\nh5\r\nLimit: none\r\n"
    "Overhead: 0.1 ms inside, 0.4 ms outside per call\r\n"
    "Twice|2|2|1|2|||\r\n"
    "Twice|3|2|4|5|||\r\n"
    "Main|1|1|0|10|||\r\n";

class OverheadSwitchTest : public TraceViewsTest {};

TEST_F(OverheadSwitchTest, TheSwitchCorrectsEveryViewAndIsKept) {
    auto window = StartOn(kOverheadTrace);
    TraceViews& views = window->Views();
    auto* bar = window->findChild<QWidget*>(QStringLiteral("overheadBar"));
    auto* line = window->findChild<QLabel*>(QStringLiteral("lblOverhead"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(line->text().toStdString(),
              "Timing overhead: 0.500 ms per call; 3 calls put about 1 ms into their callers' own times");
    const TraceTableModel& model = window->Model();
    QAbstractItemModelTester tester(&window->Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.Cell(0, kColTotal), "10.000");
    EXPECT_EQ(model.Cell(0, kColTime), "8.000");
    EXPECT_EQ(model.headerData(kColTime, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Time (ms)"));

    views.CorrectionBox().click();
    // Main: 10 - 0.1 - 2 x 0.5 = 8.9, own 8.9 - 2 x 0.9 = 7.1; Twice: 0.9.
    EXPECT_EQ(model.Cell(0, kColTotal), "8.900");
    EXPECT_EQ(model.Cell(0, kColTime), "7.100");
    EXPECT_EQ(model.Cell(1, kColTime), "0.900");
    EXPECT_EQ(model.headerData(kColTotal, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Total (ms, corrected)"));
    EXPECT_EQ(model.headerData(kColTime, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Time (ms, corrected)"));
    const std::vector<std::string> names = ColumnTexts(Procs(*window), ProcedureColumn::Name);
    const std::vector<double> own = ColumnValues(Procs(*window), ProcedureColumn::Own);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "Main");
    EXPECT_NEAR(own[0], 7.1, 1e-4);
    EXPECT_NEAR(own[1], 1.8, 1e-4);
    // The report takes the captions along.
    const std::string report = ReportOfTable(window->Grid(), model);
    EXPECT_NE(report.find("8.900"), std::string::npos) << report;
    EXPECT_NE(report.find("Total (ms"), std::string::npos) << report;

    views.CorrectionBox().click();
    EXPECT_EQ(model.Cell(0, kColTime), "8.000");
    EXPECT_NEAR(ColumnValues(Procs(*window), ProcedureColumn::Own)[0], 8.0, 1e-4);
    views.CorrectionBox().click();
    window->close();
    EXPECT_EQ(Stored("View", "CorrectOverhead"), "1");

    // Kept for the next start; a trace that states no overhead has no line
    // and its numbers as recorded.
    auto again = StartOn(kOverheadTrace);
    EXPECT_TRUE(again->Views().CorrectionBox().isChecked());
    EXPECT_EQ(again->Model().Cell(0, kColTotal), "8.900");
    auto plain = StartOn(kNamedTrace);
    EXPECT_FALSE(plain->findChild<QWidget*>(QStringLiteral("overheadBar"))->isVisible());
    EXPECT_EQ(plain->Model().Cell(0, kColTotal), "10.000");
}

}  // namespace
}  // namespace kivra
