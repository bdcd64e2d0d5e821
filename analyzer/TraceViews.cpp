#include "TraceViews.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <tuple>

#include "BackgroundWork.h"
#include "BusyCursor.h"
#include "ClipboardText.h"
#include "CompareModel.h"
#include "DesignControls.h"
#include "FindBar.h"
#include "FlameGraphView.h"
#include "ProceduresModel.h"
#include "QtText.h"
#include "ShareBarDelegate.h"
#include "TableSnapshot.h"
#include "TraceCellDelegate.h"
#include "TraceReport.h"
#include "TraceTableModel.h"
#include "WindowServices.h"

namespace kivra {
namespace {

QWidget* PageAround(QWidget* view, const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    page->setFocusProxy(view);
    return page;
}

// A page with a bar of controls over its view.
struct BarPage {
    QWidget* page;
    QVBoxLayout* layout;
    QHBoxLayout* bar;
};

BarPage PageWithBar() {
    BarPage made{new QWidget, nullptr, new QHBoxLayout};
    made.layout = new QVBoxLayout(made.page);
    made.layout->setContentsMargins(0, 2, 0, 0);
    made.layout->setSpacing(2);
    made.bar->setContentsMargins(4, 0, 4, 0);
    made.layout->addLayout(made.bar);
    return made;
}

// A flat, sortable table of one row per item in the call tree's font.
QTreeView* TableView(QWidget* parent, const char* name, const char* accessibleName, QAbstractItemModel* model,
                     const QFont& font) {
    auto* view = Named(new QTreeView(parent), name, QString::fromLatin1(accessibleName));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setModel(model);
    view->setFont(font);
    return view;
}

QToolButton* TextButton(QWidget* parent, const char* name, const char* text, const char* tip) {
    auto* button = Named(new QToolButton(parent), name, QString::fromLatin1(text));
    button->setText(QString::fromLatin1(text));
    button->setToolTip(QString::fromUtf8(tip));
    return button;
}

// The tint behind matching rows: the highlight colour, faint on the base.
QColor MatchTint(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor mark = palette.color(QPalette::Highlight);
    auto mix = [](int a, int b) { return (a * 3 + b) / 4; };
    return QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()), mix(base.blue(), mark.blue()));
}

}  // namespace

// Here, and only here, the views are listed, in tab order.
const TraceViews::ViewEntry TraceViews::kViews[] = {
    {"Call Tree", "tabCallTree", &TraceViews::MakeCallTreePage},
    {"Procedures", "tabProcedures", &TraceViews::MakeProceduresPage},
    {"Flame Graph", "tabFlameGraph", &TraceViews::MakeFlameGraphPage},
    {"Compare", "tabCompare", &TraceViews::MakeComparePage},
};
constexpr int kCallTreeTab = 0;
constexpr int kProceduresTab = 1;
constexpr int kFlameGraphTab = 2;
constexpr int kCompareTab = 3;

QString TraceChooserStart(const ConfigClass& config) {
    QString initial = ToQString(config.Value("Application", "LastFile"));
    if (initial.isEmpty()) initial = QDir::tempPath() + QStringLiteral("/Kivra");
    return initial;
}

