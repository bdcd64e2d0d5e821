// Parses kivra's command line and runs the chosen command, turning the
// outcome into the tool's exit status: 0 done, 1 the command failed and
// said why, 2 a usage error (with a hint on stderr).
#pragma once

#include <CLI/CLI.hpp>

namespace kivra {

int RunCommandLine(CLI::App& app, int argc, const char* const* argv);

}  // namespace kivra
