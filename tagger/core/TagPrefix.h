// The tag prefix: the object name, ending in ".", put in front of every
// inserted call and searched for by untag and comment.
#pragma once

#include <string_view>

#include "MessageReporter.h"

namespace kivra {

// Title of the prefix messages: the tagger window's caption.
inline constexpr std::string_view kTaggerCaption = "Kivra Code Auto Tag";

// The refusal of a prefix that untag and comment could not find again.
inline constexpr std::string_view kPrefixLeadMessage = "Tag Prefix begins with a blank, a tab or an apostrophe";
inline constexpr std::string_view kPrefixLineBreakMessage = "Tag Prefix holds a line break";

// True when the prefix may be used: it holds exactly one ".", as its last
// character, does not begin with a blank, a tab or an apostrophe and holds
// no line break. Otherwise reports why ("Tag Prefix is missing", "Tag Prefix
// does not end in '.' ", kPrefixLeadMessage, kPrefixLineBreakMessage) with
// the question icon.
bool CheckPrefix(std::string_view prefix, MessageReporter& reporter);

}  // namespace kivra
