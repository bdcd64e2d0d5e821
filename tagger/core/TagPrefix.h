// The tag prefix: the object name, ending in ".", put in front of every
// inserted call and searched for by untag and comment.
#pragma once

#include <string_view>

#include "MessageReporter.h"

namespace kivra {

// Title of the prefix messages: the tagger window's caption.
inline constexpr std::string_view kTaggerCaption = "Kivra Code Auto Tag";

// True when the prefix may be used: it holds exactly one ".", as its last
// character. Otherwise reports why ("Tag Prefix is missing", "Tag Prefix
// does not end in '.' ") with the question icon.
bool CheckPrefix(std::string_view prefix, MessageReporter& reporter);

}  // namespace kivra
