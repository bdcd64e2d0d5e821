#include "TraceCellDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTreeView>

#include "CallTreeView.h"
#include "QtText.h"
#include "TimeBarPaint.h"
#include "TraceTableModel.h"

namespace kivra {

TraceCellDelegate::TraceCellDelegate(float& barScale, Formatter format, NumberReader read, QObject* parent)
    : QStyledItemDelegate(parent), barScale_(barScale), format_(std::move(format)), read_(std::move(read)) {}

namespace {

// The view's indentation of one tree level.
int IndentOf(const QStyleOptionViewItem& option) {
    const auto* view = qobject_cast<const QTreeView*>(option.widget);
    return view != nullptr ? view->indentation() : 20;
}

}  // namespace

QSize TraceCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
    if (index.column() == kColCodeTrace) {
        const auto& model = static_cast<const TraceTableModel&>(*index.model());
        size.rwidth() += (model.RowLevel(TraceTableModel::RowOf(index)) + 1) * IndentOf(option);
    }
    return size;
}

void TraceCellDelegate::SetMarkedRows(const std::vector<std::size_t>& rows, std::size_t rowCount, const QColor& tint) {
    marked_.clear();
    if (!rows.empty()) marked_.assign(rowCount, 0);
    for (const std::size_t row : rows) {
        if (row < marked_.size()) marked_[row] = 1;
    }
    markTint_ = tint;
}

void TraceCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int row = TraceTableModel::RowOf(index);
    if (showBars_ && index.column() == kColTime) {
        DrawTimeBar(painter, option, index);
    } else {
        // Under the cell: a background of the cell's own (the stop row's) and
        // the selection are painted over the tint.
        if (IsMarked(row)) painter->fillRect(option.rect, markTint_);
        if (index.column() == kColCodeTrace) {
            PaintTreeCell(painter, option, index);
        } else {
            QStyledItemDelegate::paint(painter, option, index);
        }
    }
    // Outside the chosen stretch of the run: faded, the row still there.
    if (IsOutsideRange(row)) painter->fillRect(option.rect, outsideShade_);
}

void TraceCellDelegate::PaintTreeCell(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const auto& model = static_cast<const TraceTableModel&>(*index.model());
    const int row = TraceTableModel::RowOf(index);
    const int level = model.RowLevel(row);
    const int indent = IndentOf(option);
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The cell's background and selection across its whole width, then the
    // branch's button, then the text after the indentation.
    QStyleOptionViewItem back = cell;
    back.text.clear();
    back.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &back, painter, widget);
    if (model.HasChildren(row)) {
        QStyleOption button;
        button.rect = CallTreeView::ButtonRect(option.rect, level, indent);
        button.palette = option.palette;
        button.state = QStyle::State_Item | QStyle::State_Children | (option.state & QStyle::State_Enabled);
        if (model.IsExpanded(row)) button.state |= QStyle::State_Open;
        style->drawPrimitive(QStyle::PE_IndicatorBranch, &button, painter, widget);
    }
    cell.rect.setLeft(CallTreeView::TextLeft(option.rect, level, indent));
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

void TraceCellDelegate::DrawTimeBar(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // The cell's own text, read where the model keeps it.
    const auto& model = static_cast<const TraceTableModel&>(*index.model());
    const std::string_view cell = model.Rows()[static_cast<std::size_t>(TraceTableModel::RowOf(index))].time.view();
    const float value = read_(cell).value_or(0.0f);
    PaintTimeBarCell(painter, option, value, barScale_, ToQString(format_(value)));
}

}  // namespace kivra
