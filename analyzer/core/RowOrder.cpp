#include "RowOrder.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "TextEncoding.h"

namespace kivra {

std::vector<std::size_t> NameOrder(const std::vector<std::string_view>& names) {
    std::vector<std::string> lowered(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) lowered[i] = LowerAscii(names[i]);
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (lowered[a] != lowered[b]) return lowered[a] < lowered[b];
        if (names[a] != names[b]) return names[a] < names[b];
        return a < b;
    });
    return order;
}

std::vector<std::size_t> ValueOrder(const std::vector<std::size_t>& byName, const std::vector<double>& values,
                                    bool descending) {
    std::vector<std::size_t> order = byName;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending ? values[a] > values[b] : values[a] < values[b];
    });
    return order;
}

}  // namespace kivra
