#include "TagPrefix.h"

#include <string>

#include "TextEncoding.h"

namespace kivra {

bool CheckPrefix(std::string_view prefix, MessageReporter& reporter) {
    bool usable = true;
    if (prefix.empty()) {
        reporter.Report("Tag Prefix is missing", MessageIcon::Question, std::string(kTaggerCaption));
        usable = false;
    }
    // Positions count characters from 1; no "." counts as position 0, which
    // an empty prefix matches with its length 0.
    const auto dot = prefix.find('.');
    const std::size_t dotPosition = dot == std::string_view::npos ? 0 : Utf8Length(prefix.substr(0, dot)) + 1;
    if (dotPosition != Utf8Length(prefix)) {
        reporter.Report("Tag Prefix does not end in '.' ", MessageIcon::Question, std::string(kTaggerCaption));
        usable = false;
    }
    // Untag and comment look for the prefix after a line's leading blanks,
    // tabs and apostrophes: lines tagged with such a prefix could never be
    // found again.
    if (!prefix.empty() && (prefix.front() == ' ' || prefix.front() == '\t' || prefix.front() == '\'')) {
        reporter.Report(std::string(kPrefixLeadMessage), MessageIcon::Question, std::string(kTaggerCaption));
        usable = false;
    }
    // Nor could an inserted line that a line break splits in two.
    if (prefix.find_first_of("\r\n") != std::string_view::npos) {
        reporter.Report(std::string(kPrefixLineBreakMessage), MessageIcon::Question, std::string(kTaggerCaption));
        usable = false;
    }
    return usable;
}

}  // namespace kivra
