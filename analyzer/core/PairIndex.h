// Ints stored under pairs of ints, for the tables of call paths and stacks
// that a million calls fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kivra {

// Open addressing with linear probing,
// grown when half full. The tables of paths and stacks below hold up to
// millions of entries; this keeps them in two flat arrays.
class PairIndex {
public:
    // The value stored under (a, b), or -1.
    int Find(int a, int b) const {
        if (values_.empty()) return -1;
        const std::uint64_t key = Key(a, b);
        for (std::size_t at = Slot(key);; at = (at + 1) & mask_) {
            if (values_[at] < 0) return -1;
            if (keys_[at] == key) return values_[at];
        }
    }
    // The value stored under (a, b); `value` (not below zero) when there was
    // none, with true.
    std::pair<int, bool> FindOrAdd(int a, int b, int value) {
        if (2 * (size_ + 1) > values_.size()) Grow();
        const std::uint64_t key = Key(a, b);
        std::size_t at = Slot(key);
        for (; values_[at] >= 0; at = (at + 1) & mask_) {
            if (keys_[at] == key) return {values_[at], false};
        }
        keys_[at] = key;
        values_[at] = value;
        ++size_;
        return {value, true};
    }

private:
    static std::uint64_t Key(int a, int b) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
    }
    std::size_t Slot(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
    }
    void Grow() {
        const std::size_t capacity = values_.empty() ? 1024 : 2 * values_.size();
        std::vector<std::uint64_t> keys(capacity);
        std::vector<int> values(capacity, -1);
        keys.swap(keys_);
        values.swap(values_);
        mask_ = capacity - 1;
        shift_ = 64;
        for (std::size_t c = capacity; c > 1; c /= 2) --shift_;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] < 0) continue;
            std::size_t at = Slot(keys[i]);
            while (values_[at] >= 0) at = (at + 1) & mask_;
            keys_[at] = keys[i];
            values_[at] = values[i];
        }
    }

    std::vector<std::uint64_t> keys_;
    std::vector<int> values_;  // -1 for an empty slot
    std::size_t size_ = 0;
    std::size_t mask_ = 0;
    int shift_ = 64;
};

}  // namespace kivra
