// The Compare view: the loaded run against a baseline run (the numbers of
// `kivra diff`), a row per procedure; slower rows tinted red, faster green.
// The baseline is chosen with "Compare with...", read again with each load
// and kept for the next start.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "FlatProfile.h"
#include "TraceView.h"

class QLabel;
class QToolButton;
class QTreeView;

namespace kivra {

class CompareModel;

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
    void SwapRuns();
    void ClearBaseline();
    QString BaselinePath() const { return baselinePath_; }
    // The baseline to read with the next load (kept from the last start).
    void SetBaselinePath(const QString& path) { baselinePath_ = path; }

    QTreeView& View() const { return *view_; }
    CompareModel& Model() const { return *model_; }

private:
    void Compare();
    const std::optional<FlatProfile>& BaselineProfile() const;

    WindowServices& services_;
    CompareModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QToolButton* cmdSwap_ = nullptr;
    QToolButton* cmdClear_ = nullptr;

    QString baselinePath_;
    QString baselineError_;  // why the baseline could not be read with the last load
    std::optional<FlatProfile> baseline_;
    std::optional<FlatProfile> baselineCorrected_;  // when the baseline states its overhead
    bool swapped_ = false;                          // the loaded run is the baseline
};

}  // namespace kivra
