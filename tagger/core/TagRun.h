// The tagging run: inserts a Start call after every selected procedure
// header and a St0p call before its early exits and its end.
#pragma once

#include <string_view>

#include "KeywordSections.h"
#include "RunObserver.h"
#include "SourceLines.h"
#include "TagOptions.h"

namespace kivra {

// Rewrites the text line by line, with the line ends that `ends` asks for.
// The prefix must have passed CheckPrefix. The observer, when given, sees
// the progress and the output as it grows.
RunResult TagText(std::string_view text, std::string_view prefix, const TagOptions& options,
                  const KeywordSections& keywords, RunObserver* observer = nullptr, LineEnds ends = LineEnds::EachCrLf);

}  // namespace kivra
