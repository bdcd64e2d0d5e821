// The settings store of both programs: text values under a section and a
// key in one INI file in the user's roaming application-data folder. Every
// operation goes to the file afresh; nothing is cached.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MessageReporter.h"

namespace kivra {

class ConfigClass {
public:
    // Called with exit code 1 after either of the two fatal configuration
    // messages. The programs end there; tests throw instead.
    using FatalExit = std::function<void(int exitCode)>;

    explicit ConfigClass(MessageReporter& reporter, FatalExit fatalExit = {});

    // Read: the decoded value, or the empty string (after a message) when the
    // key is missing.
    std::string Value(std::string_view Section, std::string_view Key, std::string_view tFile = {}) const;
    // Read without a message: nothing when the key or the file is missing.
    // For keys that later versions added, which older files lack.
    std::optional<std::string> ValueIfSet(std::string_view Section, std::string_view Key,
                                          std::string_view tFile = {}) const;
    // Write.
    void Value(std::string_view Section, std::string_view Key, std::string_view tFile, std::string_view newValue) const;

    void DeleteKey(std::string_view Section, std::string_view KeyName, std::string_view tFile = {}) const;
    void DeleteSection(std::string_view Section, std::string_view tFile = {}) const;

    // The section's key names from index FirstIndex on; lower indexes hold
    // empty strings.
    std::vector<std::string> GetIniKeys(std::string_view Section, std::string_view tFile, int FirstIndex) const;

    // The full path of the settings file (tFile, else the program's
    // ConfigFile). A file already in the folder whose name differs only in
    // letter case is that file.
    std::string IniFilePath(std::string_view tFile) const;

    // The file's section names from index FirstIndex on, then one empty
    // element.
    std::vector<std::string> GetIniSections(int FirstIndex, std::string_view tFile = {}) const;

    // The stored form of a value, both ways.
    static std::string EncodeStoredValue(std::string_view value);
    static std::string DecodeStoredValue(std::string_view stored);

    static constexpr std::string_view kMissingKey = ">>> Missing Key <<<";
    static constexpr std::string_view kMissingSection = ">>> Missing Section <<<";
    static constexpr std::size_t kValueLimit = 32766;        // characters a read keeps
    static constexpr std::size_t kKeyListLimit = 32767;      // characters a key list may have
    static constexpr std::size_t kKeyListBuffer = 50000;     // characters of the key list buffer
    static constexpr std::size_t kSectionListBuffer = 5000;  // characters of the section list buffer
    static constexpr int kMaxIndex = 50000;

private:
    void Fatal(std::string text) const;
    void ReportDeleteFailure(std::string_view operation, std::string_view path, std::string_view Section) const;

    MessageReporter& reporter_;
    FatalExit fatalExit_;
};

// The folder that holds the product's settings file: USERPROFILE when set,
// else HOME, then AppData/Roaming/Brindle/<product>.
std::string SettingsFolder(std::string_view productName);

}  // namespace kivra
