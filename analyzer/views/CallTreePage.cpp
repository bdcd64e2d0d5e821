#include "CallTreePage.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

#include "ClipboardText.h"
#include "PageParts.h"
#include "QtText.h"
#include "TableSnapshot.h"
#include "TraceCellDelegate.h"
#include "TraceTableModel.h"
#include "TreeSearch.h"

namespace kivra {

CallTreePage::CallTreePage(const ViewParts& parts)
    : TraceView(parts.context), callTree_(parts.callTree), model_(parts.model) {
    AddActions();
    callTree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LayOutAround(this, callTree_);
    // The row chosen here is the call every view follows, however it was chosen.
    connect(callTree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        context_.ChooseCall(index.isValid() ? std::optional<std::size_t>(TraceTableModel::RowOf(index)) : std::nullopt);
    });
    connect(&context_, &ViewContext::CallChosen, this, [this](std::optional<std::size_t> row) {
        if (row && *row < model_->Rows().size() && CurrentRow() != row) SelectRow(*row);
    });
}

void CallTreePage::AddActions() {
    callTree_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [this](const char* name, const char* text, const QKeySequence& keys, void (CallTreePage::*slot)()) {
        connect(AddViewAction(callTree_, name, text, keys), &QAction::triggered, this, slot);
    };
    add("actExpandHotPath", "Expand hot path", QKeySequence(Qt::CTRL | Qt::Key_H), &CallTreePage::ExpandHotPath);
    add("actExpandAll", "Expand all", QKeySequence(Qt::CTRL | Qt::Key_E), &CallTreePage::ExpandAll);
    add("actCollapseAll", "Collapse all", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &CallTreePage::CollapseAll);
    add("actExpandChildren", "Expand children", QKeySequence(Qt::Key_Asterisk), &CallTreePage::ExpandChildren);
    auto* separator = new QAction(callTree_);
    separator->setSeparator(true);
    callTree_->addAction(separator);
    add("actShowInProcedures", "Show in Procedures", QKeySequence(Qt::CTRL | Qt::Key_P),
        &CallTreePage::ShowInProcedures);
    add("actShowCallers", "Callers / Callees", QKeySequence(Qt::CTRL | Qt::Key_K),
        &CallTreePage::ShowCallersAndCallees);
    add("actCopyRows", "Copy", QKeySequence::Copy, &CallTreePage::CopyRows);
}

void CallTreePage::Clear() {
    TintRows({});
    if (auto* delegate = qobject_cast<TraceCellDelegate*>(callTree_->itemDelegate())) delegate->SetRowsInRange({}, {});
}

void CallTreePage::ShowTrace() {
    auto* delegate = qobject_cast<TraceCellDelegate*>(callTree_->itemDelegate());
    if (delegate == nullptr) return;
    QColor shade = callTree_->palette().color(QPalette::Base);
    shade.setAlpha(160);
    delegate->SetRowsInRange(context_.Trace().rowInRange, shade);
    callTree_->viewport()->update();
}

bool CallTreePage::RowOutsideRange(int row) const {
    const auto* delegate = qobject_cast<const TraceCellDelegate*>(callTree_->itemDelegate());
    return delegate != nullptr && delegate->IsOutsideRange(row);
}

void CallTreePage::ShowMatches(const RowMatcher*, const std::vector<std::size_t>& rows) { TintRows(rows); }

void CallTreePage::TintRows(const std::vector<std::size_t>& rows) {
    auto* delegate = qobject_cast<TraceCellDelegate*>(callTree_->itemDelegate());
    if (delegate == nullptr) return;
    delegate->SetMarkedRows(rows, model_->Rows().size(), MatchTint(callTree_->palette()));
    callTree_->viewport()->update();
}

bool CallTreePage::RowTinted(int row) const {
    const auto* delegate = qobject_cast<const TraceCellDelegate*>(callTree_->itemDelegate());
    return delegate != nullptr && delegate->IsMarked(row);
}

std::optional<std::size_t> CallTreePage::CurrentRow() const {
    const QModelIndex current = callTree_->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<std::size_t>(TraceTableModel::RowOf(current));
}

void CallTreePage::SelectRow(std::size_t row) {
    const int r = static_cast<int>(row);
    std::vector<int> callers;
    for (int parent = model_->ParentRow(r); parent >= 0; parent = model_->ParentRow(parent)) callers.push_back(parent);
    model_->ExpandRows(callers);
    const QModelIndex index = model_->IndexOfRow(r);
    callTree_->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    callTree_->scrollTo(index);
}

void CallTreePage::ExpandHotPath() {
    const ShownTrace& trace = context_.Trace();
    if (trace.parents.empty()) return;
    const auto current = CurrentRow();
    const std::vector<std::size_t> path =
        HotPath(trace.parents, trace.rowTotals, current ? static_cast<int>(*current) : -1);
    if (path.empty()) return;
    model_->ExpandRows(std::vector<int>(path.begin(), path.end()));
    SelectRow(path.back());
}

void CallTreePage::ExpandAll() { model_->ExpandAll(); }

void CallTreePage::CollapseAll() { model_->CollapseAll(); }

void CallTreePage::ExpandChildren() {
    if (const auto current = CurrentRow()) model_->ExpandBranch(static_cast<int>(*current));
}

std::optional<std::size_t> CallTreePage::CurrentProcedure() const {
    const auto current = CurrentRow();
    const std::vector<int>& procedures = context_.Trace().rowProcedure;
    if (!current || *current >= procedures.size() || procedures[*current] < 0) return std::nullopt;
    return static_cast<std::size_t>(procedures[*current]);
}

void CallTreePage::ShowInProcedures() {
    if (const auto procedure = CurrentProcedure())
        context_.ChooseProcedure(*procedure, QStringLiteral("tabProcedures"));
}

void CallTreePage::ShowCallersAndCallees() {
    if (const auto procedure = CurrentProcedure()) context_.ChooseProcedure(*procedure, QStringLiteral("tabCallers"));
}

void CallTreePage::CopyRows() {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : callTree_->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(TraceTableModel::RowOf(index)));
    }
    // Over a stretch of the run: the rows in it, with their times counted inside it.
    const ShownTrace& trace = context_.Trace();
    std::vector<std::array<std::string, 2>> times;
    if (trace.range && trace.profile) {
        std::erase_if(rows, [&](std::size_t row) { return row >= trace.rowInRange.size() || !trace.rowInRange[row]; });
        times.resize(trace.rowInRange.size());
        for (std::size_t k = 0; k < trace.wholeCall.size() && k < trace.profile->Calls.size(); ++k) {
            const auto row = static_cast<std::size_t>(trace.wholeCall[k]);
            if (row >= times.size()) continue;
            const ProfileCall& call = trace.profile->Calls[k];
            times[row] = {trace.timeFormat.Format(call.Total), trace.timeFormat.Format(call.Own)};
        }
    }
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end());
    SetClipboardText(ToQString(ReportLinesOfTable(*callTree_, *model_, rows, times.empty() ? nullptr : &times)));
}

}  // namespace kivra
