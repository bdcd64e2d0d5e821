#include "ComparePage.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "BackgroundWork.h"
#include "BusyCursor.h"
#include "CompareModel.h"
#include "PageParts.h"
#include "QtText.h"
#include "RunsCompareModel.h"
#include "RunsDiff.h"
#include "TraceTableLoad.h"
#include "TraceViews.h"  // TraceChooserStart
#include "WindowServices.h"

namespace kivra {

ComparePage::ComparePage(const ViewParts& parts) : TraceView(parts.context), services_(parts.services) {
    const PageLayout layout = LayOutWithBar(this);
    auto* cmdCompareWith = TextButton(this, "cmdCompareWith", "Compare with...",
                                      "Choose the trace of the run to compare with (the baseline)");
    auto* cmdCompareFolder = TextButton(this, "cmdCompareFolder", "Compare with folder...",
                                        "Choose a folder whose traces are the baseline's runs");
    auto* cmdAddRuns = TextButton(this, "cmdAddRuns", "Add runs...",
                                  "Add traces of more runs to the current side, beside the loaded one");
    cmdSwap_ = TextButton(this, "cmdSwap", "Swap", "Exchange the baseline and the current run");
    cmdSwap_->setEnabled(false);
    cmdClear_ = TextButton(this, "cmdCompareClear", "Clear", "Stop comparing: forget the baseline");
    cmdClear_->setAccessibleName(QStringLiteral("Clear the baseline"));
    cmdClear_->setEnabled(false);
    // No accessible name of its own: a screen reader reads the line's text.
    lblSummary_ = new QLabel(QStringLiteral("No baseline: choose a trace to compare with."), this);
    lblSummary_->setObjectName(QStringLiteral("lblCompareSummary"));
    lblSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSummary_->setContentsMargins(4, 0, 4, 0);
    lblSummary_->setWordWrap(true);
    layout.bar->addWidget(cmdCompareWith);
    layout.bar->addWidget(cmdCompareFolder);
    layout.bar->addWidget(cmdAddRuns);
    layout.bar->addWidget(cmdSwap_);
    layout.bar->addWidget(cmdClear_);
    layout.bar->addStretch(1);

    model_ = new CompareModel(this);
    view_ = TableView(this, "tvCompare", "Compare", model_, parts.callTree->font());
    view_->header()->setSortIndicator(-1, Qt::DescendingOrder);  // the diff's own order
    view_->setSortingEnabled(true);
    view_->setColumnWidth(static_cast<int>(DiffColumn::Name), 150);
    for (int column = 1; column < static_cast<int>(DiffColumn::Count); ++column) {
        const bool calls =
            column == static_cast<int>(DiffColumn::OldCalls) || column == static_cast<int>(DiffColumn::NewCalls);
        // Wide enough for each line of the header's text.
        int text = 0;
        for (const QString& line : model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().split('\n')) {
            text = std::max(text, view_->header()->fontMetrics().horizontalAdvance(line) + 16);
        }
        view_->setColumnWidth(column, std::max(calls ? 60 : 85, text));
    }
    // Several runs a side: a table of its own, shown in place of the other.
    runsModel_ = new RunsCompareModel(this);
    runsView_ = TableView(this, "tvCompareRuns", "Compare runs", runsModel_, parts.callTree->font());
    runsView_->header()->setSortIndicator(-1, Qt::DescendingOrder);
    runsView_->setSortingEnabled(true);
    runsView_->setColumnWidth(static_cast<int>(RunsColumn::Name), 150);
    for (int column = 1; column < static_cast<int>(RunsColumn::Count); ++column) {
        const bool narrow =
            column == static_cast<int>(RunsColumn::OldRuns) || column == static_cast<int>(RunsColumn::NewRuns) ||
            column == static_cast<int>(RunsColumn::PValue) || column == static_cast<int>(RunsColumn::Verdict);
        const bool wide =
            column >= static_cast<int>(RunsColumn::OldOwn) && column <= static_cast<int>(RunsColumn::NewTotal);
        runsView_->setColumnWidth(column, narrow                                             ? 60
                                          : column == static_cast<int>(RunsColumn::Interval) ? 175
                                          : wide                                             ? 140
                                                                                             : 85);
    }
    runsView_->hide();

    layout.layout->addWidget(lblSummary_);
    layout.layout->addWidget(view_, 1);
    layout.layout->addWidget(runsView_, 1);
    setFocusProxy(view_);

    connect(cmdCompareWith, &QToolButton::clicked, this, &ComparePage::CompareWith);
    connect(cmdCompareFolder, &QToolButton::clicked, this, &ComparePage::CompareWithFolder);
    connect(cmdAddRuns, &QToolButton::clicked, this, &ComparePage::AddRuns);
    connect(cmdSwap_, &QToolButton::clicked, this, &ComparePage::SwapRuns);
    connect(cmdClear_, &QToolButton::clicked, this, &ComparePage::ClearBaseline);
}

void ComparePage::Clear() { Compare(); }

void ComparePage::ShowTrace() { Compare(); }

void ComparePage::TakeBaseline(std::optional<FlatProfile> baseline, std::optional<FlatProfile> corrected,
                               const std::string& error) {
    // A reload compares afresh, with the baseline as the load read it again;
    // one that can no longer be read is compared as it was.
    if (baseline) {
        baseline_ = std::move(baseline);
        baselineCorrected_ = std::move(corrected);
        baselineError_.clear();
    } else if (!baselinePath_.isEmpty()) {
        baselineError_ = ToQString(error);
    }
}

const std::optional<FlatProfile>& ComparePage::BaselineProfile() const {
    return context_.Trace().corrected && baselineCorrected_ ? baselineCorrected_ : baseline_;
}

void ComparePage::CompareWith() {
    const QStringList chosen =
        services_.Files().ChooseFilesToOpen(this, TraceChooserStart(services_.Config()), QStringLiteral("(*.pad)"),
                                            QStringLiteral("Choose the baseline (the run before your change)"));
    if (chosen.size() == 1) LoadBaseline(QDir::toNativeSeparators(chosen.constFirst()));
    if (chosen.size() > 1) LoadBaselineRuns(chosen);
}

void ComparePage::CompareWithFolder() {
    const auto folder = services_.Files().ChooseFolder(this, TraceChooserStart(services_.Config()));
    if (!folder) return;
    QStringList traces;
    for (const QFileInfo& file : QDir(*folder).entryInfoList({QStringLiteral("*.pad")}, QDir::Files, QDir::Name))
        traces.push_back(file.filePath());
    if (traces.isEmpty()) {
        services_.Reporter().Report(
            ToStdString(QStringLiteral("The folder %1 holds no .pad trace.").arg(QDir::toNativeSeparators(*folder))),
            MessageIcon::Exclamation);
        return;
    }
    if (traces.size() == 1) {
        LoadBaseline(QDir::toNativeSeparators(traces.constFirst()));
        return;
    }
    if (LoadBaselineRuns(traces)) {
        baselineRunsName_ = QFileInfo(QDir::cleanPath(*folder)).fileName();
        Compare();
    }
}

std::optional<std::vector<ComparePage::Run>> ComparePage::ReadRuns(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : paths) files.push_back(ToStdString(QDir::toNativeSeparators(path)));
    BusyCursor busy;
    const ShownTrace& trace = context_.Trace();
    auto read = RunInBackground(
        window(),
        [files, paramChar = trace.paramChar, format = trace.timeFormat] {
            std::vector<Run> runs;
            std::string error;
            for (const std::string& file : files) {
                Run run;
                std::optional<FlatProfile> profile = ReadFlatProfile(file, paramChar, format, error, &run.corrected);
                if (!profile) return std::make_pair(std::vector<Run>{}, error);
                run.profile = std::move(*profile);
                runs.push_back(std::move(run));
            }
            return std::make_pair(std::move(runs), error);
        },
        [this](bool on) { context_.ShowProgress(on); });
    if (read.first.empty()) {
        services_.Reporter().Report(read.second, MessageIcon::Critical);
        return std::nullopt;
    }
    return std::move(read.first);
}

