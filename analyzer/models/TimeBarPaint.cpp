#include "TimeBarPaint.h"

#include <QPainter>
#include <QStyleOptionViewItem>

#include "TimeBar.h"

namespace kivra {
namespace {

QRect ToQRect(const CellRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

void PaintTimeBarCell(QPainter* painter, const QStyleOptionViewItem& option, float value, float& scale,
                      const QString& text) {
    const QRect& r = option.rect;
    const CellRect rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    const TimeBarLayout layout = LayoutTimeBar(rect, value, scale);
    const QPalette& palette = option.palette;

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
