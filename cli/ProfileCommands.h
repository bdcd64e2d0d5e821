// The profile commands of the command-line tool: "kivra flat" prints a
// trace's flat profile, "kivra diff" compares two runs, "kivra peek" shows
// a procedure's callers and callees, "kivra export" writes a trace for
// Perfetto, speedscope or flame graph tools.
#pragma once

#include <CLI/CLI.hpp>

namespace kivra {

void AddProfileCommands(CLI::App& app);

}  // namespace kivra
