#include "ConfigClass.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "IniFileAccess.h"
#include "ProgramValues.h"
#include "TextEncoding.h"

namespace kivra {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kStoredLineBreak = "<cr>";
constexpr std::string_view kStoredBlank = "~~";
constexpr std::string_view kStoredEmpty = "<nullstring>";

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Splits NUL-separated names into an array whose first name sits at
// FirstIndex; a name without its terminating NUL is not taken.
std::vector<std::string> SplitNames(std::string_view list, int firstIndex, int& next) {
    std::vector<std::string> names(static_cast<std::size_t>(firstIndex));
    next = firstIndex;
    std::size_t pos = 0;
    while (next <= ConfigClass::kMaxIndex) {
        const auto nul = list.find('\0', pos);
        if (nul == std::string_view::npos) break;
        names.emplace_back(list.substr(pos, nul - pos));
        ++next;
        pos = nul + 1;
    }
    return names;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) {
        list += name;
        list += '\0';
    }
    return list;
}

int ClampIndex(int firstIndex) { return firstIndex < 0 ? 0 : std::min(firstIndex, ConfigClass::kMaxIndex); }

}  // namespace

std::string SettingsFolder(std::string_view productName) {
    const char* profile = std::getenv("USERPROFILE");
    if (profile == nullptr || *profile == '\0') profile = std::getenv("HOME");
    const fs::path base = (profile != nullptr) ? fs::path(profile) : fs::path();
    return (base / "AppData" / "Roaming" / "Brindle" / std::string(productName)).string();
}

ConfigClass::ConfigClass(MessageReporter& reporter, FatalExit fatalExit)
    : reporter_(reporter), fatalExit_(std::move(fatalExit)) {
    if (!fatalExit_) fatalExit_ = [](int code) { std::exit(code); };
}

void ConfigClass::Fatal(std::string text) const {
    reporter_.Report(std::move(text), MessageIcon::Critical, "Config Class");
    fatalExit_(1);
}

std::string ConfigClass::IniFilePath(std::string_view tFile) const {
    const ProgramValues& program = Program();
    const std::string fileName(tFile.empty() ? std::string_view(program.ConfigFile) : tFile);
    if (fileName.empty()) {
        Fatal("Error:  Config file has not been set");
        return {};
    }
    if (program.ProductName.empty()) {
        Fatal("Error:  Product Name has not been set");
        return {};
    }
    const fs::path folder = SettingsFolder(program.ProductName);
    std::error_code ec;
    if (!fs::exists(folder / fileName, ec)) {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (EqualsIgnoringCase(it->path().filename().string(), fileName)) return it->path().string();
        }
    }
    return (folder / fileName).string();
}

std::string ConfigClass::EncodeStoredValue(std::string_view value) {
    std::string stored(value);
    if (stored.starts_with(' ')) stored.replace(0, 1, kStoredBlank);
    if (stored.ends_with(' ')) stored.replace(stored.size() - 1, 1, kStoredBlank);
    // A lone CR or LF would break the file's lines just as a pair would.
    stored = ReplaceAll(std::move(stored), kCrLf, kStoredLineBreak);
    stored = ReplaceAll(std::move(stored), "\r", kStoredLineBreak);
    return ReplaceAll(std::move(stored), "\n", kStoredLineBreak);
}

std::string ConfigClass::DecodeStoredValue(std::string_view stored) {
    std::string value(stored);
    if (value.starts_with(kStoredBlank)) value.replace(0, kStoredBlank.size(), " ");
    if (value.ends_with(kStoredBlank)) value.replace(value.size() - kStoredBlank.size(), kStoredBlank.size(), " ");
    if (Lower(value) == kStoredEmpty) value.clear();
    return ReplaceAll(std::move(value), kStoredLineBreak, kCrLf);
}

std::string ConfigClass::Value(std::string_view Section, std::string_view Key, std::string_view tFile) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return {};
    if (Section.empty()) reporter_.Report("GetKey Section=''", MessageIcon::Exclamation);
    if (Key.empty()) reporter_.Report("GetKey key=''", MessageIcon::Exclamation);

    std::string stored(kMissingKey);
    if (const auto doc = LoadIniFile(path)) {
        if (auto value = doc->Get(Section, Key)) stored = std::move(*value);
    }
    stored = std::string(Utf8Prefix(stored, kValueLimit));
    if (stored == kMissingKey) {
        reporter_.Report("GetKey is missing [" + std::string(Section) + "] '" + std::string(Key) + "=' key.",
                         MessageIcon::Critical);
        return {};
    }
    return DecodeStoredValue(stored);
}

