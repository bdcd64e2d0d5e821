// Another process that runs a function of the test program, for tests of
// two programs at once: forked on POSIX systems; on Windows, the test
// program started again with "--child NAME ARGUMENT".
#pragma once

#include <optional>
#include <string>

namespace kivra::test {

using ChildMain = int (*)(const std::string& argument);

// Makes `main` known under `name`; true, for a static initializer.
bool RegisterChild(const char* name, ChildMain main);

// In the test program's main: when started as a child, runs it and gives
// its exit status.
std::optional<int> RunChildIfAsked(int argc, char** argv);

class ChildProcess {
public:
    ChildProcess(const char* name, const std::string& argument);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return started_; }
    // Its exit status once it has ended; nothing while it runs.
    std::optional<int> Ended();

private:
    bool started_ = false;
    std::optional<int> status_;
#ifdef _WIN32
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

}  // namespace kivra::test
