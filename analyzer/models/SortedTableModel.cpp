#include "SortedTableModel.h"

#include <vector>

#include "TableHeaders.h"

namespace kivra {

SortedTableModel::SortedTableModel(int columns, QObject* parent) : QAbstractTableModel(parent), columns_(columns) {}

int SortedTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ShownRows());
}

int SortedTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

void SortedTableModel::Reorder(const std::function<void()>& sort) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> items;
    items.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) items.push_back(ItemAt(static_cast<std::size_t>(index.row())));
    sort();
    std::vector<int> rowOf(ItemCount(), -1);
    for (std::size_t row = 0; row < ShownRows(); ++row) rowOf[ItemAt(row)] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOf[items[static_cast<std::size_t>(i)]];
        after.push_back(row >= 0 ? index(row, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SortedTableModel::SortByColumn(int column, Qt::SortOrder order, const std::function<void()>& sortRows) {
    if (column >= columns_) return;
    const bool descending = order == Qt::DescendingOrder;
    if (column < 0) column = -1;
    if (column == sortColumn_ && (column < 0 || descending == descending_)) return;
    Reorder([&] {
        sortColumn_ = column;
        descending_ = descending;
        sortRows();
    });
}

QVariant SortedTableModel::Header(const char* text, int section, int role) {
    if (role == Qt::DisplayRole) return QString::fromLatin1(text);
    // A screen reader reads a header on two lines as one phrase.
    if (role == Qt::AccessibleTextRole) return QString::fromStdString(HeaderOnOneLine(text));
    // A number column sorts largest first on its first click, the names A to Z.
    if (role == Qt::InitialSortOrderRole) return section == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
    // Headers sit over their cells: numbers and their headers on the right.
    if (role == Qt::TextAlignmentRole) return CellAlignment(section);
    return {};
}

QVariant SortedTableModel::CellAlignment(int column) {
    return QVariant::fromValue(
        Qt::Alignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter));
}

}  // namespace kivra