TraceViews::TraceViews(WindowServices& services, QTreeView* callTree, TraceTableModel* model, QWidget* parent)
    : QWidget(parent), services_(services), callTree_(callTree), model_(model) {
    setObjectName(QStringLiteral("tableArea"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabViews"));
    tabs_->setAccessibleName(QStringLiteral("Views"));
    tabs_->setDocumentMode(true);
    for (const ViewEntry& view : kViews) {
        QWidget* page = (this->*view.make)();
        page->setObjectName(QString::fromLatin1(view.objectName));
        page->setAccessibleName(QString::fromLatin1(view.caption));
        tabs_->addTab(page, QString::fromLatin1(view.caption));
    }

    auto* corner = new QWidget(tabs_);
    auto* cornerLayout = new QHBoxLayout(corner);
    cornerLayout->setContentsMargins(0, 0, 2, 0);
    prgLoad_ = new QProgressBar(corner);
    prgLoad_->setObjectName(QStringLiteral("prgLoad"));
    prgLoad_->setAccessibleName(QStringLiteral("Reading the trace"));
    prgLoad_->setRange(0, 0);
    prgLoad_->setMaximumSize(140, 14);
    prgLoad_->hide();
    cmdFind_ = new QToolButton(corner);
    cmdFind_->setObjectName(QStringLiteral("cmdFind"));
    cmdFind_->setText(QStringLiteral("Find"));
    cmdFind_->setToolTip(QStringLiteral("Find (Ctrl+F)"));
    cmdFind_->setAccessibleName(QStringLiteral("Find"));
    cmdFind_->setAutoRaise(true);
    cornerLayout->addWidget(prgLoad_);
    cornerLayout->addWidget(cmdFind_);
    tabs_->setCornerWidget(corner, Qt::TopRightCorner);

    // The line above the views for a trace that states its timing overhead.
    overheadBar_ = new QWidget(this);
    overheadBar_->setObjectName(QStringLiteral("overheadBar"));
    auto* overheadLayout = new QHBoxLayout(overheadBar_);
    overheadLayout->setContentsMargins(4, 2, 4, 2);
    lblOverhead_ = new QLabel(overheadBar_);
    lblOverhead_->setObjectName(QStringLiteral("lblOverhead"));
    lblOverhead_->setAccessibleName(QStringLiteral("Timing overhead"));
    chkCorrectOverhead_ = new QCheckBox(QStringLiteral("Correct for overhead"), overheadBar_);
    chkCorrectOverhead_->setObjectName(QStringLiteral("chkCorrectOverhead"));
    chkCorrectOverhead_->setAccessibleName(QStringLiteral("Correct for overhead"));
    chkCorrectOverhead_->setToolTip(QStringLiteral(
        "Take the timing object's own cost, as the trace states it, out of every call's times in every view"));
    overheadLayout->addWidget(lblOverhead_, 1);
    overheadLayout->addWidget(chkCorrectOverhead_);
    overheadBar_->hide();
    connect(chkCorrectOverhead_, &QCheckBox::toggled, this, &TraceViews::SetCorrected);

    findBar_ = new FindBar(this);
    findBar_->hide();
    layout->addWidget(overheadBar_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(findBar_);

    connect(cmdFind_, &QToolButton::clicked, this, &TraceViews::OpenFind);
    connect(findBar_, &FindBar::QueryChanged, this, &TraceViews::QueryChanged);
    connect(findBar_, &FindBar::NextRequested, this, [this] { Step(true); });
    connect(findBar_, &FindBar::PreviousRequested, this, [this] { Step(false); });
    connect(findBar_, &FindBar::Closed, this, &TraceViews::FindClosed);
    connect(tabs_, &QTabWidget::currentChanged, this, &TraceViews::TabChanged);
    // The graph outlines the call selected in the tree, however it was selected.
    connect(callTree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        flameGraph_->ShowCall(index.isValid() ? std::optional<std::size_t>(TraceTableModel::RowOf(index))
                                              : std::nullopt);
    });

    auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* key = new QShortcut(keys, this, slot);
        key->setContext(Qt::WindowShortcut);
    };
    shortcut(QKeySequence::Find, [this] { OpenFind(); });
    shortcut(QKeySequence(Qt::Key_F3), [this] { Step(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Step(false); });
}

TraceViews::~TraceViews() = default;

QWidget* TraceViews::MakeCallTreePage() {
    AddCallTreeActions();
    callTree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return PageAround(callTree_, "");
}

QWidget* TraceViews::MakeProceduresPage() {
    procedures_ = new ProceduresModel(this);
    procedureView_ = TableView(nullptr, "tvProcedures", "Procedures", procedures_, callTree_->font());
    procedureView_->setItemDelegate(
        new ShareBarDelegate(static_cast<int>(ProcedureColumn::OwnPercent), procedureView_));
    QHeaderView* header = procedureView_->header();
    header->setStretchLastSection(true);  // the share bar takes what is left
    header->setSortIndicator(static_cast<int>(ProcedureColumn::Own), Qt::DescendingOrder);
    procedureView_->setSortingEnabled(true);
    procedureView_->setColumnWidth(static_cast<int>(ProcedureColumn::Name), 200);
    procedureView_->setColumnWidth(static_cast<int>(ProcedureColumn::Calls), 70);
    for (const auto column : {ProcedureColumn::Own, ProcedureColumn::Total}) {
        procedureView_->setColumnWidth(static_cast<int>(column), 90);
    }
    for (const auto column : {ProcedureColumn::MeanOwn, ProcedureColumn::MaxOwn}) {
        procedureView_->setColumnWidth(static_cast<int>(column), 115);
    }
    connect(procedureView_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) ShowCallsOf(index.data(ProceduresModel::kProcedureRole).toULongLong());
    });
    return PageAround(procedureView_, "");
}

