#include "ComparePage.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <tuple>

#include "BackgroundWork.h"
#include "BusyCursor.h"
#include "CompareModel.h"
#include "PageParts.h"
#include "QtText.h"
#include "TraceTableLoad.h"
#include "TraceViews.h"  // TraceChooserStart
#include "WindowServices.h"

namespace kivra {

ComparePage::ComparePage(const ViewParts& parts) : TraceView(parts.context), services_(parts.services) {
    const PageLayout layout = LayOutWithBar(this);
    auto* cmdCompareWith = TextButton(this, "cmdCompareWith", "Compare with...",
                                      "Choose the trace of the run to compare with (the baseline)");
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
    layout.layout->addWidget(lblSummary_);
    layout.layout->addWidget(view_, 1);
    setFocusProxy(view_);

    connect(cmdCompareWith, &QToolButton::clicked, this, &ComparePage::CompareWith);
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
    const auto chosen = services_.Files().ChooseFileToOpen(
        this, TraceChooserStart(services_.Config()), QStringLiteral("(*.pad)"), QStringLiteral(".pad"),
        QStringLiteral("Choose the baseline (the run before your change)"));
    if (chosen) LoadBaseline(QDir::toNativeSeparators(*chosen));
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
    swapped_ = false;
    Compare();
    return true;
}

void ComparePage::SwapRuns() {
    if (!baseline_) return;
    swapped_ = !swapped_;
    Compare();
}

void ComparePage::ClearBaseline() {
    baseline_.reset();
    baselineCorrected_.reset();
    baselinePath_.clear();
    baselineError_.clear();
    swapped_ = false;
    Compare();
}

void ComparePage::Compare() {
    const ShownTrace& trace = context_.Trace();
    cmdSwap_->setEnabled(baseline_.has_value() && trace.loaded);
    cmdClear_->setEnabled(!baselinePath_.isEmpty());
    const QString other = QFileInfo(baselinePath_).fileName();
    if (!baseline_ || !trace.loaded) {
        model_->Clear();
        lblSummary_->setToolTip(baselinePath_);
        if (!baseline_ && !baselineError_.isEmpty()) {
            lblSummary_->setText(QStringLiteral("The baseline %1 could not be read: %2").arg(other, baselineError_));
        } else if (!baseline_) {
            lblSummary_->setText(QStringLiteral("No baseline: choose a trace to compare with."));
        } else {
            lblSummary_->setText(QStringLiteral("Baseline: %1. No run is loaded to compare with it.").arg(other));
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

}  // namespace kivra
