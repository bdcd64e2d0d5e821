#include "AtomicFile.h"

#include "Platform.h"

namespace kivra {
namespace fs = std::filesystem;

fs::path RewriteTarget(const fs::path& file) {
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        const auto target = fs::canonical(file, ec);
        if (!ec) return target;
    }
    return file;
}

unsigned NewFileMode() { return platform::NewFilePermissions(); }

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, unsigned mode, std::string* why) {
    return platform::ReplaceFileContent(target, bytes, mode, why);
}

}  // namespace kivra
