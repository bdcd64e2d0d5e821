#include "CallTreeView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "TraceTableModel.h"

namespace kivra {

CallTreeView::CallTreeView(QWidget* parent) : QTreeView(parent) {
    // The model's list is flat; the tree is drawn by the cells themselves.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
}

void CallTreeView::SetTraceModel(TraceTableModel* model) {
    model_ = model;
    setModel(model);
}

QRect CallTreeView::ButtonRect(const QRect& cell, int level, int indent) {
    return QRect(cell.left() + level * indent, cell.top(), indent, cell.height());
}

int CallTreeView::CurrentTableRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? TraceTableModel::RowOf(current) : -1;
}

void CallTreeView::MoveTo(int row) {
    const QModelIndex index = model_->IndexOfRow(row, std::max(0, currentIndex().column()));
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void CallTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        // The context menu from the keyboard, at the current row.
        const QModelIndex current = currentIndex();
        const QPoint at = current.isValid() ? visualRect(current).center() : QPoint(0, 0);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(this, &menu);
        return;
    }
    const int row = CurrentTableRow();
    if (model_ == nullptr || row < 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QTreeView::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        // Closes the branch, or goes to the caller.
        if (model_->IsExpanded(row)) {
            model_->SetExpanded(row, false);
        } else if (model_->ParentRow(row) >= 0) {
            MoveTo(model_->ParentRow(row));
        }
        return;
    case Qt::Key_Right:
        // Opens the branch, or goes to the first callee.
        if (model_->HasChildren(row)) {
            if (model_->IsExpanded(row)) {
                MoveTo(row + 1);
            } else {
                model_->SetExpanded(row, true);
            }
        }
        return;
    case Qt::Key_Plus: model_->SetExpanded(row, true); return;
    case Qt::Key_Minus: model_->SetExpanded(row, false); return;
    default: QTreeView::keyPressEvent(event);
    }
}

bool CallTreeView::OnButton(const QPoint& at, int& row) const {
    const QModelIndex index = indexAt(at);
    if (model_ == nullptr || !index.isValid() || index.column() != 0) return false;
    row = TraceTableModel::RowOf(index);
    return model_->HasChildren(row) && ButtonRect(visualRect(index), model_->RowLevel(row), indentation()).contains(at);
}

void CallTreeView::mousePressEvent(QMouseEvent* event) {
    int row = -1;
    if (event->button() == Qt::LeftButton && OnButton(event->position().toPoint(), row)) {
        model_->SetExpanded(row, !model_->IsExpanded(row));
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CallTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    int row = -1;
    if (OnButton(event->position().toPoint(), row)) {
        // The second click of a quick pair on the button toggles again.
        model_->SetExpanded(row, !model_->IsExpanded(row));
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (model_ != nullptr && index.isValid() && event->button() == Qt::LeftButton) {
        const int r = TraceTableModel::RowOf(index);
        model_->SetExpanded(r, !model_->IsExpanded(r));
    }
}

}  // namespace kivra
