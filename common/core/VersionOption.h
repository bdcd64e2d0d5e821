// `--version` for the two windows: answered before any window or display is
// needed, so that scripts and packagers can ask without a desktop.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace kivra {

// The line that `--version` prints: "<program> <version>".
std::string VersionLine(std::string_view program);

// True when the command line is the program's name and "--version" alone;
// then the version line has gone to `out`.
bool AnswerVersionOption(int argc, const char* const* argv, std::string_view program, std::ostream& out);

}  // namespace kivra
