// A full disk, without root: a child process whose files cannot grow
// beyond a few bytes, its "file too large" signal ignored so that writes
// fail as they would on a full disk.
#pragma once

#include <functional>

#ifdef _WIN32
// Windows has no file size limit for a process: the full-disk tests say so
// and do not run there.
#define KIVRA_SKIP_WITHOUT_FULL_DISK() GTEST_SKIP() << "no per-process file size limit on Windows"
namespace kivra::test {
inline int WithFullDisk(const std::function<int()>&, unsigned long = 16) { return -1; }
}  // namespace kivra::test
#else
#define KIVRA_SKIP_WITHOUT_FULL_DISK() (void)0
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace kivra::test {

// Runs `act` in such a child and gives its result (its exit status).
inline int WithFullDisk(const std::function<int()>& act, rlim_t limit = 16) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const int result = act();
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(result);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace kivra::test
#endif
