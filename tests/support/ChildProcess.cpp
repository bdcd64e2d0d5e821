#include "ChildProcess.h"

#include <cstring>
#include <map>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "Platform.h"

namespace kivra::test {
namespace {

std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> children;
    return children;
}

}  // namespace

bool RegisterChild(const char* name, ChildMain main) {
    Children()[name] = main;
    return true;
}

std::optional<int> RunChildIfAsked(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[1], "--child") != 0) return std::nullopt;
    const auto child = Children().find(argv[2]);
    return child == Children().end() ? 125 : child->second(argv[3]);
}

#ifdef _WIN32

ChildProcess::ChildProcess(const char* name, const std::string& argument) {
    const std::wstring program = platform::ExecutablePath().wstring();
    std::wstring command = L"\"" + program + L"\" --child " + platform::PathFromUtf8(name).wstring() + L" " +
                           platform::PathFromUtf8(argument).wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    started_ = true;
}

ChildProcess::~ChildProcess() {
    if (process_ != nullptr) {
        WaitForSingleObject(process_, INFINITE);
        CloseHandle(process_);
    }
}

std::optional<int> ChildProcess::Ended() {
    if (status_ || process_ == nullptr) return status_;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    status_ = static_cast<int>(code);
    return status_;
}

#else

ChildProcess::ChildProcess(const char* name, const std::string& argument) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto child = Children().find(name);
        ::_exit(child == Children().end() ? 125 : child->second(argument));
    }
    pid_ = pid;
    started_ = pid > 0;
}

ChildProcess::~ChildProcess() {
    if (started_ && !status_) ::waitpid(pid_, nullptr, 0);
}

std::optional<int> ChildProcess::Ended() {
    if (status_ || !started_) return status_;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
}

#endif

}  // namespace kivra::test