QWidget* TraceViews::MakeFlameGraphPage() {
    const auto [page, layout, bar] = PageWithBar();
    optTimeOrder_ =
        Named(new QRadioButton(QStringLiteral("Time order"), page), "optTimeOrder", QStringLiteral("Time order"));
    optTimeOrder_->setChecked(true);
    optMerged_ = Named(new QRadioButton(QStringLiteral("Merged"), page), "optMerged", QStringLiteral("Merged"));
    chkFlip_ = Named(new QCheckBox(QStringLiteral("Callers at the bottom"), page), "chkFlip",
                     QStringLiteral("Callers at the bottom"));
    auto* hint =
        new QLabel(QStringLiteral("Wheel or + and -: zoom · drag: move · double-click or Enter: zoom to a box · "
                                  "Home: whole run"),
                   page);
    // In the palette's own text colour: a disabled grey reads at 1.5:1.
    hint->setObjectName(QStringLiteral("lblFlameHint"));
    bar->addWidget(optTimeOrder_);
    bar->addWidget(optMerged_);
    bar->addSpacing(12);
    bar->addWidget(chkFlip_);
    bar->addStretch(1);
    bar->addWidget(hint);
    flameGraph_ = new FlameGraphView(page);
    layout->addWidget(flameGraph_, 1);
    page->setFocusProxy(flameGraph_);

    connect(optMerged_, &QRadioButton::toggled, this,
            [this](bool merged) { flameGraph_->SetMode(merged ? FlameMode::Merged : FlameMode::TimeOrder); });
    connect(chkFlip_, &QCheckBox::toggled, flameGraph_, &FlameGraphView::SetFlipped);
    connect(flameGraph_, &FlameGraphView::BoxChosen, this, [this](int box) {
        // In time order a box is a call: the tree selects it too.
        if (flameGraph_->Mode() != FlameMode::TimeOrder) return;
        const auto call =
            static_cast<std::size_t>(flameGraph_->Layout().Boxes[static_cast<std::size_t>(box)].FirstCall);
        if (call < model_->Rows().size()) SelectRow(call);
    });
    return page;
}

QWidget* TraceViews::MakeComparePage() {
    const auto [page, layout, bar] = PageWithBar();
    auto* cmdCompareWith = TextButton(page, "cmdCompareWith", "Compare with...",
                                      "Choose the trace of the run to compare with (the baseline)");
    cmdSwap_ = TextButton(page, "cmdSwap", "Swap", "Exchange the baseline and the current run");
    cmdSwap_->setEnabled(false);
    cmdCompareClear_ = TextButton(page, "cmdCompareClear", "Clear", "Stop comparing: forget the baseline");
    cmdCompareClear_->setAccessibleName(QStringLiteral("Clear the baseline"));
    cmdCompareClear_->setEnabled(false);
    // No accessible name of its own: a screen reader reads the line's text.
    lblCompareSummary_ = new QLabel(QStringLiteral("No baseline: choose a trace to compare with."), page);
    lblCompareSummary_->setObjectName(QStringLiteral("lblCompareSummary"));
    lblCompareSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar->addWidget(cmdCompareWith);
    bar->addWidget(cmdSwap_);
    bar->addWidget(cmdCompareClear_);
    bar->addStretch(1);
    lblCompareSummary_->setContentsMargins(4, 0, 4, 0);
    lblCompareSummary_->setWordWrap(true);

    comparison_ = new CompareModel(this);
    compareView_ = TableView(page, "tvCompare", "Compare", comparison_, callTree_->font());
    compareView_->header()->setSortIndicator(-1, Qt::DescendingOrder);  // the diff's own order
    compareView_->setSortingEnabled(true);
    compareView_->setColumnWidth(static_cast<int>(DiffColumn::Name), 150);
    for (int column = 1; column < static_cast<int>(DiffColumn::Count); ++column) {
        const bool calls =
            column == static_cast<int>(DiffColumn::OldCalls) || column == static_cast<int>(DiffColumn::NewCalls);
        // Wide enough for each line of the header's text.
        int text = 0;
        for (const QString& line :
             comparison_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().split('\n')) {
            text = std::max(text, compareView_->header()->fontMetrics().horizontalAdvance(line) + 16);
        }
        compareView_->setColumnWidth(column, std::max(calls ? 60 : 85, text));
    }
    layout->addWidget(lblCompareSummary_);
    layout->addWidget(compareView_, 1);
    page->setFocusProxy(compareView_);

    connect(cmdCompareWith, &QToolButton::clicked, this, &TraceViews::CompareWith);
    connect(cmdSwap_, &QToolButton::clicked, this, &TraceViews::SwapRuns);
    connect(cmdCompareClear_, &QToolButton::clicked, this, &TraceViews::ClearBaseline);
    return page;
}