std::optional<std::string> ConfigClass::ValueIfSet(std::string_view Section, std::string_view Key,
                                                   std::string_view tFile) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return std::nullopt;
    const auto doc = LoadIniFile(path);
    if (!doc) return std::nullopt;
    auto stored = doc->Get(Section, Key);
    if (!stored) return std::nullopt;
    return DecodeStoredValue(Utf8Prefix(*stored, kValueLimit));
}

void ConfigClass::Value(std::string_view Section, std::string_view Key, std::string_view tFile,
                        std::string_view newValue) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return;
    const std::string stored = EncodeStoredValue(newValue);
    const bool written = UpdateIniFile(path, [&](IniDocument& doc) {
        if (doc.Get(Section, Key) == stored) return IniChange::Unchanged;
        return doc.Set(Section, Key, stored) ? IniChange::Changed : IniChange::Refused;
    });
    if (!written && !Section.empty()) {
        reporter_.Report("Write to '" + path + "' failed.\r\nPlease make sure the INI file is not write protected.",
                         MessageIcon::Critical);
    }
}

void ConfigClass::ReportDeleteFailure(std::string_view operation, std::string_view path,
                                      std::string_view Section) const {
    if (Section.empty()) return;
    reporter_.Report(std::string(operation) + " '" + std::string(path) +
                         "' failed.\r\n\r\nPlease make sure the INI file is not write protected.",
                     MessageIcon::Critical);
}

void ConfigClass::DeleteKey(std::string_view Section, std::string_view KeyName, std::string_view tFile) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return;
    const bool done = !Section.empty() && UpdateIniFile(path, [&](IniDocument& doc) {
        return doc.RemoveKey(Section, KeyName) ? IniChange::Changed : IniChange::Unchanged;
    });
    if (!done) ReportDeleteFailure("Delete INI Key", path, Section);
}

void ConfigClass::DeleteSection(std::string_view Section, std::string_view tFile) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return;
    const bool done = !Section.empty() && UpdateIniFile(path, [&](IniDocument& doc) {
        return doc.RemoveSection(Section) ? IniChange::Changed : IniChange::Unchanged;
    });
    if (!done) ReportDeleteFailure("Delete INI Section", path, Section);
}

std::vector<std::string> ConfigClass::GetIniKeys(std::string_view Section, std::string_view tFile,
                                                 int FirstIndex) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return {std::string()};

    std::string list(kMissingSection);
    if (const auto doc = LoadIniFile(path)) {
        if (const auto keys = doc->Keys(Section)) list = JoinNames(*keys);
    }
    // The list is read into a fixed buffer, and its length must fit a
    // signed 16-bit count.
    list = std::string(Utf8Prefix(list, kKeyListBuffer - 2));
    if (Utf8Length(list) > kKeyListLimit) {
        reporter_.Report("GetIniKeys: Size overflow in '" + path + "'", MessageIcon::Critical);
        list.clear();
    }
    if (list.empty() || list == kMissingSection) {
        reporter_.Report("Keys: Section '" + std::string(Section) + "' or INI File '" + path + "' is missing ",
                         MessageIcon::Critical);
        list.clear();
    }
    int next = 0;
    auto names = SplitNames(list, ClampIndex(FirstIndex), next);
    if (next > 0) {
        names.resize(static_cast<std::size_t>(next));
        return names;
    }
    return {std::string()};
}

std::vector<std::string> ConfigClass::GetIniSections(int FirstIndex, std::string_view tFile) const {
    const std::string path = IniFilePath(tFile);
    if (path.empty()) return {std::string()};
    std::string list;
    if (const auto doc = LoadIniFile(path)) list = JoinNames(doc->Sections());
    list = std::string(Utf8Prefix(list, kSectionListBuffer - 2));
    int next = 0;
    auto names = SplitNames(list, ClampIndex(FirstIndex), next);
    names.resize(static_cast<std::size_t>(next) + 1);
    return names;
}

}  // namespace kivra
