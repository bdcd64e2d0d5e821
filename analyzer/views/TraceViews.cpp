#include "TraceViews.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "CallTreePage.h"
#include "CallersPage.h"
#include "ComparePage.h"
#include "FindBar.h"
#include "FlameGraphPage.h"
#include "FlameGraphView.h"
#include "ProceduresPage.h"
#include "QtText.h"
#include "TraceTableModel.h"
#include "WindowServices.h"

namespace kivra {
namespace {

// A view of the list: the caption of its tab, the object name of its page,
// and how it is made.
struct ViewEntry {
    const char* caption;
    const char* objectName;
    TraceView* (*make)(const ViewParts& parts);
};

template <typename View>
TraceView* Make(const ViewParts& parts) {
    return new View(parts);
}

// Here, and only here, the views are listed, in tab order.
const ViewEntry kViews[] = {
    {"Call Tree", "tabCallTree", &Make<CallTreePage>},       {"Procedures", "tabProcedures", &Make<ProceduresPage>},
    {"Flame Graph", "tabFlameGraph", &Make<FlameGraphPage>}, {"Callers / Callees", "tabCallers", &Make<CallersPage>},
    {"Compare", "tabCompare", &Make<ComparePage>},
};

FlameLayoutPtr Shared(FlameLayout layout) { return std::make_shared<const FlameLayout>(std::move(layout)); }

}  // namespace

QString TraceChooserStart(const ConfigClass& config) {
    QString initial = ToQString(config.Value("Application", "LastFile"));
    if (initial.isEmpty()) initial = QDir::tempPath() + QStringLiteral("/Kivra");
    return initial;
}

TraceViews::TraceViews(WindowServices& services, QTreeView* callTree, TraceTableModel* model, QWidget* parent)
    : QWidget(parent), services_(services), model_(model) {
    setObjectName(QStringLiteral("tableArea"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    context_.MutableTrace().model = model;

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabViews"));
    tabs_->setAccessibleName(QStringLiteral("Views"));
    tabs_->setDocumentMode(true);
    const ViewParts parts{context_, services, callTree, model};
    for (const ViewEntry& entry : kViews) {
        TraceView* view = entry.make(parts);
        view->setObjectName(QString::fromLatin1(entry.objectName));
        view->setAccessibleName(QString::fromLatin1(entry.caption));
        tabs_->addTab(view, QString::fromLatin1(entry.caption));
        views_.push_back(view);
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

    // The line above the views while a stretch of the run is chosen.
    rangeBar_ = new QWidget(this);
    rangeBar_->setObjectName(QStringLiteral("rangeBar"));
    auto* rangeLayout = new QHBoxLayout(rangeBar_);
    rangeLayout->setContentsMargins(4, 2, 4, 2);
    lblRange_ = new QLabel(rangeBar_);
    lblRange_->setObjectName(QStringLiteral("lblRange"));
    lblRange_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* cmdClearRange = new QToolButton(rangeBar_);
    cmdClearRange->setObjectName(QStringLiteral("cmdClearRange"));
    cmdClearRange->setText(QStringLiteral("Clear range"));
    cmdClearRange->setAccessibleName(QStringLiteral("Clear range"));
    cmdClearRange->setToolTip(QStringLiteral("Count the whole run again (Esc in the flame graph's time strip)"));
    rangeLayout->addWidget(lblRange_, 1);
    rangeLayout->addWidget(cmdClearRange);
    rangeBar_->hide();
    connect(cmdClearRange, &QToolButton::clicked, this, [this] { SetRange(std::nullopt); });
    connect(&context_, &ViewContext::RangeRequested, this, &TraceViews::SetRange);

    findBar_ = new FindBar(this);
    findBar_->hide();
    layout->addWidget(rangeBar_);
    layout->addWidget(overheadBar_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(findBar_);

    connect(cmdFind_, &QToolButton::clicked, this, &TraceViews::OpenFind);
    connect(findBar_, &FindBar::QueryChanged, this, &TraceViews::QueryChanged);
    connect(findBar_, &FindBar::NextRequested, this, [this] { Step(true); });
    connect(findBar_, &FindBar::PreviousRequested, this, [this] { Step(false); });
    connect(findBar_, &FindBar::Closed, this, &TraceViews::FindClosed);
    // The matches are the same on every page; only the count reads otherwise.
    connect(tabs_, &QTabWidget::currentChanged, this, &TraceViews::ShowFindCount);
    connect(&context_, &ViewContext::ViewRequested, this, &TraceViews::ShowView);
    connect(&context_, &ViewContext::CallsRequested, this, &TraceViews::ShowCallsOf);
    connect(&context_, &ViewContext::ProgressShown, this, &TraceViews::ShowProgress);
    connect(&context_, &ViewContext::FindCloseRequested, this, [this] {
        findBar_->hide();
        FindClosed();
    });

    auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* key = new QShortcut(keys, this, slot);
        key->setContext(Qt::WindowShortcut);
    };
    shortcut(QKeySequence::Find, [this] { OpenFind(); });
    shortcut(QKeySequence(Qt::Key_F3), [this] { Step(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Step(false); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { GoBack(); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { GoForward(); });
}

TraceViews::~TraceViews() = default;

QTreeView& TraceViews::ProceduresView() const { return Page<ProceduresPage>().View(); }
ProceduresModel& TraceViews::Procedures() const { return Page<ProceduresPage>().Model(); }
FlameGraphView& TraceViews::FlameGraph() const { return Page<FlameGraphPage>().Graph(); }
QTreeView& TraceViews::CompareView() const { return Page<ComparePage>().View(); }
CompareModel& TraceViews::Comparison() const { return Page<ComparePage>().Model(); }
bool TraceViews::RowTinted(int row) const { return Page<CallTreePage>().RowTinted(row); }
void TraceViews::CompareWith() { Page<ComparePage>().CompareWith(); }
bool TraceViews::LoadBaseline(const QString& path) { return Page<ComparePage>().LoadBaseline(path); }
void TraceViews::SwapRuns() { Page<ComparePage>().SwapRuns(); }
QString TraceViews::BaselinePath() const { return Page<ComparePage>().BaselinePath(); }
void TraceViews::ExpandHotPath() { Page<CallTreePage>().ExpandHotPath(); }
void TraceViews::ExpandAll() { Page<CallTreePage>().ExpandAll(); }

TraceView* TraceViews::CurrentView() const { return qobject_cast<TraceView*>(tabs_->currentWidget()); }

bool TraceViews::CallTreeShown() const { return CurrentView() == &Page<CallTreePage>(); }

void TraceViews::ShowView(const QString& objectName) {
    for (TraceView* view : views_) {
        if (view->objectName() != objectName) continue;
        tabs_->setCurrentWidget(view);
        view->setFocus();  // the page's view
    }
}

void TraceViews::Clear() {
    ShownTrace& trace = context_.MutableTrace();
    trace = ShownTrace{};
    trace.model = model_;
    context_.Reset();
    recorded_ = {};
    correctedNumbers_ = {};
    corrected_.reset();
    correcting_ = false;
    overheadBar_->hide();
    steps_.clear();
    matchCount_ = 0;
    stepsAreMatches_ = false;
    for (TraceView* view : views_) view->Clear();
    if (findBar_->isVisible()) findBar_->ShowCount({});
}

void TraceViews::ShowTrace(TraceViewData data, const NumberFormat& timeFormat, const std::string& paramChar) {
    ShownTrace& trace = context_.MutableTrace();
    // A range belongs to its run: a reload of the same file keeps it, another file starts whole.
    if (data.path != shownPath_) range_.reset();
    shownPath_ = data.path;
    trace.loaded = true;
    trace.path = data.path;
    trace.timeFormat = timeFormat;
    trace.paramChar = paramChar;
    trace.names = std::move(data.names);
    trace.rowProcedure = std::move(data.rowProcedure);
    const auto& rows = model_->Rows();
    trace.parents.resize(rows.size());
    trace.searchRows.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        trace.parents[i] = rows[i].parent;
        trace.searchRows[i] = {rows[i].label, rows[i].dataIn, rows[i].dataLog, rows[i].dataOut};
    }
    // A load that stopped early has a row the profile lacks; it counts as no call.
    trace.rowProcedure.resize(rows.size(), -1);
    data.rowTotals.resize(rows.size(), 0.0f);
    recorded_ = Numbers{std::move(data.procedures),        std::move(data.profile),        std::move(data.timeline),
                        Shared(std::move(data.timeOrder)), Shared(std::move(data.merged)), std::move(data.rowTotals)};
    corrected_ = std::move(data.corrected);
    correcting_ = false;
    if (corrected_) {
        corrected_->rowTotals.resize(rows.size(), 0.0f);
        correctedNumbers_ = Numbers{std::move(corrected_->procedures),     std::move(corrected_->profile),
                                    std::move(corrected_->timeline),       Shared(std::move(corrected_->timeOrder)),
                                    Shared(std::move(corrected_->merged)), std::move(corrected_->rowTotals)};
        model_->SetCorrectedTimes(std::move(corrected_->totals), std::move(corrected_->times));
        lblOverhead_->setText(OverheadText());
    } else {
        correctedNumbers_ = {};
    }
    overheadBar_->setVisible(corrected_.has_value());
    Page<ComparePage>().TakeBaseline(std::move(data.baseline), std::move(data.baselineCorrected), data.baselineError);
    correcting_ = corrected_.has_value() && chkCorrectOverhead_->isChecked();
    if (correcting_) {
        model_->ShowCorrected(true);
        lblOverhead_->setText(OverheadText());
    }
    ShowNumbers();
}

void TraceViews::ShowNumbers() {
    const Numbers& numbers = correcting_ ? correctedNumbers_ : recorded_;
    ShownTrace& trace = context_.MutableTrace();
    trace.corrected = correcting_;
    trace.procedures = numbers.procedures;
    trace.wholeProcedures = numbers.procedures;
    trace.recordedProcedures = recorded_.procedures;
    trace.profile = numbers.profile;
    trace.timeline = numbers.timeline;
    trace.timeOrder = numbers.timeOrder;
    trace.merged = numbers.merged;
    trace.rowTotals = numbers.rowTotals;
    trace.timeOrderOrigin = 0;
    if (numbers.timeOrder && numbers.timeline && !numbers.timeline->Spans.empty() &&
        !numbers.timeOrder->BoxOfCall.empty() && numbers.timeOrder->BoxOfCall[0] >= 0) {
        const FlameBox& first = numbers.timeOrder->Boxes[static_cast<std::size_t>(numbers.timeOrder->BoxOfCall[0])];
        trace.timeOrderOrigin = numbers.timeline->Spans[0].Begin - first.Begin;
    }
    trace.range = range_;
    trace.wholeCall.clear();
    trace.rowInRange.clear();
    trace.rangeCalls = 0;
    if (range_ && numbers.profile && numbers.timeline) {
        RangedRun run = RestrictToRange(*numbers.profile, *numbers.timeline, *range_);
        const std::size_t rows = trace.searchRows.size();
        trace.rowInRange.assign(rows, 0);
        for (const int call : run.WholeCall) {
            if (static_cast<std::size_t>(call) < rows) trace.rowInRange[static_cast<std::size_t>(call)] = 1;
        }
        trace.rangeCalls = static_cast<int>(run.WholeCall.size());
        // The hot path follows the time inside the range.
        trace.rowTotals.assign(rows, 0.0f);
        for (std::size_t k = 0; k < run.WholeCall.size(); ++k) {
            const auto row = static_cast<std::size_t>(run.WholeCall[k]);
            if (row < rows) trace.rowTotals[row] = run.Profile.Calls[k].Total;
        }
        trace.procedures = ComputeFlatProfile(run.Profile);
        trace.merged = nullptr;  // the flame graph lays it out when it shows it
        trace.wholeCall = std::move(run.WholeCall);
        trace.profile = std::make_shared<const CallProfile>(std::move(run.Profile));
        trace.timeline = std::make_shared<const Timeline>(std::move(run.Spans));
    }
    rangeBar_->setVisible(range_.has_value());
    lblRange_->setText(RangeText());
    for (TraceView* view : views_) view->ShowTrace();
    if (findBar_->isVisible()) QueryChanged();
}

void TraceViews::SetRange(std::optional<TimeRange> range) {
    if (!range && !range_) return;
    if (range && !context_.Trace().loaded) return;  // nothing to count over
    range_ = range;
    if (context_.Trace().loaded) ShowNumbers();
    rangeBar_->setVisible(range_.has_value());
    lblRange_->setText(RangeText());
}

QString TraceViews::RangeText() const {
    if (!range_) return {};
    const ShownTrace& trace = context_.Trace();
    const int calls = trace.rangeCalls;
    // With the overhead taken out, the calls lie earlier: the range is on their corrected times.
    const QString clock = trace.corrected ? QStringLiteral(", on the corrected times") : QString();
    return QStringLiteral("Range: %1 (%2 ms, %3%4). Compare compares the two runs whole.")
        .arg(ToQString(TimeRangeText(*range_)), ToQString(GroupedMilliseconds(range_->End - range_->Start)),
             calls == 1 ? QStringLiteral("1 call") : ToQString(GroupedCount(calls) + " calls"), clock);
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
    lblOverhead_->setText(OverheadText());
    ShowNumbers();
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
    settings.CompareFile = ToStdString(BaselinePath());
    settings.CorrectOverhead = chkCorrectOverhead_->isChecked();
    return settings;
}

void TraceViews::ApplySettings(const ViewSettings& settings) {
    for (int tab = 0; tab < static_cast<int>(std::size(kViews)); ++tab) {
        if (settings.Tab == kViews[tab].caption) tabs_->setCurrentIndex(tab);
    }
    findBar_->SetToggles(settings.FindCase, settings.FindRegex, settings.FindData);
    // The baseline is read with the next load, as the load reads.
    Page<ComparePage>().SetBaselinePath(ToQString(settings.CompareFile));
    const QSignalBlocker quiet(chkCorrectOverhead_);
    chkCorrectOverhead_->setChecked(settings.CorrectOverhead);
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
        for (TraceView* view : views_) view->ShowMatches(nullptr, {});
        if (stepsAreMatches_) steps_.clear();
        matchCount_ = 0;
        return;
    }
    steps_ = matcher ? matcher->AllMatches(context_.Trace().searchRows) : std::vector<std::size_t>();
    // Over a range, only the rows in it count and are stepped through.
    const std::vector<char>& inRange = context_.Trace().rowInRange;
    if (!inRange.empty()) {
        std::erase_if(steps_, [&](std::size_t row) { return row >= inRange.size() || inRange[row] == 0; });
    }
    stepsAreMatches_ = true;
    matchCount_ = steps_.size();
    for (TraceView* view : views_) view->ShowMatches(matcher ? &*matcher : nullptr, steps_);
    TraceView* current = CurrentView();
    if (matcher && current != nullptr && current->Steps() == FindSteps::TreeRows && !steps_.empty()) {
        // As the text grows, the match at the current row or the next one.
        const auto row = Page<CallTreePage>().CurrentRow();
        const auto at = std::lower_bound(steps_.begin(), steps_.end(), row ? *row : 0);
        Page<CallTreePage>().SelectRow(at != steps_.end() ? *at : steps_.front());
    }
    ShowFindCount();
}

// The find bar's count as the page shown reads it: its own count on a page
// with rows of its own, the place among the steps on the tree and the graph.
void TraceViews::ShowFindCount() {
    if (!findBar_->isVisible()) return;
    if (!queryValid_) {
        findBar_->ShowCount(QStringLiteral("Invalid expression"), true);
        return;
    }
    const bool searching = !findBar_->Query().text.empty();
    const TraceView* current = CurrentView();
    const FindSteps steps = current != nullptr ? current->Steps() : FindSteps::None;
    if (steps == FindSteps::OwnRows) {
        findBar_->ShowCount(current->FindCount(searching), false);
        return;
    }
    const bool followsTree = steps == FindSteps::TreeRows;
    if (!stepsAreMatches_ && followsTree) {
        if (steps_.empty()) findBar_->ShowCount(QString());
        ShowStepCount();
        return;
    }
    if (!searching || !followsTree) {
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
    for (TraceView* view : views_) view->ShowMatches(nullptr, {});
    if (stepsAreMatches_) steps_.clear();
    matchCount_ = 0;
    if (tabs_->currentWidget() != nullptr) tabs_->currentWidget()->setFocus();  // the page's view
}

void TraceViews::Step(bool forward) {
    TraceView* current = CurrentView();
    if (current == nullptr) return;
    if (current->Steps() == FindSteps::OwnRows) {
        current->Step(forward);
        return;
    }
    if (current->Steps() != FindSteps::TreeRows) return;
    if (!queryValid_ && stepsAreMatches_) return;
    if (steps_.empty()) {
        if (findBar_->isVisible() && !findBar_->Query().text.empty()) findBar_->ShowCount(QStringLiteral("No match"));
        return;
    }
    const auto row = Page<CallTreePage>().CurrentRow();
    const std::size_t from = row ? *row : (forward ? std::numeric_limits<std::size_t>::max() : 0);
    if (const auto next = NextMatch(steps_, from, forward)) Page<CallTreePage>().SelectRow(*next);
    ShowStepCount();
}

void TraceViews::ShowStepCount() {
    if (!findBar_->isVisible() || steps_.empty()) return;
    const auto current = Page<CallTreePage>().CurrentRow();
    const auto at = current ? std::lower_bound(steps_.begin(), steps_.end(), *current) : steps_.end();
    const bool onMatch = at != steps_.end() && *at == *current;
    const QString total = QString::number(steps_.size());
    findBar_->ShowCount(onMatch ? QStringLiteral("%1 of %2").arg(at - steps_.begin() + 1).arg(total)
                                : QStringLiteral("%1 matches").arg(total));
}

void TraceViews::ShowCallsOf(std::size_t procedure) {
    CallTreePage& tree = Page<CallTreePage>();
    tabs_->setCurrentWidget(&tree);
    // The chosen procedure's calls are what F3 steps through now, not the
    // find bar's matches.
    steps_.clear();
    const std::vector<int>& procedures = context_.Trace().rowProcedure;
    const std::vector<char>& inRange = context_.Trace().rowInRange;
    for (std::size_t row = 0; row < procedures.size(); ++row) {
        const bool counts = inRange.empty() || (row < inRange.size() && inRange[row] != 0);
        if (procedures[row] == static_cast<int>(procedure) && counts) steps_.push_back(row);
    }
    stepsAreMatches_ = false;
    tree.TintRows({});
    if (steps_.empty()) return;
    tree.SelectRow(steps_.front());
    tree.Tree().setFocus();
    if (findBar_->isVisible()) findBar_->ShowCount(QStringLiteral("1 of %1").arg(steps_.size()));
}

void TraceViews::GoBack() { context_.Back(); }

void TraceViews::GoForward() { context_.Forward(); }

}  // namespace kivra
