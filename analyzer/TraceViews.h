// The table area of the analyzer's window: the views of the loaded trace as
// tabs ("Call Tree", "Procedures", "Flame Graph", "Compare"), the find bar
// under them, the call tree's actions, and the ways from one view to
// another. The views are listed in one place (TraceViews.cpp); a new view
// is one more entry there.
#pragma once

#include <QWidget>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "DisplaySettings.h"
#include "FlatProfile.h"
#include "NumberFormat.h"
#include "TraceTableLoad.h"
#include "TreeSearch.h"

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QTreeView;

namespace kivra {

class CompareModel;
class ConfigClass;
class FindBar;
class FlameGraphView;
class ProceduresModel;
class TraceTableModel;
class WindowServices;

// Where the file chooser starts for a trace: the last file, else the
// temporary folder's Kivra folder.
QString TraceChooserStart(const ConfigClass& config);

class TraceViews : public QWidget {
    Q_OBJECT
public:
    // The call tree and its model are the window's; they become the first tab.
    TraceViews(WindowServices& services, QTreeView* callTree, TraceTableModel* model, QWidget* parent);
    ~TraceViews() override;

    // Before a load: every view empty.
    void Clear();
    // After a load filled the call tree. `paramChar` and `timeFormat` are
    // the load's, for reading the baseline of a comparison alike.
    void ShowTrace(TraceViewData data, const NumberFormat& timeFormat, const std::string& paramChar);
    // The indication that a load is under way, and the share of it done.
    void ShowProgress(bool on);
    void ShowProgressShare(double share);

    ViewSettings Settings() const;
    void ApplySettings(const ViewSettings& settings);

    QTabWidget& Tabs() const { return *tabs_; }
    QTreeView& ProceduresView() const { return *procedureView_; }
    ProceduresModel& Procedures() const { return *procedures_; }
    FindBar& Finder() const { return *findBar_; }
    FlameGraphView& FlameGraph() const { return *flameGraph_; }
    QTreeView& CompareView() const { return *compareView_; }
    CompareModel& Comparison() const { return *comparison_; }
    bool CallTreeShown() const;
    // Whether a row of the call tree is painted as a match of the find bar.
    bool RowTinted(int row) const;

    // "Correct for overhead": every view with the timing object's cost taken
    // out, for a trace that states it.
    void SetCorrected(bool on);
    bool CanCorrect() const { return corrected_.has_value(); }
    QCheckBox& CorrectionBox() const { return *chkCorrectOverhead_; }
    QString OverheadText() const;

    // "Compare with...": asks for the baseline and compares.
    void CompareWith();
    // Reads the baseline and compares; a file that cannot be read is
    // reported and changes nothing.
    bool LoadBaseline(const QString& path);
    void SwapRuns();
    QString BaselinePath() const { return baselinePath_; }

    void OpenFind();
    // F3 and Shift+F3: the next or previous match of the find bar, or of
    // the procedure chosen in the Procedures view.
    void Step(bool forward);
    // Switches to the call tree and selects the procedure's first call.
    void ShowCallsOf(std::size_t procedure);

    // The call tree's actions, also in its context menu.
    void ExpandHotPath();
    void ExpandAll();
    void CollapseAll();
    void ExpandChildren();
    void ShowInProcedures();
    void CopyRows();

private:
    // A view: the caption of its tab, the object name of its page and the
    // function that makes the page.
    struct ViewEntry {
        const char* caption;
        const char* objectName;
        QWidget* (TraceViews::*make)();
    };
    static const ViewEntry kViews[];

    QWidget* MakeCallTreePage();
    QWidget* MakeProceduresPage();
    QWidget* MakeFlameGraphPage();
    QWidget* MakeComparePage();
    void Compare();
    void ClearBaseline();
    void ShowGraph(FlameLayout timeOrder, FlameLayout merged);
    // The profiles Compare compares: corrected while the switch is on.
    const std::optional<FlatProfile>& CurrentProfile() const;
    const std::optional<FlatProfile>& BaselineProfile() const;
    bool StepsFollowTree() const;
    void AddCallTreeActions();
    QAction* AddTreeAction(const char* name, const char* text, const QKeySequence& keys, void (TraceViews::*slot)());

    void QueryChanged();
    void ShowFindCount();
    void TintRows(const std::vector<std::size_t>& rows);
    void FindClosed();
    void TabChanged();
    void SelectRow(std::size_t row);
    std::optional<std::size_t> CurrentRow() const;
    void ShowStepCount();
    void StepProcedures(bool forward);

    WindowServices& services_;
    QTreeView* callTree_;
    TraceTableModel* model_;
    QTabWidget* tabs_ = nullptr;
    QTreeView* procedureView_ = nullptr;
    ProceduresModel* procedures_ = nullptr;
    FindBar* findBar_ = nullptr;
    QToolButton* cmdFind_ = nullptr;
    QProgressBar* prgLoad_ = nullptr;
    FlameGraphView* flameGraph_ = nullptr;
    QRadioButton* optTimeOrder_ = nullptr;
    QRadioButton* optMerged_ = nullptr;
    QCheckBox* chkFlip_ = nullptr;
    QTreeView* compareView_ = nullptr;
    CompareModel* comparison_ = nullptr;
    QLabel* lblCompareSummary_ = nullptr;
    QToolButton* cmdSwap_ = nullptr;
    QToolButton* cmdCompareClear_ = nullptr;
    QWidget* overheadBar_ = nullptr;
    QLabel* lblOverhead_ = nullptr;
    QCheckBox* chkCorrectOverhead_ = nullptr;

    NumberFormat timeFormat_{"0.000"};
    std::string paramChar_;
    bool traceShown_ = false;
    QString baselinePath_;
    QString baselineError_;  // why the baseline could not be read with the last load
    std::optional<FlatProfile> baseline_;
    std::optional<FlatProfile> baselineCorrected_;  // when the baseline states its overhead
    std::optional<FlatProfile> current_;
    // The numbers with the overhead taken out, and the recorded ones they
    // take the place of in the views while the switch is on.
    std::optional<CorrectedViewData> corrected_;
    std::optional<FlatProfile> currentCorrected_;
    FlameLayout recordedTimeOrder_;
    FlameLayout recordedMerged_;
    std::vector<std::string> names_;
    std::vector<float> recordedTotals_;
    bool correcting_ = false;
    bool swapped_ = false;  // the loaded run is the baseline

    std::vector<int> rowProcedure_;
    std::vector<float> rowTotals_;
    std::vector<int> parents_;
    std::vector<SearchRow> searchRows_;  // views of the model's cells

    // The rows F3 steps through, in display order: the find bar's matches
    // or one procedure's calls.
    std::vector<std::size_t> steps_;
    bool stepsAreMatches_ = false;
    std::size_t matchCount_ = 0;  // the find bar's matches, whatever F3 steps through
    bool queryValid_ = true;
};

}  // namespace kivra
