#pragma once

#include <filesystem>

namespace kivra {

// The folder of the running executable, without a trailing separator.
std::filesystem::path ProgramFolder();

}  // namespace kivra
