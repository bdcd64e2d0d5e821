#include "KeywordSections.h"

#include "DefaultSettings.h"
#include "TextEncoding.h"

namespace kivra {

Keyword ParseKeyword(std::string_view value) {
    Keyword keyword;
    const auto comma = value.find(',');
    if (comma == std::string_view::npos) return keyword;
    keyword.phrase = std::string(value.substr(0, comma));
    keyword.hasPhrase = true;
    keyword.lowerPhrase = keyword.phrase;
    for (char& c : keyword.lowerPhrase) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    keyword.isSub = keyword.phrase.find("Sub") != std::string::npos;
    keyword.isFunction = keyword.phrase.find("Function") != std::string::npos;
    keyword.isProperty = keyword.phrase.find("Property") != std::string::npos;
    return keyword;
}

KeywordSection::KeywordSection(std::vector<Keyword> keys) : keys_(std::move(keys)) {
    for (const auto& k : keys_) {
        if (!k.hasPhrase) continue;
        const std::size_t bit = FilterBit(k.lowerPhrase);
        filter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
        if (!k.lowerPhrase.empty()) {
            const unsigned char first = Lower(k.lowerPhrase.front());
            firstLetters_[first / 64] |= std::uint64_t{1} << (first % 64);
        }
    }
}

namespace {

KeywordSection ReadSection(const KeywordSource& source, std::string_view section) {
    const auto names = source.Keys(section);
    std::vector<Keyword> keys;
    keys.reserve(names.size());
    for (const auto& name : names) keys.push_back(ParseKeyword(source.Value(section, name)));
    if (section == kTagStopSection) {
        // The end call's flag is read a second time under the key named by
        // the position of the matching key, which is why the keys must be
        // 1, 2, 3.
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string position = std::to_string(i + 1);
            const std::string flag = EqualsIgnoringCase(names[i], position) ? source.Value(section, names[i])
                                                                            : source.Value(section, position);
            keys[i].passesName = flag.find('1') != std::string::npos;
        }
    }
    return KeywordSection(std::move(keys));
}

}  // namespace

KeywordSections ReadKeywordSections(const KeywordSource& source) {
    KeywordSections sections;
    sections.start = ReadSection(source, kTagStartSection);
    sections.exit = ReadSection(source, kTagExitSection);
    sections.stop = ReadSection(source, kTagStopSection);
    return sections;
}

KeywordSections ReadKeywordSections(const ConfigClass& config) {
    KeywordSource source;
    source.Keys = [&](std::string_view section) {
        auto names = config.GetIniKeys(section, "", 1);
        names.erase(names.begin());  // index 0 is below FirstIndex
        return names;
    };
    source.Value = [&](std::string_view section, std::string_view key) { return config.Value(section, key); };
    return ReadKeywordSections(source);
}

KeywordSections ReadKeywordSections(const IniDocument& doc, std::string_view path, MessageReporter& reporter) {
    KeywordSource source;
    source.Keys = [&](std::string_view section) {
        auto names = doc.Keys(section).value_or(std::vector<std::string>{});
        if (names.empty()) {
            reporter.Report(
                "Keys: Section '" + std::string(section) + "' or INI File '" + std::string(path) + "' is missing ",
                MessageIcon::Critical);
        }
        return names;
    };
    source.Value = [&](std::string_view section, std::string_view key) {
        const auto stored = doc.Get(section, key);
        if (!stored) {
            reporter.Report("GetKey is missing [" + std::string(section) + "] '" + std::string(key) + "=' key.",
                            MessageIcon::Critical);
            return std::string();
        }
        return ConfigClass::DecodeStoredValue(*stored);
    };
    return ReadKeywordSections(source);
}

std::optional<KeywordSections> LoadKeywordFile(const std::filesystem::path& path, MessageReporter& reporter,
                                               std::string* why) {
    const auto bytes = ReadFileBytes(path, why);
    if (!bytes) return std::nullopt;
    return ReadKeywordSections(IniDocument::Parse(DecodeText(*bytes).text), path.string(), reporter);
}

KeywordSections ShippedKeywordSections() {
    SilentReporter silent;
    return ReadKeywordSections(IniDocument::Parse(DefaultSettingsText()), "", silent);
}

}  // namespace kivra
