// Paints a cell as a time bar: the bar against its scale in the highlight
// colour, the value's text centred over it, each part of the text in the
// colour that reads on what lies under it.
#pragma once

#include <QString>

class QPainter;
class QStyleOptionViewItem;

namespace kivra {

// `scale` is the value a full cell stands for; a scale of 0 becomes the
// default scale, which the caller keeps.
void PaintTimeBarCell(QPainter* painter, const QStyleOptionViewItem& option, float value, float& scale,
                      const QString& text);

}  // namespace kivra
