#include "TraceCellDelegate.h"

#include <QPainter>

#include "QtText.h"
#include "TimeBarPaint.h"
#include "TraceTableModel.h"

namespace kivra {

TraceCellDelegate::TraceCellDelegate(float& barScale, Formatter format, NumberReader read, QObject* parent)
    : QStyledItemDelegate(parent), barScale_(barScale), format_(std::move(format)), read_(std::move(read)) {}

QSize TraceCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
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
    if (showBars_ && index.column() == kColTime) {
        DrawTimeBar(painter, option, index);
        return;
    }
    // Under the cell: a background of the cell's own (the stop row's) and
    // the selection are painted over the tint.
    if (IsMarked(TraceTableModel::RowOf(index))) painter->fillRect(option.rect, markTint_);
    QStyledItemDelegate::paint(painter, option, index);
}

void TraceCellDelegate::DrawTimeBar(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // The cell's own text, read where the model keeps it.
    const auto& model = static_cast<const TraceTableModel&>(*index.model());
    const std::string& cell = model.Rows()[static_cast<std::size_t>(TraceTableModel::RowOf(index))].cells[kColTime];
    const float value = read_(cell).value_or(0.0f);
    PaintTimeBarCell(painter, option, value, barScale_, ToQString(format_(value)));
}

}  // namespace kivra
