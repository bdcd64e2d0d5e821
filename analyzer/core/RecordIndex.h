// Lookups into a trace's records by Order and by (Depth, Order), built once
// per load. Every lookup gives the first matching record in file order.
// Orders and Depths may be any 32-bit numbers: the tables are sized by the
// number of records, never by the range of the values.
#pragma once

#include <cstdint>
#include <vector>

#include "PadRecord.h"

namespace kivra {

class RecordIndex {
public:
    explicit RecordIndex(const PadTrace& trace);

    // The first record whose Order equals `order`, or 0 (the empty record).
    int FirstWithOrder(long long order) const;

    // The first record in file order of Depth `depth` and of the nearest
    // Order below `order` that has one, however far back; 0 when no Order
    // below `order` has a record of that Depth. Fastest when the orders
    // asked for at one depth do not decrease, as when the calls are taken
    // in start order.
    int NearestBefore(std::int32_t order, long long depth);

private:
    // Depth and Order, each shifted to 0 and up, in one number that sorts
    // by depth, then order.
    static std::uint64_t Key(long long depth, long long order);
    static bool InRange(long long value);

    // Orders spanning few values (at most a few times the record count) are
    // found by place; others by halving the sorted list of distinct Orders.
    long long lowestOrder_ = 0;
    std::vector<std::int32_t> byOrder_;       // by place: Order - lowestOrder_ -> first record, 0 none
    std::vector<std::int32_t> sortedOrders_;  // otherwise: the distinct Orders, ascending
    std::vector<std::int32_t> firstOfOrder_;  // and the first record of each
    // Every (Depth, Order) once, ascending, with its first record.
    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> keyRecord_;
    // Per depth from lowestDepth_, when the depths span few values: where
    // the last lookup at that depth ended in keys_, plus 1; 0 when none.
    long long lowestDepth_ = 0;
    std::vector<std::uint32_t> resumeAt_;
};

}  // namespace kivra
