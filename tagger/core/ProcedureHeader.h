// Reading a line of Basic source the way the tagging run does: its first
// words, the keyword lookup, and a header's name and parameters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "KeywordSections.h"
#include "TagOptions.h"

namespace kivra {

// The first three words of a line's working copy: the copy with blanks
// removed from both ends, split at every single blank (two blanks in a row
// give an empty word; a tab is neither removed nor a separator).
struct LineWords {
    std::string_view word[3];
    int count = 0;  // how many of the three exist

    // Word 1 and word 2 joined by their blank, as they stand in the line.
    std::string_view firstTwo;

    static LineWords Of(std::string_view workingCopy);
};

// The position (from 1) of the key whose phrase equals key, letter case
// ignored, or 0. A match of the Sub, Function or Property kind counts only
// when the options include that kind; a Sub whose name (the word tested
// for an event procedure) contains "_" also counts when event procedures
// are included.
int InKeys(const KeywordSection& section, std::string_view key, std::string_view name, const TagOptions& options);

// A header's procedure name, or nothing when none can be taken. The second
// blank-separated piece before its "(" when that piece holds the "(";
// otherwise the last word before the header's first "(", blanks right
// before it skipped.
std::optional<std::string_view> GetName(std::string_view t);

// The header's parameters as the Start call passes them: the names between
// the first "(" and the first ")" after it, without Optional, ByVal, ByRef
// and the type, joined by ", ". Empty without such a list.
std::string GetParameters(std::string_view t);

}  // namespace kivra
