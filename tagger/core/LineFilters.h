// Untag and comment: line filters that remove the calls a tagging run
// inserted, or comment them out and back in.
#pragma once

#include <string_view>
#include <vector>

#include "RunObserver.h"
#include "SourceLines.h"

namespace kivra {

enum class CommentDirection { Out, BackIn };

// A line that a tagging run inserted with this prefix: after its leading
// blanks, tabs and apostrophes it begins with the prefix, letter case
// counting. A line that holds the prefix text elsewhere is user code.
bool IsTagLine(std::string_view line, std::string_view prefix);

// The tag lines of the prefix in a text, with their numbers (from 1);
// lines end at CR LF or a bare LF.
struct NumberedLine {
    std::size_t number = 0;
    std::string_view text;
};
std::vector<NumberedLine> TagLines(std::string_view text, std::string_view prefix);

// Drops the tag lines and copies the others, with the line ends that
// `ends` asks for. The prefix must have passed CheckPrefix.
RunResult UntagText(std::string_view text, std::string_view prefix, RunObserver* observer = nullptr,
                    LineEnds ends = LineEnds::EachCrLf);

// Out: puts an apostrophe in front of each tag line. Back in: removes the
// apostrophe that is the first character of a tag line other than blanks
// and tabs, keeping what stands before it. Other lines are copied.
RunResult CommentText(std::string_view text, std::string_view prefix, CommentDirection direction,
                      RunObserver* observer = nullptr, LineEnds ends = LineEnds::EachCrLf);

}  // namespace kivra
