// Small helpers for writing JSON and decimal texts by hand, for exports of
// large traces that a document model would slow down.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivra {

// Appends the text as a JSON string in double quotes. Text that is not
// valid UTF-8 is taken as Windows-1252.
void AppendJsonString(std::string& out, std::string_view text);

// Appends value / 10^decimals as an exact decimal text, without trailing
// zeros after the point: (1059880000, 6) gives 1059.88, (5, 3) 0.005.
void AppendScaled(std::string& out, std::int64_t value, int decimals);

// Milliseconds as whole nanoseconds, rounded; beyond about 126 years either
// way the value is held at that bound, so that the difference of any two
// results fits in 64 bits.
std::int64_t ToNanoseconds(double milliseconds);

}  // namespace kivra
