// The platform layer on POSIX systems (Linux).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Platform.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14 and later
#endif

namespace kivra::platform {
namespace fs = std::filesystem;
namespace {

FileStatus StatusFrom(const struct stat& st) {
    FileStatus status;
    status.regular = S_ISREG(st.st_mode);
    status.directory = S_ISDIR(st.st_mode);
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.permissions = static_cast<unsigned>(st.st_mode & 07777);
    return status;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::optional<FileStatus> StatusOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return StatusFrom(st);
}

ReadableFile::ReadableFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return;
    }
    // Opened without waiting for a pipe's writer; its reads may wait.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    open_ = true;
}

ReadableFile::~ReadableFile() {
    if (open_) ::close(static_cast<int>(handle_));
}

std::optional<FileStatus> ReadableFile::Status() const {
    struct stat st {};
    if (!open_ || ::fstat(static_cast<int>(handle_), &st) != 0) return std::nullopt;
    return StatusFrom(st);
}

long long ReadableFile::Read(char* into, std::size_t bytes) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), into, bytes);
        if (got >= 0) return got;
        if (errno == EINTR) continue;
        error_ = std::strerror(errno);
        return -1;
    }
}

void* AllocatePages(std::size_t bytes) {
    void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return data == MAP_FAILED ? nullptr : data;
}

void FreePages(void* data, std::size_t bytes) {
    if (data != nullptr) ::munmap(data, bytes);
}

void PrefaultPages(const void* begin, std::size_t bytes) {
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    if (begin == nullptr || page == 0 || (page & (page - 1)) != 0) return;
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + page - 1) & ~(page - 1);
    const std::uintptr_t last = (start + bytes) & ~(page - 1);
    if (last <= first) return;
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

unsigned NewFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool ReplaceFileContent(const fs::path& target, std::string_view bytes, unsigned permissions, std::string* why) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temp = (folder / name).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (why != nullptr) *why = std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, bytes) && ::fchmod(fd, permissions) == 0 && ::fsync(fd) == 0;
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        if (why != nullptr) *why = std::strerror(error);
        return false;
    }
    return true;
}

bool CanOpenForWriting(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

FileLock::FileLock(const fs::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return;
    }
    handle_ = fd;
    held_ = true;
}

FileLock::~FileLock() {
    if (held_) ::close(static_cast<int>(handle_));  // closing releases the lock
}

fs::path ExecutablePath() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec);
}

void UseBinaryStandardStreams() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace kivra::platform
