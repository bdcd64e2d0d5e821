// The texts the records of one trace point into: the file's text, held once
// for the whole trace, and the few texts made from it (data fields with "~"
// replaced, names with "*" marks added, stop messages).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

class TraceTexts {
public:
    TraceTexts() = default;
    ~TraceTexts();
    TraceTexts(const TraceTexts&) = delete;
    TraceTexts& operator=(const TraceTexts&) = delete;

    // Keeps the text for as long as this object lives; views into it stay valid.
    std::string_view Adopt(std::string text);
    // Takes over memory mapped with mmap: `size` readable bytes of a mapping of
    // `capacity` bytes, unmapped when this object goes.
    std::string_view AdoptMapping(void* data, std::size_t size, std::size_t capacity);

    // Room for n characters that stays in place for as long as this object lives.
    char* Allocate(std::size_t n);
    // A kept copy of the texts joined.
    std::string_view Keep(std::string_view first, std::string_view second = {});

private:
    struct Mapping {
        void* data = nullptr;
        std::size_t capacity = 0;
    };
    std::vector<std::unique_ptr<std::string>> owned_;
    std::vector<Mapping> mappings_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace kivra
