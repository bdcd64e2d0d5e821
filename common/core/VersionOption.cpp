#include "VersionOption.h"

#include <string>

#include "KivraVersion.h"

namespace kivra {

std::string VersionLine(std::string_view program) { return std::string(program) + " " + kKivraVersion; }

bool AnswerVersionOption(int argc, const char* const* argv, std::string_view program, std::ostream& out) {
    if (argc != 2 || std::string_view(argv[1]) != "--version") return false;
    out << VersionLine(program) << '\n';
    return true;
}

}  // namespace kivra
