#include "ProgramFolder.h"

#include <system_error>

#include "Platform.h"

namespace kivra {

std::filesystem::path ProgramFolder() {
    const std::filesystem::path exe = platform::ExecutablePath();
    std::error_code ec;
    if (exe.empty()) return std::filesystem::current_path(ec);
    return exe.parent_path();
}

}  // namespace kivra
