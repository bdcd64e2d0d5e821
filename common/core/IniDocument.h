// The text of an INI file as a list of lines that can be looked up and
// changed in place. Comment lines and lines the format does not know are
// kept as they stand, so a rewrite changes only what was asked for.
//
// Section and key names compare ignoring letter case; blanks around names,
// around "=" and at both ends of a value are not part of them. Values are
// never unquoted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);

    // The text of the file, every line ending in CR LF.
    std::string Serialize() const;

    // The value of a key, or nothing when the section or the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // The key names of a section in file order, or nothing when it is missing.
    std::optional<std::vector<std::string>> Keys(std::string_view section) const;

    // Every section name in file order (a repeated header counts once).
    std::vector<std::string> Sections() const;

    // Replaces a key's value, or adds the key at the end of its section and
    // the section at the end of the file. Refuses names and values that
    // cannot stand on one line of the format.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // True when something was removed.
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    static bool IsValidSectionName(std::string_view name);
    static bool IsValidKeyName(std::string_view name);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;  // as in the file, without the line end
        Kind kind = Kind::Other;
        std::string name;   // section or key name
        std::string value;  // key value
    };
    struct Range {
        std::size_t header;
        std::size_t end;  // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;

    std::vector<Line> lines_;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kivra
