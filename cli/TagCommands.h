// kivra tag, untag and comment: the tagger's runs over a source file.
#pragma once

#include <CLI/CLI.hpp>

namespace kivra {

// Adds the three commands. A command that fails throws CLI::RuntimeError
// with its exit code: 1 for a refused prefix or a file that cannot be read
// or written.
void AddTagCommands(CLI::App& app);

}  // namespace kivra
