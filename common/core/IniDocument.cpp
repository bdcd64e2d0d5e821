#include "IniDocument.h"

#include <unordered_set>

namespace kivra {
namespace {

// Only blanks are trimmed: a tab at either end of a value is part of it.
constexpr std::string_view kBlanks = " ";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = text.find_first_of("\r\n", pos);
        Line line;
        line.text = std::string(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        const std::string_view trimmed = Trim(line.text);
        if (trimmed.starts_with('[')) {
            const auto close = trimmed.find(']');
            if (close != std::string_view::npos) {
                line.kind = Kind::Section;
                line.name = std::string(Trim(trimmed.substr(1, close - 1)));
            }
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            const auto eq = trimmed.find('=');
            if (eq != std::string_view::npos) {
                line.kind = Kind::Key;
                line.name = std::string(Trim(trimmed.substr(0, eq)));
                line.value = std::string(Trim(trimmed.substr(eq + 1)));
            }
        }
        doc.lines_.push_back(std::move(line));
        if (end == std::string_view::npos) break;
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    std::size_t size = 0;
    for (const auto& line : lines_) size += line.text.size() + 2;
    out.reserve(size);
    for (const auto& line : lines_) {
        out += line.text;
        out += "\r\n";
    }
    return out;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && EqualsIgnoringCase(lines_[i].name, section)) {
            std::size_t end = i + 1;
            while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
            return Range{i, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (lines_[i].kind == Kind::Key && EqualsIgnoringCase(lines_[i].name, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto at = FindKey(*range, key);
    if (!at) return std::nullopt;
    return lines_[*at].value;
}

std::optional<std::vector<std::string>> IniDocument::Keys(std::string_view section) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    std::vector<std::string> keys;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind == Kind::Key) keys.push_back(lines_[i].name);
    }
    return keys;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> names;
    // Names met so far, in lower case: one look-up per section.
    std::unordered_set<std::string> seen;
    for (const auto& line : lines_) {
        if (line.kind != Kind::Section) continue;
        std::string lower = line.name;
        for (char& c : lower) c = LowerAscii(c);
        if (seen.insert(std::move(lower)).second) names.push_back(line.name);
    }
    return names;
}

bool IniDocument::IsValidSectionName(std::string_view name) {
    return !Trim(name).empty() && Trim(name) == name && name.find(']') == std::string_view::npos && !HasLineBreak(name);
}

bool IniDocument::IsValidKeyName(std::string_view name) {
    return !Trim(name).empty() && Trim(name) == name && name.find('=') == std::string_view::npos &&
           name.front() != '[' && name.front() != ';' && !HasLineBreak(name);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key) || HasLineBreak(value)) return false;
    const std::string trimmedValue(Trim(value));
    auto range = FindSection(section);
    if (range) {
        if (const auto at = FindKey(*range, key)) {
            Line& line = lines_[*at];
            line.value = trimmedValue;
            line.text = line.name + "=" + trimmedValue;
            return true;
        }
    } else {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Line{});
        std::string header = "[";
        header.append(section).append("]");
        lines_.push_back(Line{std::move(header), Kind::Section, std::string(section), {}});
        range = Range{lines_.size() - 1, lines_.size()};
    }
    // After the section's last line that is not blank, so that blank lines
    // separating it from the next section stay where they are.
    std::size_t insertAt = range->end;
    while (insertAt > range->header + 1 && Trim(lines_[insertAt - 1].text).empty()) --insertAt;
    Line line{std::string(key) + "=" + trimmedValue, Kind::Key, std::string(key), trimmedValue};
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    return true;
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    const auto range = FindSection(section);
    if (!range) return false;
    const auto at = FindKey(*range, key);
    if (!at) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
    const auto range = FindSection(section);
    if (!range) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
    return true;
}

}  // namespace kivra
