// The few calls that differ between POSIX systems and Windows. Everything
// else in the cores, in common/ and in kivra is plain C++: this is the one
// place that includes a system's own headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivra::platform {

// What a path names, links followed.
struct FileStatus {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
    // POSIX permission bits; on Windows 0666, or 0444 for a read-only file.
    unsigned permissions = 0;
};

std::optional<FileStatus> StatusOf(const std::filesystem::path& path);

// A file opened for reading. The open never waits for a pipe's writer.
class ReadableFile {
public:
    explicit ReadableFile(const std::filesystem::path& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool IsOpen() const { return open_; }
    // Why it could not be opened, or why the last read failed.
    const std::string& Error() const { return error_; }
    std::optional<FileStatus> Status() const;
    // The number of bytes read, 0 at the end, -1 on an error.
    long long Read(char* into, std::size_t bytes);

private:
    std::intptr_t handle_ = -1;
    bool open_ = false;
    std::string error_;
};

// Memory for the whole of a file, in pages of its own; nothing when there
// is none. Freed with FreePages and the same size.
void* AllocatePages(std::size_t bytes);
void FreePages(void* data, std::size_t bytes);
// Tells the system that the pages of a block are about to be written, so
// that it maps them in one go instead of one fault at a time.
void PrefaultPages(const void* begin, std::size_t bytes);

// The permission bits of a new file.
unsigned NewFilePermissions();
// Writes the bytes to a new file in the target's folder, flushes it to disk
// and moves it over the target in one step. On failure the target is as it
// was, no temporary file is left, and `why` tells why.
bool ReplaceFileContent(const std::filesystem::path& target, std::string_view bytes, unsigned permissions,
                        std::string* why);
// Whether the file can be opened for writing now.
bool CanOpenForWriting(const std::filesystem::path& file);

// An exclusive lock on a lock file (created when missing), held while the
// object lives; other processes wait for it.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return held_; }

private:
    std::intptr_t handle_ = -1;
    bool held_ = false;
};

// The running program's own file; empty when it cannot be told.
std::filesystem::path ExecutablePath();

// Standard input and output pass bytes unchanged (no CR LF translation).
void UseBinaryStandardStreams();

// The program's arguments in UTF-8, whatever the system's code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A path from UTF-8 text, and back.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace kivra::platform
