// The trace commands of the command-line tool: "kivra rows" prints a trace's
// call tree as JSON, "kivra report" its text report.
#pragma once

#include <CLI/CLI.hpp>

namespace kivra {

void AddTraceCommands(CLI::App& app);

}  // namespace kivra
