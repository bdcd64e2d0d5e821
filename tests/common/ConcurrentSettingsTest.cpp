// Two programs writing the one settings file at the same time.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <regex>
#include <set>
#include <string>

#include "ChildProcess.h"
#include "ConfigClass.h"
#include "IniDocument.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"

namespace kivra {
namespace {

constexpr int kKeysPerWriter = 500;

// One writer: its keys, one write each.
int WriteKeys(const std::string& prefix) {
    // As the sandbox set them up (a new process on Windows starts without).
    Program().ProductName = "Kivra";
    Program().ConfigFile = "Config.ini";
    RecordingReporter reporter;
    ConfigClass config(reporter);
    for (int i = 0; i < kKeysPerWriter; ++i) {
        config.Value("Race", prefix + std::to_string(i), "", "value " + std::to_string(i));
    }
    return reporter.messages.empty() ? 0 : 3;
}
const bool kWriterKnown = test::RegisterChild("settings-writer", &WriteKeys);

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
    ASSERT_TRUE(kWriterKnown);
    test::ChildProcess a("settings-writer", "A");
    test::ChildProcess b("settings-writer", "B");
    ASSERT_TRUE(a.Started());
    ASSERT_TRUE(b.Started());

    int lastKeys = 0;
    bool bothOk = true;
    while (!a.Ended() || !b.Ended()) {
        int keys = 0;
        const std::string text = sandbox.ReadFile("Config.ini");
        // On Windows a file being replaced cannot be opened for a moment:
        // such a read sees nothing and tells nothing.
        if (text.empty() && lastKeys > 0) continue;
        ASSERT_TRUE(IsWholeFile(text, keys)) << "a reader saw a half-written file:\n" << text.substr(0, 2000);
        EXPECT_GE(keys, lastKeys) << "an update was lost";
        lastKeys = keys;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    bothOk = *a.Ended() == 0 && *b.Ended() == 0;
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
