#include "ShareBarDelegate.h"

#include <QPainter>

#include "ProceduresModel.h"
#include "TimeBarPaint.h"
#include "TraceCellDelegate.h"

namespace kivra {

ShareBarDelegate::ShareBarDelegate(int shareColumn, QObject* parent)
    : QStyledItemDelegate(parent), shareColumn_(shareColumn) {}

QSize ShareBarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(TraceCellDelegate::kRowHeight);
    return size;
}

void ShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index.column() != shareColumn_) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.state & QStyle::State_Selected) {
        // The bar keeps its colours; the selection shows in the other cells.
        painter->fillRect(cell.rect, cell.palette.color(QPalette::Highlight));
        cell.rect.adjust(0, 1, 0, -1);
    }
    float scale = 100.0f;  // a full cell is the whole run
    const float share = static_cast<float>(index.data(ProceduresModel::kValueRole).toDouble());
    PaintTimeBarCell(painter, cell, share, scale, index.data(Qt::DisplayRole).toString());
}

}  // namespace kivra
