#include "MemoryPages.h"

#include "Platform.h"

namespace kivra {

void PrepareForWriting(const void* begin, std::size_t bytes) {
    // Small blocks lie mostly on pages already in use.
    constexpr std::size_t kWorthIt = 64 * 1024;
    if (begin == nullptr || bytes < kWorthIt) return;
    platform::PrefaultPages(begin, bytes);
}

}  // namespace kivra
