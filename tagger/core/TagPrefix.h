// The tag prefix: the object name, ending in ".", put in front of every
// inserted call and searched for by untag and comment.
#pragma once

#include <string_view>

#include "MessageReporter.h"

namespace kivra {

// Title of the prefix messages: the tagger window's caption.
inline constexpr std::string_view kTaggerCaption = "Kivra Code Auto Tag";

// The refusal of a prefix that untag and comment could not find again.
inline constexpr std::string_view kPrefixLeadMessage =
    "Tag Prefix begins with a blank, a tab or an apostrophe";

// True when the prefix may be used: it holds exactly one ".", as its last
// character, and does not begin with a blank, a tab or an apostrophe.
// Otherwise reports why ("Tag Prefix is missing", "Tag Prefix does not end
// in '.' ", kPrefixLeadMessage) with the question icon.
bool CheckPrefix(std::string_view prefix, MessageReporter& reporter);

}  // namespace kivra
