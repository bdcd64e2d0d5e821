#include "RecordIndex.h"

#include <algorithm>
#include <limits>

#include "MemoryPages.h"

namespace kivra {
namespace {
// Shifts Order and Depth, and one below their range, to 0 and up.
constexpr long long kOffset = -static_cast<long long>(std::numeric_limits<std::int16_t>::min()) + 1;
constexpr unsigned kOrderShift = 16;  // record number in bits 0 to 15
constexpr unsigned kDepthShift = 33;  // order in bits 16 to 32
constexpr std::uint64_t kRecordMask = 0xFFFF;
}  // namespace

std::uint64_t RecordIndex::Pack(long long depth, long long order, long long record) {
    return (static_cast<std::uint64_t>(depth + kOffset) << kDepthShift) |
           (static_cast<std::uint64_t>(order + kOffset) << kOrderShift) | static_cast<std::uint64_t>(record);
}

RecordIndex::RecordIndex(const PadTrace& trace) {
    const auto count = static_cast<long long>(trace.RecordCount());
    // One slot per Order from the lowest to the highest in the trace.
    long long highest = 0;
    lowestOrder_ = count > 0 ? std::numeric_limits<long long>::max() : 0;
    int lowestDepth = std::numeric_limits<int>::max();
    int highestDepth = std::numeric_limits<int>::min();
    for (long long r = 1; r <= count; ++r) {
        const PadRecord& record = trace.Records[static_cast<std::size_t>(r)];
        lowestOrder_ = std::min<long long>(lowestOrder_, record.Order);
        highest = std::max<long long>(highest, record.Order);
        lowestDepth = std::min<int>(lowestDepth, record.Depth);
        highestDepth = std::max<int>(highestDepth, record.Depth);
    }
    const std::size_t slots = count > 0 ? static_cast<std::size_t>(highest - lowestOrder_ + 1) : 0;
    byOrder_ = FilledVector<std::int32_t>(slots, 0);
    std::vector<std::int16_t> depthAt = FilledVector<std::int16_t>(slots, 0);
    bool sharedOrders = false;
    for (long long r = count; r >= 1; --r) {
        // Walking backwards leaves the first record in file order in each slot.
        const PadRecord& record = trace.Records[static_cast<std::size_t>(r)];
        const auto slot = static_cast<std::size_t>(record.Order - lowestOrder_);
        sharedOrders = sharedOrders || byOrder_[slot] != 0;
        byOrder_[slot] = static_cast<std::int32_t>(r);
        depthAt[slot] = record.Depth;
    }
    if (count == 0) return;
    lowestDepth_ = lowestDepth;
    resumeAt_.assign(static_cast<std::size_t>(highestDepth - lowestDepth) + 1, 0);

    if (!sharedOrders) {
        // Every Order once: walking the slots upwards meets each depth's
        // records in ascending order, so placing them into one run per depth
        // sorts them without comparing.
        std::vector<std::size_t> next(static_cast<std::size_t>(highestDepth - lowestDepth) + 2, 0);
        for (std::size_t slot = 0; slot < slots; ++slot) {
            if (byOrder_[slot] != 0) ++next[static_cast<std::size_t>(depthAt[slot] - lowestDepth) + 1];
        }
        for (std::size_t d = 1; d < next.size(); ++d) next[d] += next[d - 1];
        byDepth_ = FilledVector<std::uint64_t>(static_cast<std::size_t>(count), 0);
        for (std::size_t slot = 0; slot < slots; ++slot) {
            if (byOrder_[slot] == 0) continue;
            const long long order = static_cast<long long>(slot) + lowestOrder_;
            byDepth_[next[static_cast<std::size_t>(depthAt[slot] - lowestDepth)]++] =
                Pack(depthAt[slot], order, byOrder_[slot]);
        }
        return;
    }

    byDepth_.reserve(static_cast<std::size_t>(count));
    for (long long r = 1; r <= count; ++r) {
        const PadRecord& record = trace.Records[static_cast<std::size_t>(r)];
        byDepth_.push_back(Pack(record.Depth, record.Order, r));
    }
    std::sort(byDepth_.begin(), byDepth_.end());
    byDepth_.erase(std::unique(byDepth_.begin(), byDepth_.end(),
                               [](std::uint64_t a, std::uint64_t b) { return (a >> kOrderShift) == (b >> kOrderShift); }),
                   byDepth_.end());
}

int RecordIndex::FirstWithOrder(long long order) const {
    const long long slot = order - lowestOrder_;
    if (slot < 0 || slot >= static_cast<long long>(byOrder_.size())) return 0;
    return byOrder_[static_cast<std::size_t>(slot)];
}

int RecordIndex::NearestBefore(int order, int depth, int maxBack) {
    if (depth + kOffset < 0 || depth + kOffset > 2 * kOffset) return 0;
    const long long lowest = std::max<long long>(static_cast<long long>(order) - maxBack, 1 - kOffset);
    // The entry before the first one at (depth, order) or beyond is the
    // nearest smaller order at that depth, if there is one.
    const std::uint64_t key = Pack(depth, order, 0);
    std::size_t at = 0;
    const long long slot = static_cast<long long>(depth) - lowestDepth_;
    std::uint32_t* resume =
        slot >= 0 && slot < static_cast<long long>(resumeAt_.size()) ? &resumeAt_[static_cast<std::size_t>(slot)] : nullptr;
    if (resume != nullptr && *resume > 1 && byDepth_[*resume - 2] < key) {
        // Everything before the last place found is still smaller: go on
        // from there, a few steps, then by halving what is left.
        at = *resume - 1;
        constexpr std::size_t kSteps = 16;
        const std::size_t stepsEnd = std::min(byDepth_.size(), at + kSteps);
        while (at < stepsEnd && byDepth_[at] < key) ++at;
        if (at == stepsEnd && at < byDepth_.size() && byDepth_[at] < key) {
            const auto from = byDepth_.begin() + static_cast<std::ptrdiff_t>(at);
            at = static_cast<std::size_t>(std::lower_bound(from, byDepth_.end(), key) - byDepth_.begin());
        }
    } else {
        at = static_cast<std::size_t>(std::lower_bound(byDepth_.begin(), byDepth_.end(), key) - byDepth_.begin());
    }
    if (resume != nullptr) *resume = static_cast<std::uint32_t>(at + 1);
    if (at == 0) return 0;
    const std::uint64_t found = byDepth_[at - 1];
    if (found < Pack(depth, lowest, 0)) return 0;
    return static_cast<int>(found & kRecordMask);
}

}  // namespace kivra