QAction* TraceViews::AddTreeAction(const char* name, const char* text, const QKeySequence& keys,
                                   void (TraceViews::*slot)()) {
    auto* action = new QAction(QString::fromLatin1(text), callTree_);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, this, slot);
    callTree_->addAction(action);
    return action;
}

void TraceViews::AddCallTreeActions() {
    callTree_->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddTreeAction("actExpandHotPath", "Expand hot path", QKeySequence(Qt::CTRL | Qt::Key_H),
                  &TraceViews::ExpandHotPath);
    AddTreeAction("actExpandAll", "Expand all", QKeySequence(Qt::CTRL | Qt::Key_E), &TraceViews::ExpandAll);
    AddTreeAction("actCollapseAll", "Collapse all", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                  &TraceViews::CollapseAll);
    AddTreeAction("actExpandChildren", "Expand children", QKeySequence(Qt::Key_Asterisk), &TraceViews::ExpandChildren);
    auto* separator = new QAction(callTree_);
    separator->setSeparator(true);
    callTree_->addAction(separator);
    AddTreeAction("actShowInProcedures", "Show in Procedures", QKeySequence(Qt::CTRL | Qt::Key_P),
                  &TraceViews::ShowInProcedures);
    AddTreeAction("actCopyRows", "Copy", QKeySequence::Copy, &TraceViews::CopyRows);
}

void TraceViews::Clear() {
    traceShown_ = false;
    current_.reset();
    currentCorrected_.reset();
    corrected_.reset();
    correcting_ = false;
    recordedTimeOrder_ = {};
    recordedMerged_ = {};
    names_.clear();
    recordedTotals_.clear();
    overheadBar_->hide();
    TintRows({});
    Compare();
    flameGraph_->Clear();
    rowProcedure_.clear();
    rowTotals_.clear();
    parents_.clear();
    searchRows_.clear();
    steps_.clear();
    matchCount_ = 0;
    stepsAreMatches_ = false;
    procedures_->Clear();
    if (findBar_->isVisible()) findBar_->ShowCount({});
}

void TraceViews::ShowTrace(TraceViewData data, const NumberFormat& timeFormat, const std::string& paramChar) {
    timeFormat_ = timeFormat;
    paramChar_ = paramChar;
    traceShown_ = true;
    rowProcedure_ = std::move(data.rowProcedure);
    rowTotals_ = std::move(data.rowTotals);
    const auto& rows = model_->Rows();
    parents_.resize(rows.size());
    searchRows_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        parents_[i] = rows[i].parent;
        searchRows_[i] = {rows[i].label, rows[i].dataIn, rows[i].dataLog, rows[i].dataOut};
    }
    // A load that stopped early has a row the profile lacks; it counts as no call.
    rowProcedure_.resize(rows.size(), -1);
    rowTotals_.resize(rows.size(), 0.0f);
    current_ = data.procedures;
    procedures_->SetProfile(std::move(data.procedures), timeFormat);
    names_ = std::move(data.names);
    corrected_ = std::move(data.corrected);
    correcting_ = false;
    if (corrected_) {
        // The recorded numbers, kept to come back to when the switch goes off.
        recordedTotals_ = rowTotals_;
        recordedTimeOrder_ = data.timeOrder;
        recordedMerged_ = data.merged;
        currentCorrected_ = corrected_->procedures;
        corrected_->rowTotals.resize(rows.size(), 0.0f);
        model_->SetCorrectedTimes(std::move(corrected_->totals), std::move(corrected_->times));
        lblOverhead_->setText(OverheadText());
    } else {
        recordedTotals_.clear();
        recordedTimeOrder_ = {};
        recordedMerged_ = {};
    }
    overheadBar_->setVisible(corrected_.has_value());
    ShowGraph(std::move(data.timeOrder), std::move(data.merged));
    // A reload compares afresh, with the baseline as the load read it again;
    // one that can no longer be read is compared as it was.
    if (data.baseline) {
        baseline_ = std::move(data.baseline);
        baselineCorrected_ = std::move(data.baselineCorrected);
        baselineError_.clear();
    } else if (!baselinePath_.isEmpty()) {
        baselineError_ = ToQString(data.baselineError);
    }
    if (corrected_ && chkCorrectOverhead_->isChecked()) {
        SetCorrected(true);
    } else {
        Compare();
    }
    flameGraph_->ShowCall(CurrentRow());
    if (findBar_->isVisible()) QueryChanged();
}

