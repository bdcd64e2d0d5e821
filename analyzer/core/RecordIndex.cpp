#include "RecordIndex.h"

#include <algorithm>
#include <limits>

#include "MemoryPages.h"

namespace kivra {
namespace {
constexpr long long kLowest = std::numeric_limits<std::int32_t>::min();
constexpr long long kHighest = std::numeric_limits<std::int32_t>::max();

// A table by place stays small against the records it indexes.
bool FewValues(long long lowest, long long highest, std::size_t count) {
    return highest - lowest < 2 * static_cast<long long>(count) + 64;
}

struct Entry {
    std::uint64_t key;
    std::int32_t record;
};
}  // namespace

bool RecordIndex::InRange(long long value) { return value >= kLowest && value <= kHighest; }

std::uint64_t RecordIndex::Key(long long depth, long long order) {
    return (static_cast<std::uint64_t>(depth - kLowest) << 32) | static_cast<std::uint64_t>(order - kLowest);
}

RecordIndex::RecordIndex(const PadTrace& trace) {
    const std::size_t count = trace.RecordCount();
    if (count == 0) return;
    long long highestOrder = kLowest;
    long long highestDepth = kLowest;
    lowestOrder_ = kHighest;
    lowestDepth_ = kHighest;
    for (std::size_t r = 1; r <= count; ++r) {
        const PadRecord& record = trace.Records[r];
        lowestOrder_ = std::min<long long>(lowestOrder_, record.Order);
        highestOrder = std::max<long long>(highestOrder, record.Order);
        lowestDepth_ = std::min<long long>(lowestDepth_, record.Depth);
        highestDepth = std::max<long long>(highestDepth, record.Depth);
    }
    const bool fewDepths = FewValues(lowestDepth_, highestDepth, count);
    if (fewDepths) resumeAt_.assign(static_cast<std::size_t>(highestDepth - lowestDepth_) + 1, 0);

    // The distinct Orders ascending with their first records, and whether
    // an Order appears more than once.
    bool sharedOrders = false;
    std::vector<std::int32_t> orders;
    std::vector<std::int32_t> firsts;
    if (FewValues(lowestOrder_, highestOrder, count)) {
        const auto slots = static_cast<std::size_t>(highestOrder - lowestOrder_) + 1;
        byOrder_ = FilledVector<std::int32_t>(slots, 0);
        for (std::size_t r = count; r >= 1; --r) {
            // Walking backwards leaves the first record in file order in each slot.
            const auto slot = static_cast<std::size_t>(trace.Records[r].Order - lowestOrder_);
            sharedOrders = sharedOrders || byOrder_[slot] != 0;
            byOrder_[slot] = static_cast<std::int32_t>(r);
        }
        if (!sharedOrders) {
            orders.reserve(count);
            firsts.reserve(count);
            for (std::size_t slot = 0; slot < slots; ++slot) {
                if (byOrder_[slot] == 0) continue;
                orders.push_back(static_cast<std::int32_t>(static_cast<long long>(slot) + lowestOrder_));
                firsts.push_back(byOrder_[slot]);
            }
        }
    } else {
        std::vector<Entry> byOrder;
        byOrder.reserve(count);
        for (std::size_t r = 1; r <= count; ++r) {
            byOrder.push_back(
                {static_cast<std::uint64_t>(trace.Records[r].Order - kLowest), static_cast<std::int32_t>(r)});
        }
        std::sort(byOrder.begin(), byOrder.end(),
                  [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.record < b.record; });
        for (const Entry& entry : byOrder) {
            const auto order = static_cast<std::int32_t>(static_cast<long long>(entry.key) + kLowest);
            if (!sortedOrders_.empty() && sortedOrders_.back() == order) {
                sharedOrders = true;
                continue;
            }
            sortedOrders_.push_back(order);
            firstOfOrder_.push_back(entry.record);
        }
    }
    // The sorted list serves as it is; the table by place was walked above.
    const std::vector<std::int32_t>& distinct = byOrder_.empty() ? sortedOrders_ : orders;
    const std::vector<std::int32_t>& firstOf = byOrder_.empty() ? firstOfOrder_ : firsts;

    if (!sharedOrders && fewDepths) {
        // Every Order once: walking the Orders upwards meets each depth's
        // records in ascending order, so placing them into one run per depth
        // sorts them without comparing.
        std::vector<std::size_t> next(resumeAt_.size() + 1, 0);
        for (const std::int32_t record : firstOf) {
            ++next[static_cast<std::size_t>(trace.Records[static_cast<std::size_t>(record)].Depth - lowestDepth_) + 1];
        }
        for (std::size_t d = 1; d < next.size(); ++d) next[d] += next[d - 1];
        keys_ = FilledVector<std::uint64_t>(count, 0);
        keyRecord_ = FilledVector<std::int32_t>(count, 0);
        for (std::size_t i = 0; i < distinct.size(); ++i) {
            const int depth = trace.Records[static_cast<std::size_t>(firstOf[i])].Depth;
            const std::size_t at = next[static_cast<std::size_t>(depth - lowestDepth_)]++;
            keys_[at] = Key(depth, distinct[i]);
            keyRecord_[at] = firstOf[i];
        }
        return;
    }

    std::vector<Entry> entries;
    entries.reserve(count);
    for (std::size_t r = 1; r <= count; ++r) {
        entries.push_back({Key(trace.Records[r].Depth, trace.Records[r].Order), static_cast<std::int32_t>(r)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.record < b.record; });
    keys_.reserve(count);
    keyRecord_.reserve(count);
    for (const Entry& entry : entries) {
        if (!keys_.empty() && keys_.back() == entry.key) continue;  // the first in file order stays
        keys_.push_back(entry.key);
        keyRecord_.push_back(entry.record);
    }
}

int RecordIndex::FirstWithOrder(long long order) const {
    if (!byOrder_.empty()) {
        const long long slot = order - lowestOrder_;
        if (slot < 0 || slot >= static_cast<long long>(byOrder_.size())) return 0;
        return byOrder_[static_cast<std::size_t>(slot)];
    }
    if (!InRange(order)) return 0;
    const auto found = std::lower_bound(sortedOrders_.begin(), sortedOrders_.end(), static_cast<std::int32_t>(order));
    if (found == sortedOrders_.end() || *found != order) return 0;
    return firstOfOrder_[static_cast<std::size_t>(found - sortedOrders_.begin())];
}

int RecordIndex::NearestBefore(std::int32_t order, long long depth) {
    if (!InRange(depth) || keys_.empty()) return 0;
    const std::uint64_t key = Key(depth, order);
    // The entry before the first one at (depth, order) or beyond is the
    // nearest smaller order at that depth, if there is one.
    std::size_t at = 0;
    const long long slot = depth - lowestDepth_;
    std::uint32_t* resume = slot >= 0 && slot < static_cast<long long>(resumeAt_.size())
                                ? &resumeAt_[static_cast<std::size_t>(slot)]
                                : nullptr;
    if (resume != nullptr && *resume > 1 && keys_[*resume - 2] < key) {
        // Everything before the last place found is still smaller: go on
        // from there, a few steps, then by halving what is left.
        at = *resume - 1;
        constexpr std::size_t kSteps = 16;
        const std::size_t stepsEnd = std::min(keys_.size(), at + kSteps);
        while (at < stepsEnd && keys_[at] < key) ++at;
        if (at == stepsEnd && at < keys_.size() && keys_[at] < key) {
            const auto from = keys_.begin() + static_cast<std::ptrdiff_t>(at);
            at = static_cast<std::size_t>(std::lower_bound(from, keys_.end(), key) - keys_.begin());
        }
    } else {
        at = static_cast<std::size_t>(std::lower_bound(keys_.begin(), keys_.end(), key) - keys_.begin());
    }
    if (resume != nullptr) *resume = static_cast<std::uint32_t>(at + 1);
    if (at == 0 || (keys_[at - 1] >> 32) != (key >> 32)) return 0;  // none at this depth before
    return keyRecord_[at - 1];
}

}  // namespace kivra
