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
    // to `maxBack` that has one, or 0.
    int NearestBefore(int order, int depth, int maxBack) const;

private:
    // Depth, Order and record number packed into one number that sorts by
    // depth, then order, then file order.
    static std::uint64_t Pack(long long depth, long long order, long long record);

    long long lowestOrder_ = 0;
    std::vector<std::int32_t> byOrder_;  // Order - lowestOrder_ -> first record
    std::vector<std::uint64_t> byDepth_; // sorted; first record of each (depth, order) only
};

}  // namespace kivra
