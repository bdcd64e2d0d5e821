// What the window's sortable tables (Procedures, Compare) have in common: a
// flat table of rows, each showing one item of the table's core; headers
// whose first click sorts names A to Z and numbers largest first; and sorts
// that keep the selection and the current row on their items.
#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <functional>

namespace kivra {

class SortedTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

protected:
    SortedTableModel(int columns, QObject* parent);

    // Rows shown, the item a row shows, and the items there are.
    virtual std::size_t ShownRows() const = 0;
    virtual std::size_t ItemAt(std::size_t row) const = 0;
    virtual std::size_t ItemCount() const = 0;

    // Reorders the rows through `sort`, persistent indexes following their items.
    void Reorder(const std::function<void()>& sort);

    // Sorts by a column and keeps it for the rows to come; a column below 0
    // is the rows' own order. `sortRows` orders the core's rows by
    // SortColumn() and SortDescending(); an order already in force does
    // nothing.
    void SortByColumn(int column, Qt::SortOrder order, const std::function<void()>& sortRows);
    int SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return descending_; }

    // A header's text and first sort order; the name column is column 0.
    static QVariant Header(const char* text, int section, int role);
    // Names to the left, numbers to the right.
    static QVariant CellAlignment(int column);

private:
    int columns_;
    int sortColumn_ = -1;
    bool descending_ = true;
};

}  // namespace kivra
