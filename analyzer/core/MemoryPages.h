// Getting freshly allocated memory ready before it is filled.
#pragma once

#include <cstddef>
#include <vector>

namespace kivra {

// Asks the system to back the whole pages of a large block that is about to
// be written with memory now, in one call, instead of one page fault per
// page as they are first written. Only a hint: nothing happens where the
// system cannot do it, and the contents stay as they are.
void PrepareForWriting(const void* begin, std::size_t bytes);

// n copies of value, in memory backed in one call before it is filled.
template <typename T>
std::vector<T> FilledVector(std::size_t n, const T& value) {
    std::vector<T> filled;
    filled.reserve(n);
    PrepareForWriting(filled.data(), n * sizeof(T));
    filled.assign(n, value);
    return filled;
}

}  // namespace kivra
