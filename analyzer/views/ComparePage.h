// The Compare view: the loaded run against a baseline run (the numbers of
// `kivra diff`), a row per procedure; slower rows tinted red, faster green.
// The baseline is chosen with "Compare with...", read again with each load
// and kept for the next start.
//
// A side may hold several runs: several files or a folder as the baseline,
// and "Add runs..." for more runs beside the loaded one. The table then
// shows the medians, the interval, p and the verdict of `kivra diff OLD...
// --vs NEW...`, only significant changes tinted. Those runs are read when
// chosen and kept for the session.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "FlatProfile.h"
#include "TraceView.h"

class QLabel;
class QToolButton;
class QTreeView;

namespace kivra {

class CompareModel;
class RunsCompareModel;

class ComparePage : public TraceView {
    Q_OBJECT
public:
    explicit ComparePage(const ViewParts& parts);

    void Clear() override;
    void ShowTrace() override;

    // The baseline as a load read it again; nothing, with the reason, when
    // it could no longer be read (it is then compared as it was).
    void TakeBaseline(std::optional<FlatProfile> baseline, std::optional<FlatProfile> corrected,
                      const std::string& error);
    // "Compare with...": asks for the baseline and compares.
    void CompareWith();
    // Reads the baseline and compares; a file that cannot be read is
    // reported and changes nothing.
    bool LoadBaseline(const QString& path);
    // "Compare with folder...": every trace of a folder as the baseline.
    void CompareWithFolder();
    // Several traces as the baseline; one is LoadBaseline's.
    bool LoadBaselineRuns(const QStringList& paths);
    // "Add runs...": more runs of the current side, beside the loaded one.
    void AddRuns();
    bool AddCurrentRuns(const QStringList& paths);
    void SwapRuns();
    void ClearBaseline();
    // Whether the table compares several runs on a side.
    bool ComparesRuns() const { return baselineRuns_.size() > 1 || !addedRuns_.empty(); }
    QString BaselinePath() const { return baselinePath_; }
    // The baseline to read with the next load (kept from the last start).
    void SetBaselinePath(const QString& path) { baselinePath_ = path; }

    QTreeView& View() const { return *view_; }
    CompareModel& Model() const { return *model_; }
    QTreeView& RunsView() const { return *runsView_; }
    RunsCompareModel& RunsModel() const { return *runsModel_; }

private:
    struct Run {
        FlatProfile profile;
        std::optional<FlatProfile> corrected;  // when the trace states its overhead
    };
    // Reads the traces off the window's thread; nothing when one fails (said).
    std::optional<std::vector<Run>> ReadRuns(const QStringList& paths);
    std::vector<FlatProfile> Profiles(const std::vector<Run>& runs, bool corrected) const;
    void Compare();
    void CompareRuns();
    const std::optional<FlatProfile>& BaselineProfile() const;

    WindowServices& services_;
    CompareModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QToolButton* cmdSwap_ = nullptr;
    QToolButton* cmdClear_ = nullptr;
    RunsCompareModel* runsModel_ = nullptr;
    QTreeView* runsView_ = nullptr;

    QString baselinePath_;
    QString baselineError_;  // why the baseline could not be read with the last load
    std::optional<FlatProfile> baseline_;
    std::optional<FlatProfile> baselineCorrected_;  // when the baseline states its overhead
    bool swapped_ = false;                          // the loaded run is the baseline
    std::vector<Run> baselineRuns_;                 // two or more: the baseline's runs, in place of baseline_
    QString baselineRunsName_;                      // how the line names them: a folder, or "N runs"
    std::vector<Run> addedRuns_;                    // runs of the current side besides the loaded one
    std::string addedFor_;                          // the trace they were added to
};

}  // namespace kivra
