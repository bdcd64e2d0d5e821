// Orders of the rows of the window's sortable tables: by name with letter
// case ignored, as Basic ignores it, or by a number either way with equal
// numbers in the names' order.
#pragma once

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

}  // namespace kivra
