// The table area of the analyzer's window: the views of the loaded trace as
// tabs, the line above them about the timing overhead, and the find bar
// under them, whose search and F3 it routes to the view shown. The views
// are listed in one place (kViews in TraceViews.cpp); a new view is a class
// of its own (see TraceView.h) and one line there.
#pragma once

#include <QWidget>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DisplaySettings.h"
#include "NumberFormat.h"
#include "TraceTableLoad.h"
#include "TraceView.h"
#include "TreeSearch.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QTabWidget;
class QToolButton;
class QTreeView;

namespace kivra {

class CallTreePage;
class CallersPage;
class CompareModel;
class ComparePage;
class ConfigClass;
class FindBar;
class FlameGraphPage;
class FlameGraphView;
class ProceduresModel;
class ProceduresPage;

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

    ViewContext& Context() { return context_; }
    QTabWidget& Tabs() const { return *tabs_; }
    FindBar& Finder() const { return *findBar_; }
    // The views, by their class.
    template <typename View>
    View& Page() const {
        for (TraceView* view : views_) {
            if (auto* page = qobject_cast<View*>(view)) return *page;
        }
        std::abort();  // every view of the list is made with the area
    }
    QTreeView& ProceduresView() const;
    ProceduresModel& Procedures() const;
    FlameGraphView& FlameGraph() const;
    QTreeView& CompareView() const;
    CompareModel& Comparison() const;
    bool CallTreeShown() const;
    // Whether a row of the call tree is painted as a match of the find bar.
    bool RowTinted(int row) const;

    // "Correct for overhead": every view with the timing object's cost taken
    // out, for a trace that states it.
    void SetCorrected(bool on);
    bool CanCorrect() const { return corrected_.has_value(); }
    QCheckBox& CorrectionBox() const { return *chkCorrectOverhead_; }
    QString OverheadText() const;

    // A stretch of the run to count over (the line above the views says
    // it, "Clear range" forgets it); nothing: the whole run.
    void SetRange(std::optional<TimeRange> range);
    QString RangeText() const;

    // The Compare view's baseline.
    void CompareWith();
    bool LoadBaseline(const QString& path);
    void SwapRuns();
    QString BaselinePath() const;

    void OpenFind();
    // F3 and Shift+F3: the next or previous match of the find bar, or of
    // the procedure chosen in the Procedures view.
    void Step(bool forward);
    // Switches to the call tree and selects the procedure's first call; F3
    // steps through its calls.
    void ShowCallsOf(std::size_t procedure);
    // Alt+Left and Alt+Right: the procedures chosen before and after.
    void GoBack();
    void GoForward();

    void ExpandHotPath();
    void ExpandAll();

private:
    TraceView* CurrentView() const;
    // Shows the recorded or the corrected numbers in every view.
    void ShowNumbers();
    void ShowView(const QString& objectName);

    void QueryChanged();
    void ShowFindCount();
    void FindClosed();
    void ShowStepCount();

    WindowServices& services_;
    TraceTableModel* model_;
    ViewContext context_;
    std::vector<TraceView*> views_;  // in tab order
    QTabWidget* tabs_ = nullptr;
    FindBar* findBar_ = nullptr;
    QToolButton* cmdFind_ = nullptr;
    QProgressBar* prgLoad_ = nullptr;
    QWidget* rangeBar_ = nullptr;
    QLabel* lblRange_ = nullptr;
    QWidget* overheadBar_ = nullptr;
    QLabel* lblOverhead_ = nullptr;
    QCheckBox* chkCorrectOverhead_ = nullptr;

    // The load's numbers as recorded, and with the overhead taken out for a
    // trace that states it; the context holds the ones shown.
    struct Numbers {
        FlatProfile procedures;
        std::shared_ptr<const CallProfile> profile;
        std::shared_ptr<const Timeline> timeline;
        FlameLayoutPtr timeOrder;
        FlameLayoutPtr merged;
        std::vector<float> rowTotals;
    };
    Numbers recorded_;
    std::optional<CorrectedViewData> corrected_;
    Numbers correctedNumbers_;
    bool correcting_ = false;
    std::optional<TimeRange> range_;
    std::string shownPath_;  // the file whose run is shown

    // The rows F3 steps through, in display order: the find bar's matches
    // or one procedure's calls.
    std::vector<std::size_t> steps_;
    bool stepsAreMatches_ = false;
    std::size_t matchCount_ = 0;  // the find bar's matches, whatever F3 steps through
    bool queryValid_ = true;
};

}  // namespace kivra
