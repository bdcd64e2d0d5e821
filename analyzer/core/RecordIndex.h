// Lookups into a trace's records by Order and by (Order, Depth), built once
// per load. Every lookup gives the first matching record in file order.
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

    // The record whose Key is "<order - m>.<depth>" for the smallest m from 1
    // to `maxBack` that has one, or 0. Fastest when the orders asked for at
    // one depth do not decrease, as when the calls are taken in start order.
    int NearestBefore(int order, int depth, int maxBack);

private:
    // Depth, Order and record number packed into one number that sorts by
    // depth, then order, then file order.
    static std::uint64_t Pack(long long depth, long long order, long long record);

    long long lowestOrder_ = 0;
    std::vector<std::int32_t> byOrder_;  // Order - lowestOrder_ -> first record
    std::vector<std::uint64_t> byDepth_; // sorted; first record of each (depth, order) only
    int lowestDepth_ = 0;
    // Per depth from lowestDepth_: where the last lookup at that depth ended
    // in byDepth_, plus 1; 0 when there was none.
    std::vector<std::uint32_t> resumeAt_;
};

}  // namespace kivra
