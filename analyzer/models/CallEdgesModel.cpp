#include "CallEdgesModel.h"

#include <QFont>
#include <algorithm>
#include <numeric>

#include "QtText.h"
#include "RowOrder.h"

namespace kivra {

CallEdgesModel::CallEdgesModel(const char* nameHeader, QObject* parent)
    : SortedTableModel(ColumnCount, parent), nameHeader_(nameHeader) {}

void CallEdgesModel::SetEdges(std::vector<CallEdge> edges, const std::vector<std::string>& names,
                              const NumberFormat& timeFormat) {
    beginResetModel();
    edges_ = std::move(edges);
    texts_.clear();
    texts_.reserve(edges_.size());
    for (const CallEdge& edge : edges_) {
        texts_.emplace_back(edge.Name >= 0 && static_cast<std::size_t>(edge.Name) < names.size()
                                ? std::string_view(names[static_cast<std::size_t>(edge.Name)])
                                : kTopLevelText);
    }
    timeFormat_ = timeFormat;
    Sort();
    endResetModel();
}

void CallEdgesModel::Clear() { SetEdges({}, {}, timeFormat_); }

void CallEdgesModel::Sort() {
    if (SortColumn() < 0) {
        order_.resize(edges_.size());
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        return;
    }
    std::vector<std::string_view> names(texts_.begin(), texts_.end());
    order_ = NameOrder(names);
    if (SortColumn() == Name) {
        if (SortDescending()) std::reverse(order_.begin(), order_.end());
        return;
    }
    std::vector<double> values(edges_.size());
    for (std::size_t e = 0; e < edges_.size(); ++e) {
        values[e] = SortColumn() == Calls ? edges_[e].Calls : edges_[e].Total;
    }
    order_ = ValueOrder(order_, values, SortDescending());
}

QVariant CallEdgesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    const std::size_t item = order_[static_cast<std::size_t>(index.row())];
    const CallEdge& edge = edges_[item];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (index.column() == Name) return ToQString(texts_[item]);
        if (index.column() == Calls) return QString::number(edge.Calls);
        return ToQString(timeFormat_.Format(static_cast<float>(edge.Total)));
    case Qt::TextAlignmentRole: return CellAlignment(index.column());
    case Qt::FontRole:
        if (edge.Name < 0 && index.column() == Name) {
            QFont font;
            font.setItalic(true);  // no procedure: the calls from outside any
            return font;
        }
        return {};
    case kValueRole: return index.column() == Calls ? double(edge.Calls) : edge.Total;
    case kNameRole: return edge.Name;
    default: return {};
    }
}

QVariant CallEdgesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    static constexpr const char* kHeaders[] = {nullptr, "Calls", "Total (ms)"};
    return Header(section == Name ? nameHeader_ : kHeaders[section], section, role);
}

void CallEdgesModel::sort(int column, Qt::SortOrder order) {
    SortByColumn(column, order, [this] { Sort(); });
}

}  // namespace kivra
