// The command lines of the small generator tools: a usage line for --help,
// and a refusal of options they do not know and of numbers that are none.
#pragma once

#include <cstring>
#include <iostream>
#include <optional>
#include <string>

namespace kivra::bench {

// Nothing when the tool may go on; else the exit status to end with, after
// the usage line (on standard output for --help, else on standard error
// with the reason).
inline std::optional<int> CheckToolArguments(int argc, char** argv, int least, int most, const char* usage) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << "usage: " << usage << "\n";
            return 0;
        }
    }
    std::string problem;
    for (int i = 1; i < argc && problem.empty(); ++i) {
        if (argv[i][0] == '-') problem = std::string("unknown option '") + argv[i] + "'";
    }
    if (problem.empty() && (argc - 1 < least || argc - 1 > most)) problem = "wrong number of arguments";
    if (problem.empty()) return std::nullopt;
    std::cerr << argv[0] << ": " << problem << "\nusage: " << usage << "\n";
    return 2;
}

// A whole number of digits only.
inline std::optional<unsigned long> WholeNumber(const char* text) {
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text) || std::strlen(text) > 9) {
        return std::nullopt;
    }
    return std::stoul(text);
}

}  // namespace kivra::bench
