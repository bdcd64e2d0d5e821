// Two programs writing the one settings file at the same time.
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "ConfigClass.h"
#include "IniDocument.h"
#include "SettingsSandbox.h"

namespace kivra {
namespace {

constexpr int kKeysPerWriter = 500;

pid_t StartWriter(char prefix) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        RecordingReporter reporter;
        ConfigClass config(reporter);
        for (int i = 0; i < kKeysPerWriter; ++i) {
            config.Value("Race", std::string(1, prefix) + std::to_string(i), "", "value " + std::to_string(i));
        }
        ::_exit(reporter.messages.empty() ? 0 : 3);
    }
    return pid;
}

// The file is either the whole old text or the whole new one: every line is
// the section header or one of the writers' keys with its value.
bool IsWholeFile(const std::string& text, int& keys) {
    static const std::regex line(R"(\[Race\]|[AB]([0-9]+)=value \1)");
    keys = 0;
    if (text.empty()) return true;
    if (!text.ends_with("\r\n")) return false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = text.find("\r\n", pos);
        const std::string one = text.substr(pos, end - pos);
        if (!std::regex_match(one, line)) return false;
        if (one != "[Race]") ++keys;
        pos = end + 2;
    }
    return true;
}

TEST(ConcurrentSettingsTest, TwoProgramsWritingAtOnceLoseNoUpdate) {
    test::SettingsSandbox sandbox;
    sandbox.CreateProductFolder();
    const pid_t a = StartWriter('A');
    const pid_t b = StartWriter('B');
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);

    int running = 2;
    int lastKeys = 0;
    int status = 0;
    bool bothOk = true;
    while (running > 0) {
        int keys = 0;
        const std::string text = sandbox.ReadFile("Config.ini");
        ASSERT_TRUE(IsWholeFile(text, keys)) << "a reader saw a half-written file:\n" << text.substr(0, 2000);
        EXPECT_GE(keys, lastKeys) << "an update was lost";
        lastKeys = keys;
        const pid_t done = ::waitpid(-1, &status, WNOHANG);
        if (done > 0) {
            --running;
            bothOk = bothOk && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        } else {
            ::usleep(500);
        }
    }
    EXPECT_TRUE(bothOk) << "a writer reported a message or crashed";

    RecordingReporter reporter;
    ConfigClass config(reporter);
    const auto keys = config.GetIniKeys("Race", "", 0);
    EXPECT_EQ(keys.size(), 2u * kKeysPerWriter);
    const std::set<std::string> unique(keys.begin(), keys.end());
    EXPECT_EQ(unique.size(), 2u * kKeysPerWriter);
    EXPECT_EQ(config.Value("Race", "A499"), "value 499");
    EXPECT_EQ(config.Value("Race", "B0"), "value 0");
}

}  // namespace
}  // namespace kivra
#endif  // two processes by fork(): POSIX only
