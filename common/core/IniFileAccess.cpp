#include "IniFileAccess.h"

#include <cctype>
#include <string>

#include "AtomicFile.h"
#include "Platform.h"
#include "TextEncoding.h"

namespace kivra {
namespace fs = std::filesystem;
namespace {

// The lock file of a settings file: its name in lower case, so that
// programs that spell the file name differently still share one lock.
fs::path LockFileOf(const fs::path& file) {
    std::string name = file.filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    name.insert(0, 1, '.');
    name += ".lock";
    return file.parent_path() / name;
}

// Write-protected means no write permission bit at all, or a file that
// cannot be opened for writing.
bool IsWriteProtected(const fs::path& file, const platform::FileStatus& status) {
    return (status.permissions & 0222) == 0 || !platform::CanOpenForWriting(file);
}

}  // namespace

std::optional<IniDocument> LoadIniFile(const fs::path& file) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes) return std::nullopt;
    return IniDocument::Parse(DecodeText(*bytes).text);
}

bool UpdateIniFile(const fs::path& file, const std::function<IniChange(IniDocument&)>& change) {
    std::error_code ec;
    if (!fs::is_directory(file.parent_path(), ec)) return false;
    const platform::FileLock lock(LockFileOf(file));
    if (!lock.Held()) return false;

    const fs::path target = RewriteTarget(file);
    IniDocument doc;
    unsigned mode = NewFileMode();
    if (const auto status = platform::StatusOf(target)) {
        if (!status->regular || IsWriteProtected(target, *status)) return false;
        auto loaded = LoadIniFile(target);
        if (!loaded) return false;
        doc = std::move(*loaded);
        mode = status->permissions;
    }
    switch (change(doc)) {
    case IniChange::Refused: return false;
    case IniChange::Unchanged: return true;
    case IniChange::Changed: break;
    }
    return WriteFileAtomically(target, doc.Serialize(), mode);
}

}  // namespace kivra
