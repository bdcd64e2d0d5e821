#include "TraceTexts.h"

#include <algorithm>
#include <cstring>

#include "Platform.h"

namespace kivra {
namespace {
constexpr std::size_t kBlockSize = 16 * 1024;
}  // namespace

TraceTexts::~TraceTexts() {
    for (const Mapping& mapping : mappings_) platform::FreePages(mapping.data, mapping.capacity);
}

std::string_view TraceTexts::Adopt(std::string text) {
    owned_.push_back(std::make_unique<std::string>(std::move(text)));
    return *owned_.back();
}

std::string_view TraceTexts::AdoptMapping(void* data, std::size_t size, std::size_t capacity) {
    mappings_.push_back({data, capacity});
    return {static_cast<const char*>(data), size};
}

char* TraceTexts::Allocate(std::size_t n) {
    if (n > left_) {
        // Texts longer than a block get a block of their own.
        const std::size_t size = std::max(n, kBlockSize);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        if (n == size && left_ > 0) {
            // Keep filling the current block.
            return blocks_.back().get();
        }
        free_ = blocks_.back().get();
        left_ = size;
    }
    char* room = free_;
    free_ += n;
    left_ -= n;
    return room;
}

std::string_view TraceTexts::Keep(std::string_view first, std::string_view second) {
    char* room = Allocate(first.size() + second.size());
    if (!first.empty()) std::memcpy(room, first.data(), first.size());
    if (!second.empty()) std::memcpy(room + first.size(), second.data(), second.size());
    return {room, first.size() + second.size()};
}

}  // namespace kivra
