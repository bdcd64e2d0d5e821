// A text that is usually short, such as a formatted number: up to 15 bytes
// are kept inside the object itself (16 bytes in all), longer texts on the
// heap. Keeps rows of many such texts small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kivra {

class ShortText {
public:
    static constexpr std::size_t kInlineCapacity = 15;

    ShortText() noexcept { bytes_[kTagByte] = 0; }
    ShortText(std::string_view text) { SetNew(text); }  // NOLINT: converts like a std::string
    ShortText(const ShortText& other) { SetNew(other.view()); }
    ShortText(ShortText&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.bytes_[kTagByte] = 0;
    }
    ~ShortText() { Release(); }

    ShortText& operator=(const ShortText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    ShortText& operator=(ShortText&& other) noexcept {
        if (this != &other) {
            Release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.bytes_[kTagByte] = 0;
        }
        return *this;
    }
    ShortText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        if (OnHeap() && text.size() <= HeapSize()) {
            // Fits where the text already is (which may overlap it).
            std::memmove(HeapData(), text.data(), text.size());
            SetHeapSize(text.size());
            return;
        }
        // A copy first: the new text may lie inside the old one.
        if (OnHeap()) {
            char* old = HeapData();
            SetNew(text);
            delete[] old;
        } else {
            SetNew(text);
        }
    }
    void clear() {
        Release();
        bytes_[kTagByte] = 0;
    }

    // Inside, the length is at most 15: the mask only says so to the compiler.
    std::size_t size() const { return OnHeap() ? HeapSize() : static_cast<unsigned char>(bytes_[kTagByte]) & 0x0Fu; }
    bool empty() const { return size() == 0; }
    const char* data() const { return OnHeap() ? HeapData() : bytes_; }
    std::string_view view() const { return {data(), size()}; }
    operator std::string_view() const { return view(); }  // NOLINT: reads like a std::string
    std::string str() const { return std::string(view()); }

    friend bool operator==(const ShortText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const ShortText& a, const ShortText& b) { return a.view() == b.view(); }

private:
    // The last byte tells which form the text has: its length when it is
    // kept inside, kHeapTag when bytes 0-7 hold a pointer and 8-11 a length.
    static constexpr std::size_t kTagByte = 15;
    static constexpr unsigned char kHeapTag = 0xFF;

    bool OnHeap() const { return static_cast<unsigned char>(bytes_[kTagByte]) == kHeapTag; }
    char* HeapData() const {
        char* pointer;
        std::memcpy(&pointer, bytes_, sizeof pointer);
        return pointer;
    }
    std::size_t HeapSize() const {
        std::uint32_t size;
        std::memcpy(&size, bytes_ + sizeof(char*), sizeof size);
        return size;
    }
    void SetHeapSize(std::size_t size) {
        const auto stored = static_cast<std::uint32_t>(size);
        std::memcpy(bytes_ + sizeof(char*), &stored, sizeof stored);
    }
    // Sets the text without freeing what was there.
    void SetNew(std::string_view text) {
        if (text.size() <= kInlineCapacity) {
            // The text may lie inside this object.
            if (!text.empty()) std::memmove(bytes_, text.data(), text.size());
            bytes_[kTagByte] = static_cast<char>(text.size());
            return;
        }
        char* heap = new char[text.size()];
        std::memcpy(heap, text.data(), text.size());
        std::memcpy(bytes_, &heap, sizeof heap);
        SetHeapSize(text.size());
        bytes_[kTagByte] = static_cast<char>(kHeapTag);
    }
    void Release() {
        if (OnHeap()) delete[] HeapData();
    }

    alignas(8) char bytes_[16];
};

}  // namespace kivra
