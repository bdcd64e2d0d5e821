// Rewriting source files in place for kivra tag, untag and comment, each
// file on its own and never half-written, and kivra check.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "RunObserver.h"

namespace kivra {

enum class SourceOperation { Tag, Untag, Comment };

enum class FileStatus {
    Changed,      // rewritten
    Unchanged,    // nothing to change
    WouldChange,  // a dry run's changed
    Skipped,      // left alone on purpose (already tagged)
    Error,        // left as it was: unreadable, unwritable, unsafe
};

struct FileOutcome {
    std::string file;
    FileStatus status = FileStatus::Unchanged;
    std::size_t inserted = 0;
    std::size_t removed = 0;
    std::size_t commented = 0;
    std::string message;  // why it was skipped or failed
};

struct InPlaceOptions {
    SourceOperation operation = SourceOperation::Tag;
    bool dryRun = false;
    bool force = false;  // tag a file that holds tag lines already
};

// The operation's run over a file's text, lines keeping their ends.
using TextRun = std::function<RunResult(std::string_view text)>;

// Reads, runs and rewrites one file atomically, keeping its permissions,
// encoding, byte-order mark and line ends. A tagged text is written only
// when untagging it gives back the file's bytes.
FileOutcome RewriteFile(const std::filesystem::path& file, std::string_view prefix, const InPlaceOptions& options,
                        const TextRun& run);

// The summary line for stderr, and the same as one JSON object.
std::string SummaryText(SourceOperation operation, const std::vector<FileOutcome>& outcomes);
std::string SummaryJson(const std::vector<FileOutcome>& outcomes);
// What a dry run would do to one file, for stdout.
std::string DryRunLine(const FileOutcome& outcome);

// The tag lines of the prefix in a file, as "file:line: text" lines.
struct TagLineReport {
    std::string lines;
    std::size_t count = 0;
    std::string error;  // the file could not be read
};
TagLineReport FindTagLines(const std::filesystem::path& file, std::string_view prefix);

}  // namespace kivra