void TraceViews::ShowGraph(FlameLayout timeOrder, FlameLayout merged) {
    flameGraph_->SetGraph(std::move(timeOrder), std::move(merged), names_, timeFormat_, [this](std::size_t call) {
        const auto& rows = model_->Rows();
        if (call >= rows.size()) return std::vector<std::string>();
        const TableRow& row = rows[call];
        return std::vector<std::string>{std::string(row.dataIn), std::string(row.dataLog), std::string(row.dataOut)};
    });
}

QString TraceViews::OverheadText() const {
    if (!corrected_) return {};
    QString text = ToQString(corrected_->summary);
    if (correcting_ && corrected_->clamped > 0) {
        const QString calls =
            corrected_->clamped == 1 ? QStringLiteral("1 call") : QStringLiteral("%1 calls").arg(corrected_->clamped);
        text += QStringLiteral(" (%1 held at 0)").arg(calls);
    }
    return text;
}

void TraceViews::SetCorrected(bool on) {
    if (chkCorrectOverhead_->isChecked() != on) {
        chkCorrectOverhead_->setChecked(on);  // comes back here
        return;
    }
    const bool correct = on && corrected_.has_value();
    if (correct == correcting_) return;
    correcting_ = correct;
    model_->ShowCorrected(correct);
    rowTotals_ = correct ? corrected_->rowTotals : recordedTotals_;
    procedures_->SetProfile(correct ? corrected_->procedures : *current_, timeFormat_);
    const std::optional<std::size_t> row = CurrentRow();
    ShowGraph(correct ? corrected_->timeOrder : recordedTimeOrder_, correct ? corrected_->merged : recordedMerged_);
    flameGraph_->ShowCall(row);
    lblOverhead_->setText(OverheadText());
    Compare();
    if (findBar_->isVisible()) QueryChanged();
}

const std::optional<FlatProfile>& TraceViews::CurrentProfile() const {
    return correcting_ && currentCorrected_ ? currentCorrected_ : current_;
}

const std::optional<FlatProfile>& TraceViews::BaselineProfile() const {
    return correcting_ && baselineCorrected_ ? baselineCorrected_ : baseline_;
}

void TraceViews::CompareWith() {
    const auto chosen = services_.Files().ChooseFileToOpen(
        this, TraceChooserStart(services_.Config()), QStringLiteral("(*.pad)"), QStringLiteral(".pad"),
        QStringLiteral("Choose the baseline (the run before your change)"));
    if (chosen) LoadBaseline(QDir::toNativeSeparators(*chosen));
}