bool ComparePage::LoadBaselineRuns(const QStringList& paths) {
    if (paths.size() == 1) return LoadBaseline(QDir::toNativeSeparators(paths.constFirst()));
    std::optional<std::vector<Run>> runs = ReadRuns(paths);
    if (!runs) return false;
    baselineRuns_ = std::move(*runs);
    baselineRunsName_.clear();
    // Several runs are the session's: the next start compares with none.
    baseline_.reset();
    baselineCorrected_.reset();
    baselinePath_.clear();
    baselineError_.clear();
    swapped_ = false;
    Compare();
    return true;
}

void ComparePage::AddRuns() {
    const QStringList chosen = services_.Files().ChooseFilesToOpen(
        this, TraceChooserStart(services_.Config()), QStringLiteral("(*.pad)"),
        QStringLiteral("Add runs (more traces of the loaded program as it is now)"));
    if (!chosen.isEmpty()) AddCurrentRuns(chosen);
}

bool ComparePage::AddCurrentRuns(const QStringList& paths) {
    std::optional<std::vector<Run>> runs = ReadRuns(paths);
    if (!runs) return false;
    for (Run& run : *runs) addedRuns_.push_back(std::move(run));
    addedFor_ = context_.Trace().path;
    Compare();
    return true;
}

std::vector<FlatProfile> ComparePage::Profiles(const std::vector<Run>& runs, bool corrected) const {
    std::vector<FlatProfile> profiles;
    for (const Run& run : runs) profiles.push_back(corrected && run.corrected ? *run.corrected : run.profile);
    return profiles;
}

