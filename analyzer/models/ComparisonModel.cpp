#include "ComparisonModel.h"

#include <QColor>
#include <QFont>

#include "QtText.h"

namespace kivra {

ComparisonModel::ComparisonModel(int columns, const char* const* headers, QObject* parent)
    : SortedTableModel(columns, parent), columns_(columns), headers_(headers) {}

void ComparisonModel::TakeFormatAndSort(const NumberFormat& timeFormat) {
    timeFormat_ = timeFormat;
    percentFormat_ = PercentFormat(timeFormat);
    if (SortColumn() >= 0) SortRows(SortColumn(), SortDescending());
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columns_) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(CellText(row, column));
    case Qt::TextAlignmentRole: return Alignment(column);
    case Qt::BackgroundRole:
        switch (RowChange(row)) {
        case Change::Slower: return QColor(255, 0, 0, 48);
        case Change::Faster: return QColor(0, 160, 0, 48);
        case Change::None: return {};
        }
        return {};
    case Qt::FontRole:
        if (column == 0 && OnOneSideOnly(row)) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: return ToolTip(column);
    case kValueRole: return CellValue(row, column);
    default: return {};
    }
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_) return {};
    return Header(headers_[section], section, role);
}

void ComparisonModel::sort(int column, Qt::SortOrder order) {
    SortByColumn(column, order, [this] { SortRows(SortColumn(), SortDescending()); });
}

}  // namespace kivra