bool TraceViews::LoadBaseline(const QString& path) {
    std::string why;
    std::optional<FlatProfile> baseline;
    std::optional<FlatProfile> corrected;
    {
        BusyCursor busy;
        // Read as the trace is, off the window's thread.
        auto read = RunInBackground(
            window(),
            [file = ToStdString(path), paramChar = paramChar_, format = timeFormat_] {
                std::string error;
                std::optional<FlatProfile> fixed;
                std::optional<FlatProfile> profile = ReadFlatProfile(file, paramChar, format, error, &fixed);
                return std::make_tuple(std::move(profile), std::move(error), std::move(fixed));
            },
            [this](bool on) { ShowProgress(on); });
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

void TraceViews::SwapRuns() {
    if (!baseline_) return;
    swapped_ = !swapped_;
    Compare();
}

void TraceViews::ClearBaseline() {
    baseline_.reset();
    baselineCorrected_.reset();
    baselinePath_.clear();
    baselineError_.clear();
    swapped_ = false;
    Compare();
}

void TraceViews::Compare() {
    cmdSwap_->setEnabled(baseline_.has_value() && current_.has_value());
    cmdCompareClear_->setEnabled(!baselinePath_.isEmpty());
    const QString other = QFileInfo(baselinePath_).fileName();
    if (!baseline_ || !current_) {
        comparison_->Clear();
        lblCompareSummary_->setToolTip(baselinePath_);
        if (!baseline_ && !baselineError_.isEmpty()) {
            lblCompareSummary_->setText(
                QStringLiteral("The baseline %1 could not be read: %2").arg(other, baselineError_));
        } else if (!baseline_) {
            lblCompareSummary_->setText(QStringLiteral("No baseline: choose a trace to compare with."));
        } else {
            lblCompareSummary_->setText(
                QStringLiteral("Baseline: %1. No run is loaded to compare with it.").arg(other));
        }
        return;
    }
    const FlatProfile& current = *CurrentProfile();
    const FlatProfile& baseline = *BaselineProfile();
    comparison_->SetDiff(swapped_ ? DiffFlatProfiles(current, baseline) : DiffFlatProfiles(baseline, current),
                         timeFormat_);
    const QString runs = swapped_ ? QStringLiteral("Baseline: the loaded run, current: %1.").arg(other)
                                  : QStringLiteral("Baseline: %1, current: the loaded run.").arg(other);
    QString summary = runs + QLatin1Char(' ') + comparison_->SummaryText();
    if (!baselineError_.isEmpty()) {
        summary += QStringLiteral(" The baseline could not be read again (%1); its numbers from before are shown.")
                       .arg(baselineError_);
    }
    if (correcting_) {
        summary += baselineCorrected_ ? QStringLiteral(" Both runs are corrected for the timing overhead.")
                                      : QStringLiteral(
                                            " The loaded run is corrected for the timing overhead; the "
                                            "baseline states none and is shown as recorded.");
    }
    lblCompareSummary_->setText(summary);
    lblCompareSummary_->setToolTip(baselinePath_);
}

void TraceViews::ShowProgress(bool on) {
    prgLoad_->setRange(0, 0);  // until a share is known the bar just moves
    prgLoad_->setVisible(on);
}

void TraceViews::ShowProgressShare(double share) {
    if (prgLoad_->maximum() != 1000) prgLoad_->setRange(0, 1000);
    prgLoad_->setValue(static_cast<int>(share * 1000.0));
}

ViewSettings TraceViews::Settings() const {
    ViewSettings settings;
    settings.Tab = kViews[std::max(0, tabs_->currentIndex())].caption;
    const FindQuery query = findBar_->Query();
    settings.FindCase = query.matchCase;
    settings.FindRegex = query.regularExpression;
    settings.FindData = query.dataFields;
    settings.CompareFile = ToStdString(baselinePath_);
    settings.CorrectOverhead = chkCorrectOverhead_->isChecked();
    return settings;
}

void TraceViews::ApplySettings(const ViewSettings& settings) {
    for (int tab = 0; tab < static_cast<int>(std::size(kViews)); ++tab) {
        if (settings.Tab == kViews[tab].caption) tabs_->setCurrentIndex(tab);
    }
    findBar_->SetToggles(settings.FindCase, settings.FindRegex, settings.FindData);
    // The baseline is read with the next load, as the load reads.
    baselinePath_ = ToQString(settings.CompareFile);
    const QSignalBlocker quiet(chkCorrectOverhead_);
    chkCorrectOverhead_->setChecked(settings.CorrectOverhead);
}

void TraceViews::TintRows(const std::vector<std::size_t>& rows) {
    auto* delegate = qobject_cast<TraceCellDelegate*>(callTree_->itemDelegate());
    if (delegate == nullptr) return;
    delegate->SetMarkedRows(rows, model_->Rows().size(), MatchTint(callTree_->palette()));
    callTree_->viewport()->update();
}

bool TraceViews::RowTinted(int row) const {
    const auto* delegate = qobject_cast<const TraceCellDelegate*>(callTree_->itemDelegate());
    return delegate != nullptr && delegate->IsMarked(row);
}

bool TraceViews::CallTreeShown() const { return tabs_->currentIndex() == kCallTreeTab; }

// On the call tree and the flame graph, F3 steps through rows of the tree.
bool TraceViews::StepsFollowTree() const {
    return tabs_->currentIndex() == kCallTreeTab || tabs_->currentIndex() == kFlameGraphTab;
}

void TraceViews::OpenFind() {
    const bool wasOpen = findBar_->isVisible();
    findBar_->Open();
    if (!wasOpen) QueryChanged();
}

void TraceViews::QueryChanged() {
    const FindQuery query = findBar_->Query();
    std::optional<RowMatcher> matcher;
    if (!query.text.empty()) matcher = RowMatcher::Make(query);
    queryValid_ = query.text.empty() || matcher.has_value();
    if (!queryValid_) {
        findBar_->ShowCount(QStringLiteral("Invalid expression"), true);
        TintRows({});
        flameGraph_->SetMatches({}, {});
        if (stepsAreMatches_) steps_.clear();
        matchCount_ = 0;
        return;
    }
    procedures_->Narrow(matcher ? &*matcher : nullptr);
    steps_ = matcher ? matcher->AllMatches(searchRows_) : std::vector<std::size_t>();
    stepsAreMatches_ = true;
    matchCount_ = steps_.size();
    TintRows(steps_);
    if (matcher) {
        // The graph: calls by the tree's matches, merged boxes by name.
        std::vector<char> calls(searchRows_.size(), 0);
        for (const std::size_t row : steps_) calls[row] = 1;
        std::vector<char> names(procedures_->Table().ProcedureCount(), 0);
        for (std::size_t p = 0; p < names.size(); ++p) {
            names[p] = matcher->Matches(SearchRow{procedures_->Table().Procedure(p).Name, {}, {}, {}}) ? 1 : 0;
        }
        flameGraph_->SetMatches(std::move(calls), std::move(names));
    } else {
        flameGraph_->SetMatches({}, {});
    }
    if (matcher && StepsFollowTree() && !steps_.empty()) {
        // As the text grows, the match at the current row or the next one.
        const auto current = CurrentRow();
        const std::size_t from = current ? *current : 0;
        const auto at = std::lower_bound(steps_.begin(), steps_.end(), from);
        SelectRow(at != steps_.end() ? *at : steps_.front());
    }
    ShowFindCount();
}

// The find bar's count as the page shown reads it: rows shown of all on
// Procedures, the place among the steps on the tree and the graph.
void TraceViews::ShowFindCount() {
    if (!findBar_->isVisible()) return;
    if (!queryValid_) {
        findBar_->ShowCount(QStringLiteral("Invalid expression"), true);
        return;
    }
    const bool searching = !findBar_->Query().text.empty();
    if (tabs_->currentIndex() == kProceduresTab) {
        const int shown = procedures_->rowCount();
        findBar_->ShowCount(!searching ? QString()
                            : shown == 0
                                ? QStringLiteral("No match")
                                : QStringLiteral("%1 of %2").arg(shown).arg(procedures_->Table().ProcedureCount()),
                            false);
        return;
    }
    if (!stepsAreMatches_ && StepsFollowTree()) {
        if (steps_.empty()) findBar_->ShowCount(QString());
        ShowStepCount();
        return;
    }
    if (!searching || !StepsFollowTree()) {
        findBar_->ShowCount(!searching ? QString() : QStringLiteral("%1 matches").arg(matchCount_));
        return;
    }
    if (steps_.empty()) {
        findBar_->ShowCount(QStringLiteral("No match"), false);
        return;
    }
    ShowStepCount();
}

void TraceViews::FindClosed() {
    procedures_->Narrow(nullptr);
    TintRows({});
    flameGraph_->SetMatches({}, {});
    if (stepsAreMatches_) steps_.clear();
    matchCount_ = 0;
    if (tabs_->currentWidget() != nullptr) tabs_->currentWidget()->setFocus();  // the page's view
}

void TraceViews::TabChanged() {
    // The matches are the same on every page; only the count reads otherwise.
    ShowFindCount();
}

void TraceViews::Step(bool forward) {
    if (tabs_->currentIndex() == kProceduresTab) {
        StepProcedures(forward);
        return;
    }
    if (!StepsFollowTree()) return;
    if (!queryValid_ && stepsAreMatches_) return;
    if (steps_.empty()) {
        if (findBar_->isVisible() && !findBar_->Query().text.empty()) findBar_->ShowCount(QStringLiteral("No match"));
        return;
    }
    const auto current = CurrentRow();
    const std::size_t from = current ? *current : (forward ? std::numeric_limits<std::size_t>::max() : 0);
    if (const auto next = NextMatch(steps_, from, forward)) SelectRow(*next);
    ShowStepCount();
}

void TraceViews::StepProcedures(bool forward) {
    const int count = procedures_->rowCount();
    if (count == 0) return;
    const QModelIndex current = procedureView_->currentIndex();
    int row = current.isValid() ? current.row() + (forward ? 1 : -1) : (forward ? 0 : count - 1);
    row = (row + count) % count;
    procedureView_->setCurrentIndex(procedures_->index(row, 0));
    procedureView_->scrollTo(procedureView_->currentIndex());
}

void TraceViews::ShowStepCount() {
    if (!findBar_->isVisible() || steps_.empty()) return;
    const auto current = CurrentRow();
    const auto at = current ? std::lower_bound(steps_.begin(), steps_.end(), *current) : steps_.end();
    const bool onMatch = at != steps_.end() && *at == *current;
    const QString total = QString::number(steps_.size());
    findBar_->ShowCount(onMatch ? QStringLiteral("%1 of %2").arg(at - steps_.begin() + 1).arg(total)
                                : QStringLiteral("%1 matches").arg(total));
}

void TraceViews::ShowCallsOf(std::size_t procedure) {
    tabs_->setCurrentIndex(kCallTreeTab);
    // The chosen procedure's calls are what F3 steps through now, not the
    // find bar's matches.
    steps_.clear();
    for (std::size_t row = 0; row < rowProcedure_.size(); ++row) {
        if (rowProcedure_[row] == static_cast<int>(procedure)) steps_.push_back(row);
    }
    stepsAreMatches_ = false;
    TintRows({});
    if (steps_.empty()) return;
    SelectRow(steps_.front());
    callTree_->setFocus();
    if (findBar_->isVisible()) {
        findBar_->ShowCount(QStringLiteral("1 of %1").arg(steps_.size()));
    }
}

std::optional<std::size_t> TraceViews::CurrentRow() const {
    const QModelIndex current = callTree_->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<std::size_t>(TraceTableModel::RowOf(current));
}

void TraceViews::SelectRow(std::size_t row) {
    const int r = static_cast<int>(row);
    std::vector<int> callers;
    for (int parent = model_->ParentRow(r); parent >= 0; parent = model_->ParentRow(parent)) callers.push_back(parent);
    model_->ExpandRows(callers);
    const QModelIndex index = model_->IndexOfRow(r);
    callTree_->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    callTree_->scrollTo(index);
}

void TraceViews::ExpandHotPath() {
    if (parents_.empty()) return;
    const auto current = CurrentRow();
    const std::vector<std::size_t> path = HotPath(parents_, rowTotals_, current ? static_cast<int>(*current) : -1);
    if (path.empty()) return;
    model_->ExpandRows(std::vector<int>(path.begin(), path.end()));
    SelectRow(path.back());
}

void TraceViews::ExpandAll() { model_->ExpandAll(); }

void TraceViews::CollapseAll() { model_->CollapseAll(); }

void TraceViews::ExpandChildren() {
    if (const auto current = CurrentRow()) model_->ExpandBranch(static_cast<int>(*current));
}

void TraceViews::ShowInProcedures() {
    const auto current = CurrentRow();
    if (!current || *current >= rowProcedure_.size() || rowProcedure_[*current] < 0) return;
    const auto procedure = static_cast<std::size_t>(rowProcedure_[*current]);
    tabs_->setCurrentIndex(kProceduresTab);
    QModelIndex index = procedures_->IndexOfProcedure(procedure);
    if (!index.isValid()) {
        // Narrowed away by the find bar: show every procedure again.
        findBar_->hide();
        FindClosed();
        index = procedures_->IndexOfProcedure(procedure);
    }
    procedureView_->selectionModel()->setCurrentIndex(index,
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    procedureView_->scrollTo(index);
    procedureView_->setFocus();
}

void TraceViews::CopyRows() {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : callTree_->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(TraceTableModel::RowOf(index)));
    }
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end());
    SetClipboardText(ToQString(ReportLinesOfTable(*callTree_, *model_, rows)));
}

}  // namespace kivra
