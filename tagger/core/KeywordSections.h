// The three keyword sections that tell the tagging run which lines are
// procedure headers ("Tag Start"), early exits ("Tag Exit") and procedure
// ends ("Tag Stop"). A run reads them once at its start and then looks
// phrases up in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ConfigClass.h"
#include "IniDocument.h"
#include "MessageReporter.h"

namespace kivra {

inline constexpr std::string_view kTagStartSection = "Tag Start";
inline constexpr std::string_view kTagExitSection = "Tag Exit";
inline constexpr std::string_view kTagStopSection = "Tag Stop";

// One key of a section, in the order the keys stand in it.
struct Keyword {
    std::string phrase;       // the value's text before its first comma
    std::string lowerPhrase;  // the phrase in lower case, for the lookup
    bool hasPhrase = false;   // false for a value without a comma: it never matches
    bool isSub = false;       // the phrase contains "Sub" (letter case counting)
    bool isFunction = false;  // ... "Function"
    bool isProperty = false;  // ... "Property"
    bool passesName = false;  // "Tag Stop": the end call names the procedure
};

// The keys of one section, in the order in which they stand in it.
class KeywordSection {
public:
    KeywordSection() = default;
    KeywordSection(std::vector<Keyword> keys);

    const std::vector<Keyword>& Keys() const { return keys_; }

    // False when no phrase can equal the text, letter case ignored: a quick
    // test of its length and first letter that spares most lines the walk
    // through the keys.
    bool MayMatch(std::string_view text) const {
        const std::size_t bit = FilterBit(text);
        return (filter_[bit / 64] >> (bit % 64)) & 1U;
    }

    // False when no phrase begins with the character, letter case ignored.
    bool MayStartWith(char c) const {
        const unsigned char bit = Lower(c);
        return (firstLetters_[bit / 64] >> (bit % 64)) & 1U;
    }

private:
    static unsigned char Lower(char c) {
        return static_cast<unsigned char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    }
    static std::size_t FilterBit(std::string_view text) {
        return (text.size() * 32 + Lower(text.empty() ? '\0' : text.front())) % 256;
    }

    std::vector<Keyword> keys_;
    std::uint64_t filter_[4] = {};
    std::uint64_t firstLetters_[4] = {};
};

struct KeywordSections {
    KeywordSection start;
    KeywordSection exit;
    KeywordSection stop;
};

// Takes a key's value apart into its phrase and kinds.
Keyword ParseKeyword(std::string_view value);

// Where the sections are read from. Keys lists a section's key names in
// file order (reporting a missing or empty section itself); Value reads one
// key (reporting a missing key itself).
struct KeywordSource {
    std::function<std::vector<std::string>(std::string_view section)> Keys;
    std::function<std::string(std::string_view section, std::string_view key)> Value;
};

KeywordSections ReadKeywordSections(const KeywordSource& source);

// From the settings file, through the settings store and its messages.
KeywordSections ReadKeywordSections(const ConfigClass& config);

// From an INI document read from the file at path. A missing section, or a
// "Tag Stop" key named by a position that does not exist, gets the same
// message the settings store gives, naming path.
KeywordSections ReadKeywordSections(const IniDocument& doc, std::string_view path, MessageReporter& reporter);

// From an INI file of any name; nothing (and why) when it cannot be read.
std::optional<KeywordSections> LoadKeywordFile(const std::filesystem::path& path, MessageReporter& reporter,
                                               std::string* why = nullptr);

// The sections of the settings file that ships with the product.
KeywordSections ShippedKeywordSections();

}  // namespace kivra
