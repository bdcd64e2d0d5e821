// Builds PAD trace text for tests: the seven header lines, then the given
// record lines, every line ending in CR LF.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "NumberFormat.h"

namespace kivra::test {

inline std::string PadHeader() {
    return "Kivra trace\r\nRun Date: 2024-03-01\r\nline 3\r\nResolution: 1 ms\r\nline 5\r\nline 6\r\nline 7\r\n";
}

inline std::string PadText(const std::vector<std::string>& records) {
    std::string text = PadHeader();
    for (const std::string& record : records) text += record + "\r\n";
    return text;
}

// A record line with empty data fields.
inline std::string Rec(const std::string& name, int order, int depth, double start, double stop) {
    return name + "|" + std::to_string(order) + "|" + std::to_string(depth) + "|" + std::to_string(start) + "|" +
           std::to_string(stop) + "|||";
}

// Separators as the C locale's, which the tests run in.
inline NumberLocale DotLocale() { return NumberLocale{".", ","}; }
// Separators as in much of Europe.
inline NumberLocale CommaLocale() { return NumberLocale{",", "."}; }

}  // namespace kivra::test
