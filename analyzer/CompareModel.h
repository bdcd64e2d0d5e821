// The Compare view's model: the diff of the baseline run and the loaded
// one, a row per procedure, sortable by any column; slower rows tinted red,
// faster ones green.
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "DiffRows.h"
#include "NumberFormat.h"

namespace kivra {

class CompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;  // the number behind a cell (double)

    explicit CompareModel(QObject* parent = nullptr);

    // Replaces every row; a sort by a column stays in force.
    void SetDiff(TraceDiff diff, const NumberFormat& timeFormat);
    void Clear();
    const DiffRows& Table() const { return table_; }
    QString SummaryText() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column below 0 gives the diff's own order: the largest change first.
    void sort(int column, Qt::SortOrder order) override;

private:
    DiffRows table_;
    int sortColumn_ = -1;
    bool descending_ = true;
    NumberFormat timeFormat_{"0.000"};
    NumberFormat percentFormat_{"0.0"};
};

}  // namespace kivra
