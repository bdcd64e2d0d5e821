// The platform layer on Windows.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h first: the other Windows headers need what it declares.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "Platform.h"

namespace kivra::platform {
namespace fs = std::filesystem;
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The system's message for an error code, in UTF-8, without its line end.
std::string ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'.')) text.pop_back();
    if (text.empty()) return "error " + std::to_string(code);
    return PathToUtf8(fs::path(text));
}

FileStatus StatusFrom(DWORD attributes, std::uint64_t size) {
    FileStatus status;
    status.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.regular = !status.directory && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    status.size = size;
    status.permissions = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return status;
}

}  // namespace

std::optional<FileStatus> StatusOf(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return StatusFrom(data.dwFileAttributes, size);
}

ReadableFile::ReadableFile(const fs::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = ErrorText(GetLastError());
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    open_ = true;
}

ReadableFile::~ReadableFile() {
    if (open_) CloseHandle(AsHandle(handle_));
}

std::optional<FileStatus> ReadableFile::Status() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!open_) return std::nullopt;
    if (GetFileType(AsHandle(handle_)) != FILE_TYPE_DISK) return FileStatus{};  // a pipe or a device
    if (!GetFileInformationByHandle(AsHandle(handle_), &info)) return std::nullopt;
    return StatusFrom(info.dwFileAttributes,
                      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
}

long long ReadableFile::Read(char* into, std::size_t bytes) {
    DWORD got = 0;
    const DWORD asked = bytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes);
    if (ReadFile(AsHandle(handle_), into, asked, &got, nullptr)) return got;
    const DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    error_ = ErrorText(error);
    return -1;
}

void* AllocatePages(std::size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* data, std::size_t) {
    if (data != nullptr) VirtualFree(data, 0, MEM_RELEASE);
}

void PrefaultPages(const void*, std::size_t) {}

unsigned NewFilePermissions() { return 0666; }

bool ReplaceFileContent(const fs::path& target, std::string_view bytes, unsigned permissions, std::string* why) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    auto fail = [why](DWORD code) {
        if (why != nullptr) *why = ErrorText(code);
        return false;
    };
    HANDLE file = INVALID_HANDLE_VALUE;
    fs::path temp;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = folder / (L"." + target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                         std::to_wstring(GetTickCount() + attempt));
        file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return fail(GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE) return fail(GetLastError());
    DWORD error = 0;
    while (!bytes.empty() && error == 0) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) error = GetLastError();
        bytes.remove_prefix(written);
    }
    if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
    CloseHandle(file);
    if (error == 0 && (permissions & 0222) == 0) SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_READONLY);
    // The C library's rename refuses an existing target; this replaces it.
    // A reader that has the target open without sharing its deletion holds
    // the replace up for a moment: try again for up to two seconds.
    for (int attempt = 0; error == 0; ++attempt) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) break;
        const DWORD failure = GetLastError();
        if ((failure != ERROR_ACCESS_DENIED && failure != ERROR_SHARING_VIOLATION) || attempt == 400) {
            error = failure;
            break;
        }
        Sleep(5);
    }
    if (error != 0) {
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temp.c_str());
        return fail(error);
    }
    return true;
}

bool CanOpenForWriting(const fs::path& file) {
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

FileLock::FileLock(const fs::path& lockFile) {
    const HANDLE file = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    held_ = true;
}

FileLock::~FileLock() {
    if (held_) CloseHandle(AsHandle(handle_));  // closing releases the lock
}

fs::path ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(PathToUtf8(fs::path(wide[i])));
    LocalFree(wide);
    return arguments;
}

}  // namespace kivra::platform
