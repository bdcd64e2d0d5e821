// The flat profile and the diff of two runs as text: an aligned table for
// people, CSV and JSON for other programs.
#pragma once

#include <cstddef>
#include <string>

#include "FlatProfile.h"
#include "NumberFormat.h"
#include "TraceDiff.h"

namespace kivra {

// `top` limits the lines to the first entries; 0 shows every entry.
// Times in the table follow `format`; CSV and JSON give plain numbers in
// milliseconds with "." as the decimal point, to the seven significant
// digits of single precision.
std::string FlatTable(const FlatProfile& profile, const NumberFormat& format, std::size_t top);
std::string FlatCsv(const FlatProfile& profile, std::size_t top);
std::string FlatJson(const FlatProfile& profile, std::size_t top);

std::string DiffTable(const TraceDiff& diff, const NumberFormat& format, std::size_t top);
std::string DiffCsv(const TraceDiff& diff, std::size_t top);
std::string DiffJson(const TraceDiff& diff, std::size_t top);

}  // namespace kivra
