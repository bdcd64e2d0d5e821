// Paints the Procedures view's cells: rows as high as the trace table's,
// and the share column as a bar of its percentage, like the time bars.
#pragma once

#include <QStyledItemDelegate>

namespace kivra {

class ShareBarDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ShareBarDelegate(int shareColumn, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int shareColumn_;
};

}  // namespace kivra
