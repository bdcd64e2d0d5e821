#include "TraceCellDelegate.h"

#include <QPainter>

#include "QtText.h"
#include "TimeBar.h"
#include "TraceTableModel.h"

namespace kivra {
namespace {

QRect ToQRect(const CellRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

TraceCellDelegate::TraceCellDelegate(float& barScale, Formatter format, NumberReader read, QObject* parent)
    : QStyledItemDelegate(parent), barScale_(barScale), format_(std::move(format)), read_(std::move(read)) {}

QSize TraceCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
    return size;
}

void TraceCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (showBars_ && index.column() == kColTime) {
        DrawTimeBar(painter, option, index);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

void TraceCellDelegate::DrawTimeBar(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // The cell's own text, read where the model keeps it.
    const auto& model = static_cast<const TraceTableModel&>(*index.model());
    const std::string& cell = model.Rows()[static_cast<std::size_t>(TraceTableModel::RowOf(index))].cells[kColTime];
    const float value = read_(cell).value_or(0.0f);
    const QRect& r = option.rect;
    const CellRect rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    const TimeBarLayout layout = LayoutTimeBar(rect, value, barScale_);
    const QPalette& palette = option.palette;
    const QString text = ToQString(format_(value));

    painter->save();
    painter->fillRect(ToQRect(layout.background), palette.color(QPalette::Base));
    if (layout.bar.right > layout.bar.left) painter->fillRect(ToQRect(layout.bar), palette.color(QPalette::Highlight));
    painter->setFont(option.font);
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
    painter->setClipRect(ToQRect(layout.textOverBar), Qt::IntersectClip);
    painter->setPen(palette.color(QPalette::HighlightedText));
    painter->drawText(ToQRect(layout.text), flags, text);
    painter->restore();

    painter->save();
    painter->setFont(option.font);
    painter->setClipRect(ToQRect(layout.textBesideBar), Qt::IntersectClip);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(ToQRect(layout.text), flags, text);
    painter->restore();
}

}  // namespace kivra
