#include "RecordIndex.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace kivra {
namespace {
constexpr long long kOrderOffset = -static_cast<long long>(std::numeric_limits<std::int16_t>::min());
constexpr std::size_t kOrderSlots = 65536;
}  // namespace

RecordIndex::RecordIndex(const PadTrace& trace) : byOrder_(kOrderSlots, 0) {
    const auto count = static_cast<std::int32_t>(trace.RecordCount());
    byDepth_.reserve(static_cast<std::size_t>(count));
    for (std::int32_t r = count; r >= 1; --r) {
        // Walking backwards leaves the first record in file order in each slot.
        const PadRecord& record = trace.Records[static_cast<std::size_t>(r)];
        byOrder_[static_cast<std::size_t>(record.Order + kOrderOffset)] = r;
    }
    for (std::int32_t r = 1; r <= count; ++r) {
        const PadRecord& record = trace.Records[static_cast<std::size_t>(r)];
        byDepth_.push_back({record.Depth, record.Order, r});
    }
    std::sort(byDepth_.begin(), byDepth_.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.depth, a.order, a.record) < std::tie(b.depth, b.order, b.record);
    });
    byDepth_.erase(std::unique(byDepth_.begin(), byDepth_.end(),
                               [](const Entry& a, const Entry& b) { return a.depth == b.depth && a.order == b.order; }),
                   byDepth_.end());
}

int RecordIndex::FirstWithOrder(long long order) const {
    const long long slot = order + kOrderOffset;
    if (slot < 0 || slot >= static_cast<long long>(byOrder_.size())) return 0;
    return byOrder_[static_cast<std::size_t>(slot)];
}

int RecordIndex::NearestBefore(int order, int depth, int maxBack) const {
    // The first entry at (depth, order) or beyond; the one before it is the
    // nearest smaller order at that depth, if any.
    auto it = std::lower_bound(byDepth_.begin(), byDepth_.end(), Entry{depth, order, 0},
                               [](const Entry& a, const Entry& b) {
                                   return std::tie(a.depth, a.order) < std::tie(b.depth, b.order);
                               });
    if (it == byDepth_.begin()) return 0;
    --it;
    if (it->depth != depth || it->order < order - maxBack) return 0;
    return it->record;
}

}  // namespace kivra