bool ComparePage::LoadBaseline(const QString& path) {
    std::string why;
    std::optional<FlatProfile> baseline;
    std::optional<FlatProfile> corrected;
    {
        BusyCursor busy;
        // Read as the trace is, off the window's thread.
        const ShownTrace& trace = context_.Trace();
        auto read = RunInBackground(
            window(),
            [file = ToStdString(path), paramChar = trace.paramChar, format = trace.timeFormat] {
                std::string error;
                std::optional<FlatProfile> fixed;
                std::optional<FlatProfile> profile = ReadFlatProfile(file, paramChar, format, error, &fixed);
                return std::make_tuple(std::move(profile), std::move(error), std::move(fixed));
            },
            [this](bool on) { context_.ShowProgress(on); });
        baseline = std::move(std::get<0>(read));
        why = std::move(std::get<1>(read));
        corrected = std::move(std::get<2>(read));
    }
    if (!baseline) {
        services_.Reporter().Report(why, MessageIcon::Critical);
        return false;
    }
    baseline_ = std::move(baseline);
    baselineCorrected_ = std::move(corrected);
    baselinePath_ = path;
    baselineError_.clear();
    baselineRuns_.clear();
    swapped_ = false;
    Compare();
    return true;
}

void ComparePage::SwapRuns() {
    if (!baseline_ && baselineRuns_.empty()) return;
    swapped_ = !swapped_;
    Compare();
}

void ComparePage::ClearBaseline() {
    baseline_.reset();
    baselineCorrected_.reset();
    baselinePath_.clear();
    baselineError_.clear();
    baselineRuns_.clear();
    addedRuns_.clear();
    swapped_ = false;
    Compare();
}

