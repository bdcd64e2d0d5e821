// Orders of the rows of the window's sortable tables: by name with letter
// case ignored, as Basic ignores it, or by a number either way with equal
// numbers in the names' order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace kivra {

// Row indexes by name: letter case ignored, names equal but for case in
// byte order, equal names by index.
std::vector<std::size_t> NameOrder(const std::vector<std::string_view>& names);

// `byName` (see NameOrder) stably sorted by the rows' values.
std::vector<std::size_t> ValueOrder(const std::vector<std::size_t>& byName, const std::vector<double>& values,
                                    bool descending);

// The names of a table's entries, each with a Name, for NameOrder.
template <typename Entry>
std::vector<std::string_view> NamesOf(const std::vector<Entry>& entries) {
    std::vector<std::string_view> names;
    names.reserve(entries.size());
    for (const Entry& entry : entries) names.push_back(entry.Name);
    return names;
}

// The rows of a comparison's table sorted by a column: `own` gives the
// entries' own order, `name` the names' (`byName`, see NameOrder), any
// other column the numbers `value(entry, column)` gives.
template <typename Entry, typename Column, typename Value>
std::vector<std::size_t> ColumnOrder(const std::vector<Entry>& entries, const std::vector<std::size_t>& byName,
                                     Column column, Column name, Column own, bool descending, Value value) {
    std::vector<std::size_t> order;
    if (column == own) {
        order.resize(entries.size());
        for (std::size_t e = 0; e < order.size(); ++e) order[e] = e;
    } else if (column == name) {
        order = byName;
        if (descending) std::reverse(order.begin(), order.end());
    } else {
        std::vector<double> values(entries.size());
        for (std::size_t e = 0; e < values.size(); ++e) values[e] = value(entries[e], column);
        order = ValueOrder(byName, values, descending);
    }
    return order;
}

}  // namespace kivra
