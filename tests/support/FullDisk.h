// A full disk, without root: a child process whose files cannot grow
// beyond a few bytes, its "file too large" signal ignored so that writes
// fail as they would on a full disk.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

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