void ComparePage::Compare() {
    const ShownTrace& trace = context_.Trace();
    // Added runs are runs of the loaded program: another trace starts without them.
    if (!addedRuns_.empty() && trace.path != addedFor_) addedRuns_.clear();
    const bool several = ComparesRuns();
    view_->setVisible(!several);
    runsView_->setVisible(several);
    setFocusProxy(several ? runsView_ : view_);
    cmdSwap_->setEnabled((baseline_.has_value() || !baselineRuns_.empty()) && trace.loaded);
    cmdClear_->setEnabled(!baselinePath_.isEmpty() || !baselineRuns_.empty() || !addedRuns_.empty());
    if (several && trace.loaded && (baseline_ || !baselineRuns_.empty())) {
        CompareRuns();
        return;
    }
    runsModel_->Clear();
    const QString other = QFileInfo(baselinePath_).fileName();
    if (!baseline_ || !trace.loaded) {
        model_->Clear();
        runsModel_->Clear();
        lblSummary_->setToolTip(baselinePath_);
        if (!baseline_ && !baselineError_.isEmpty()) {
            lblSummary_->setText(QStringLiteral("The baseline %1 could not be read: %2").arg(other, baselineError_));
        } else if (!baseline_ && baselineRuns_.empty()) {
            lblSummary_->setText(QStringLiteral("No baseline: choose a trace to compare with."));
        } else {
            lblSummary_->setText(
                QStringLiteral("Baseline: %1. No run is loaded to compare with it.")
                    .arg(baselineRuns_.empty() ? other : QStringLiteral("%1 runs").arg(baselineRuns_.size())));
        }
        return;
    }
    // A chosen stretch of the run is not compared: the runs are, whole.
    const FlatProfile& current = trace.wholeProcedures;
    const FlatProfile& baseline = *BaselineProfile();
    model_->SetDiff(swapped_ ? DiffFlatProfiles(current, baseline) : DiffFlatProfiles(baseline, current),
                    trace.timeFormat);
    const QString runs = swapped_ ? QStringLiteral("Baseline: the loaded run, current: %1.").arg(other)
                                  : QStringLiteral("Baseline: %1, current: the loaded run.").arg(other);
    QString summary = runs + QLatin1Char(' ') + model_->SummaryText();
    if (!baselineError_.isEmpty()) {
        summary += QStringLiteral(" The baseline could not be read again (%1); its numbers from before are shown.")
                       .arg(baselineError_);
    }
    if (trace.corrected) {
        summary += baselineCorrected_ ? QStringLiteral(" Both runs are corrected for the timing overhead.")
                                      : QStringLiteral(
                                            " The loaded run is corrected for the timing overhead; the "
                                            "baseline states none and is shown as recorded.");
    }
    lblSummary_->setText(summary);
    lblSummary_->setToolTip(baselinePath_);
}

// Several runs on a side: the loaded run and the added ones against the
// baseline's runs (or the one baseline), with the statistics of the runs.
void ComparePage::CompareRuns() {
    const ShownTrace& trace = context_.Trace();
    model_->Clear();
    // Corrected only when every run of the baseline states its overhead, as for one baseline.
    const bool corrected =
        trace.corrected &&
        (baselineRuns_.empty() ? baselineCorrected_.has_value()
                               : std::all_of(baselineRuns_.begin(), baselineRuns_.end(),
                                             [](const Run& run) { return run.corrected.has_value(); })) &&
        std::all_of(addedRuns_.begin(), addedRuns_.end(), [](const Run& run) { return run.corrected.has_value(); });
    // Every run alike: all corrected, or all as recorded.
    std::vector<FlatProfile> before;
    if (baselineRuns_.empty())
        before.push_back(corrected && baselineCorrected_ ? *baselineCorrected_ : *baseline_);
    else
        before = Profiles(baselineRuns_, corrected);
    std::vector<FlatProfile> after{trace.corrected && !corrected ? trace.recordedProcedures : trace.wholeProcedures};
    for (FlatProfile& run : Profiles(addedRuns_, corrected)) after.push_back(std::move(run));
    const QString baselineName = baselineRuns_.empty() ? QFileInfo(baselinePath_).fileName() : baselineRunsName_;
    const QString current =
        addedRuns_.empty()
            ? QStringLiteral("the loaded run")
            : QStringLiteral("the loaded run and %1 more (%2 runs)").arg(addedRuns_.size()).arg(addedRuns_.size() + 1);
    QString oldSide = baselineName;
    if (!baselineRuns_.empty()) {
        oldSide = baselineName.isEmpty() ? QStringLiteral("%1 runs").arg(before.size())
                                         : QStringLiteral("%1 (%2 runs)").arg(baselineName).arg(before.size());
    }
    if (swapped_) std::swap(before, after);
    runsModel_->SetDiff(DiffRuns(before, after), trace.timeFormat);
    QString summary = swapped_ ? QStringLiteral("Baseline: %1, current: %2.").arg(current, oldSide)
                               : QStringLiteral("Baseline: %1, current: %2.").arg(oldSide, current);
    summary += QLatin1Char(' ') + runsModel_->SummaryText();
    if (trace.corrected) {
        summary += corrected ? QStringLiteral(" Every run is corrected for the timing overhead.")
                             : QStringLiteral(
                                   " A run of the comparison states no timing overhead: every run is "
                                   "compared as recorded.");
    }
    lblSummary_->setText(summary);
    lblSummary_->setToolTip(ToQString(RunsMethodText()));
}

}  // namespace kivra
