#include "TraceViews.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QProgressBar>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "ClipboardText.h"
#include "FindBar.h"
#include "ProceduresModel.h"
#include "QtText.h"
#include "ShareBarDelegate.h"
#include "TableSnapshot.h"
#include "TraceReport.h"
#include "TraceTableModel.h"

namespace kivra {
namespace {

QWidget* PageAround(QWidget* view, const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return page;
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
};
constexpr int kCallTreeTab = 0;
constexpr int kProceduresTab = 1;

TraceViews::TraceViews(QTreeView* callTree, TraceTableModel* model, QWidget* parent)
    : QWidget(parent), callTree_(callTree), model_(model) {
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
    prgLoad_->setRange(0, 0);  // a load gives no fraction: the bar just moves
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

    findBar_ = new FindBar(this);
    findBar_->hide();
    layout->addWidget(tabs_, 1);
    layout->addWidget(findBar_);

    connect(cmdFind_, &QToolButton::clicked, this, &TraceViews::OpenFind);
    connect(findBar_, &FindBar::QueryChanged, this, &TraceViews::QueryChanged);
    connect(findBar_, &FindBar::NextRequested, this, [this] { Step(true); });
    connect(findBar_, &FindBar::PreviousRequested, this, [this] { Step(false); });
    connect(findBar_, &FindBar::Closed, this, &TraceViews::FindClosed);
    connect(tabs_, &QTabWidget::currentChanged, this, &TraceViews::TabChanged);

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
    procedureView_ = new QTreeView;
    procedureView_->setObjectName(QStringLiteral("tvProcedures"));
    procedureView_->setAccessibleName(QStringLiteral("Procedures"));
    procedureView_->setRootIsDecorated(false);
    procedureView_->setUniformRowHeights(true);
    procedureView_->setAllColumnsShowFocus(true);
    procedureView_->setModel(procedures_);
    procedureView_->setItemDelegate(
        new ShareBarDelegate(static_cast<int>(ProcedureColumn::OwnPercent), procedureView_));
    procedureView_->setFont(callTree_->font());
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
    AddTreeAction("actExpandHotPath", "Expand hot path", QKeySequence(Qt::CTRL | Qt::Key_H), &TraceViews::ExpandHotPath);
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
    rowProcedure_.clear();
    rowTotals_.clear();
    parents_.clear();
    searchRows_.clear();
    steps_.clear();
    stepsAreMatches_ = false;
    procedures_->Clear();
    if (findBar_->isVisible()) findBar_->ShowCount({});
}

void TraceViews::ShowTrace(FlatProfile procedures, std::vector<int> rowProcedure, std::vector<float> rowTotals,
                           const NumberFormat& timeFormat) {
    rowProcedure_ = std::move(rowProcedure);
    rowTotals_ = std::move(rowTotals);
    const auto& rows = model_->Rows();
    parents_.resize(rows.size());
    searchRows_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        parents_[i] = rows[i].parent;
        searchRows_[i] = {rows[i].cells[kColCodeTrace], rows[i].cells[kColDataIn], rows[i].cells[kColDataLog],
                          rows[i].cells[kColDataOut]};
    }
    // A load that stopped early has a row the profile lacks; it counts as no call.
    rowProcedure_.resize(rows.size(), -1);
    rowTotals_.resize(rows.size(), 0.0f);
    procedures_->SetProfile(std::move(procedures), timeFormat);
    if (findBar_->isVisible()) QueryChanged();
}

void TraceViews::ShowProgress(bool on) { prgLoad_->setVisible(on); }

ViewSettings TraceViews::Settings() const {
    ViewSettings settings;
    settings.Tab = kViews[std::max(0, tabs_->currentIndex())].caption;
    const FindQuery query = findBar_->Query();
    settings.FindCase = query.matchCase;
    settings.FindRegex = query.regularExpression;
    settings.FindData = query.dataFields;
    return settings;
}

void TraceViews::ApplySettings(const ViewSettings& settings) {
    for (int tab = 0; tab < static_cast<int>(std::size(kViews)); ++tab) {
        if (settings.Tab == kViews[tab].caption) tabs_->setCurrentIndex(tab);
    }
    findBar_->SetToggles(settings.FindCase, settings.FindRegex, settings.FindData);
}

bool TraceViews::CallTreeShown() const { return tabs_->currentIndex() == kCallTreeTab; }

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
        model_->SetMarkedRows({}, {});
        if (stepsAreMatches_) steps_.clear();
        return;
    }
    procedures_->Narrow(matcher ? &*matcher : nullptr);
    if (!CallTreeShown()) {
        const int shown = procedures_->rowCount();
        findBar_->ShowCount(!matcher ? QString()
                            : shown == 0 ? QStringLiteral("No match")
                            : QStringLiteral("%1 of %2").arg(shown).arg(procedures_->Table().ProcedureCount()),
                            false);
        return;
    }
    steps_ = matcher ? matcher->AllMatches(searchRows_) : std::vector<std::size_t>();
    stepsAreMatches_ = true;
    model_->SetMarkedRows(steps_, MatchTint(callTree_->palette()));
    if (!matcher) {
        findBar_->ShowCount({});
        return;
    }
    if (steps_.empty()) {
        findBar_->ShowCount(QStringLiteral("No match"), false);
        return;
    }
    // As the text grows, the match at the current row or the next one.
    const auto current = CurrentRow();
    const std::size_t from = current ? *current : 0;
    const auto at = std::lower_bound(steps_.begin(), steps_.end(), from);
    SelectRow(at != steps_.end() ? *at : steps_.front());
    ShowStepCount();
}

void TraceViews::FindClosed() {
    procedures_->Narrow(nullptr);
    model_->SetMarkedRows({}, {});
    if (stepsAreMatches_) steps_.clear();
    (CallTreeShown() ? static_cast<QWidget*>(callTree_) : procedureView_)->setFocus();
}

void TraceViews::TabChanged() {
    if (findBar_->isVisible()) QueryChanged();
}

void TraceViews::Step(bool forward) {
    if (!CallTreeShown()) {
        StepProcedures(forward);
        return;
    }
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
    model_->SetMarkedRows({}, {});
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
    for (int parent = model_->Rows()[row].parent; parent >= 0;
         parent = model_->Rows()[static_cast<std::size_t>(parent)].parent) {
        callTree_->expand(model_->IndexOfRow(parent));
    }
    const QModelIndex index = model_->IndexOfRow(r);
    callTree_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    callTree_->scrollTo(index);
}

void TraceViews::ExpandHotPath() {
    if (parents_.empty()) return;
    const auto current = CurrentRow();
    const std::vector<std::size_t> path = HotPath(parents_, rowTotals_, current ? static_cast<int>(*current) : -1);
    if (path.empty()) return;
    for (const std::size_t row : path) callTree_->expand(model_->IndexOfRow(static_cast<int>(row)));
    SelectRow(path.back());
}

void TraceViews::ExpandAll() { callTree_->expandAll(); }

void TraceViews::CollapseAll() { callTree_->collapseAll(); }

void TraceViews::ExpandChildren() {
    const QModelIndex current = callTree_->currentIndex();
    if (current.isValid()) callTree_->expandRecursively(current.siblingAtColumn(0));
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
    SetClipboardText(ToQString(ReportLines(SnapshotOf(*callTree_, *model_), rows)));
}

}  // namespace kivra
