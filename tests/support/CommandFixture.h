// Runs kivra's commands in the test process, in a profile folder of the
// test's own, with the files the commands read and write beside it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "SettingsSandbox.h"

namespace kivra::test {

class CommandFixture : public ::testing::Test {
protected:
    using AddCommands = void (*)(CLI::App&);

    CommandFixture(AddCommands add, std::string configFile) : add_(add), sandbox_(std::move(configFile)) {}

    // Runs kivra with the arguments; the exit status the tool would give.
    int Run(const std::vector<std::string>& args) {
        CLI::App app{"kivra"};
        app.require_subcommand(1);
        add_(app);
        std::vector<const char*> argv{"kivra"};
        for (const auto& a : args) argv.push_back(a.c_str());
        return RunCommandLine(app, static_cast<int>(argv.size()), argv.data());
    }
    // The same, with what it printed on standard output and error.
    int Run(const std::vector<std::string>& args, std::string& out, std::string& err) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int code = Run(args);
        out = ::testing::internal::GetCapturedStdout();
        err = ::testing::internal::GetCapturedStderr();
        return code;
    }

    std::string Path(const std::string& name) const {
        return (sandbox_.Profile() / std::filesystem::path(name).make_preferred()).string();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    AddCommands add_;
    SettingsSandbox sandbox_;
};

}  // namespace kivra::test
