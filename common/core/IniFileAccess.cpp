#include "IniFileAccess.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <string>

#include "AtomicFile.h"
#include "TextEncoding.h"

namespace kivra {
namespace fs = std::filesystem;
namespace {

// Holds the advisory lock for one rewrite. The lock file's name is the
// settings file's name in lower case, so that programs that spell the file
// name differently still share one lock.
class RewriteLock {
public:
    explicit RewriteLock(const fs::path& file) {
        std::string name = file.filename().string();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        name.insert(0, 1, '.');
        name += ".lock";
        const fs::path lockPath = file.parent_path() / name;
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RewriteLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    RewriteLock(const RewriteLock&) = delete;
    RewriteLock& operator=(const RewriteLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Write-protected means no write permission bit at all, or a file that
// cannot be opened for writing.
bool IsWriteProtected(const fs::path& file, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return true;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return true;
    ::close(fd);
    return false;
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
    RewriteLock lock(file);
    if (!lock.Held()) return false;

    const fs::path target = RewriteTarget(file);
    IniDocument doc;
    mode_t mode = NewFileMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsWriteProtected(target, st)) return false;
        auto loaded = LoadIniFile(target);
        if (!loaded) return false;
        doc = std::move(*loaded);
        mode = st.st_mode & 07777;
    }
    switch (change(doc)) {
        case IniChange::Refused: return false;
        case IniChange::Unchanged: return true;
        case IniChange::Changed: break;
    }
    return WriteFileAtomically(target, doc.Serialize(), mode);
}

}  // namespace kivra
