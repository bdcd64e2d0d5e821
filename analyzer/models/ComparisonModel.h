// What the Compare view's tables have in common, for one run a side and for
// several: a row per procedure of a comparison, sorted by any column (first
// in the comparison's own order), the cells' texts and numbers from the
// comparison's core, changes tinted (slower red, faster green; the colours
// faint, so that the text reads in a light and a dark palette alike), and
// a procedure found on one side only named in italics.
#pragma once

#include <cstddef>
#include <string>

#include "NumberFormat.h"
#include "SortedTableModel.h"

namespace kivra {

class ComparisonModel : public SortedTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;  // the number behind a cell (double)

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column below 0 gives the comparison's own order.
    void sort(int column, Qt::SortOrder order) override;

protected:
    enum class Change { None, Slower, Faster };

    ComparisonModel(int columns, const char* const* headers, QObject* parent);

    // Sorts the core's rows: column -1 is the comparison's own order.
    virtual void SortRows(int column, bool descending) = 0;
    virtual std::string CellText(std::size_t row, int column) const = 0;
    virtual double CellValue(std::size_t row, int column) const = 0;
    virtual Change RowChange(std::size_t row) const = 0;
    virtual bool OnOneSideOnly(std::size_t row) const = 0;
    virtual QVariant Alignment(int column) const { return CellAlignment(column); }
    virtual QVariant ToolTip(int /*column*/) const { return {}; }

    // Inside a model reset: the formats of the new rows, and the sort in force applied to them.
    void TakeFormatAndSort(const NumberFormat& timeFormat);

    NumberFormat timeFormat_{"0.000"};
    NumberFormat percentFormat_{"0.0"};

private:
    int columns_;
    const char* const* headers_;
};

}  // namespace kivra
