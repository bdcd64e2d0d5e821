#include "ProceduresPage.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

#include "PageParts.h"
#include "ProceduresModel.h"
#include "ShareBarDelegate.h"

namespace kivra {

ProceduresPage::ProceduresPage(const ViewParts& parts) : TraceView(parts.context) {
    model_ = new ProceduresModel(this);
    view_ = TableView(this, "tvProcedures", "Procedures", model_, parts.callTree->font());
    view_->setItemDelegate(new ShareBarDelegate(static_cast<int>(ProcedureColumn::OwnPercent), view_));
    QHeaderView* header = view_->header();
    header->setStretchLastSection(true);  // the share bar takes what is left
    header->setSortIndicator(static_cast<int>(ProcedureColumn::Own), Qt::DescendingOrder);
    view_->setSortingEnabled(true);
    view_->setColumnWidth(static_cast<int>(ProcedureColumn::Name), 200);
    view_->setColumnWidth(static_cast<int>(ProcedureColumn::Calls), 70);
    for (const auto column : {ProcedureColumn::Own, ProcedureColumn::Total}) {
        view_->setColumnWidth(static_cast<int>(column), 90);
    }
    for (const auto column : {ProcedureColumn::MeanOwn, ProcedureColumn::MaxOwn}) {
        view_->setColumnWidth(static_cast<int>(column), 115);
    }
    LayOutAround(this, view_);

    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* calls = AddViewAction(view_, "actShowCalls", "Show calls in Call Tree", QKeySequence());
    connect(calls, &QAction::triggered, this, [this] {
        if (const auto procedure = CurrentProcedure()) context_.ShowCallsOf(*procedure);
    });
    auto* callers = AddViewAction(view_, "actShowCallers", "Callers / Callees", QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(callers, &QAction::triggered, this, [this] {
        if (const auto procedure = CurrentProcedure()) context_.ChooseProcedure(*procedure, "tabCallers");
    });
    connect(view_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) context_.ShowCallsOf(index.data(ProceduresModel::kProcedureRole).toULongLong());
    });
    connect(&context_, &ViewContext::ProcedureChosen, this,
            [this](std::size_t procedure) { ShowProcedure(procedure, false); });
    // Asked to show the chosen procedure, the page shows it even when the
    // find bar has narrowed it away.
    connect(&context_, &ViewContext::ViewRequested, this, [this](const QString& view) {
        if (view == objectName() && context_.Procedure()) ShowProcedure(*context_.Procedure(), true);
    });
}

void ProceduresPage::Clear() { model_->Clear(); }

void ProceduresPage::ShowTrace() {
    const ShownTrace& trace = context_.Trace();
    model_->SetProfile(trace.procedures, trace.timeFormat);
}

void ProceduresPage::ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>&) {
    model_->Narrow(matcher);
}

std::optional<std::size_t> ProceduresPage::CurrentProcedure() const {
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<std::size_t>(current.data(ProceduresModel::kProcedureRole).toULongLong());
}

void ProceduresPage::ShowProcedure(std::size_t procedure, bool evenNarrowed) {
    if (CurrentProcedure() == procedure) return;
    QModelIndex index = model_->IndexOfProcedure(procedure);
    if (!index.isValid() && evenNarrowed) {
        // Narrowed away by the find bar: show every procedure again.
        context_.CloseFind();
        index = model_->IndexOfProcedure(procedure);
    }
    if (!index.isValid()) return;
    view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(index);
}

void ProceduresPage::Step(bool forward) {
    const int count = model_->rowCount();
    if (count == 0) return;
    const QModelIndex current = view_->currentIndex();
    int row = current.isValid() ? current.row() + (forward ? 1 : -1) : (forward ? 0 : count - 1);
    row = (row + count) % count;
    view_->setCurrentIndex(model_->index(row, 0));
    view_->scrollTo(view_->currentIndex());
}

// Rows shown of all.
QString ProceduresPage::FindCount(bool searching) const {
    if (!searching) return {};
    const int shown = model_->rowCount();
    if (shown == 0) return QStringLiteral("No match");
    return QStringLiteral("%1 of %2").arg(shown).arg(model_->Table().ProcedureCount());
}

}  // namespace kivra
