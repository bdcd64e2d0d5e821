#include "InPlaceRun.h"

#include <nlohmann/json.hpp>

#include "AtomicFile.h"
#include "LineFilters.h"
#include "Platform.h"
#include "SourceLines.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;

std::size_t CountLines(std::string_view text) {
    return CountLineEnds(text) + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// Lines that differ between two texts of as many lines.
std::size_t ChangedLines(std::string_view before, std::string_view after) {
    std::size_t changed = 0;
    for (std::size_t a = 0, b = 0; a < before.size() && b < after.size();) {
        const SourceLine one = LineAt(before, a);
        const SourceLine two = LineAt(after, b);
        if (one.text != two.text) ++changed;
        a = AfterLine(a, one);
        b = AfterLine(b, two);
    }
    return changed;
}

FileOutcome Failed(FileOutcome outcome, std::string message) {
    outcome.status = FileStatus::Error;
    outcome.message = std::move(message);
    return outcome;
}

const char* StatusName(FileStatus status) {
    switch (status) {
    case FileStatus::Changed: return "changed";
    case FileStatus::Unchanged: return "unchanged";
    case FileStatus::WouldChange: return "would change";
    case FileStatus::Skipped: return "skipped";
    case FileStatus::Error: return "error";
    }
    return "";
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

FileOutcome RewriteFile(const fs::path& file, std::string_view prefix, const InPlaceOptions& options,
                        const TextRun& run) {
    FileOutcome outcome;
    outcome.file = platform::PathToUtf8(file);
    const fs::path target = RewriteTarget(file);
    const auto status = platform::StatusOf(target);
    if (!status || !status->regular) return Failed(outcome, "it is not a file that can be read");
    std::string why;
    const auto bytes = ReadFileBytes(target, &why, kMaxSourceBytes);
    if (!bytes) return Failed(outcome, "it cannot be read: " + why);
    const DecodedText source = DecodeText(*bytes);

    const bool tagged = options.operation == SourceOperation::Tag && !TagLines(source.text, prefix).empty();
    if (tagged && !options.force) {
        outcome.status = FileStatus::Skipped;
        outcome.message = "it holds tag lines of \"" + std::string(prefix) + "\" already (--force tags it again)";
        return outcome;
    }
    const std::string result = run(source.text).text;
    const std::size_t before = CountLines(source.text);
    const std::size_t after = CountLines(result);
    switch (options.operation) {
    case SourceOperation::Tag: outcome.inserted = after - std::min(after, before); break;
    case SourceOperation::Untag: outcome.removed = before - std::min(after, before); break;
    case SourceOperation::Comment: outcome.commented = ChangedLines(source.text, result); break;
    }
    const std::string encoded = EncodeText(result, source.encoding, source.hadByteOrderMark);
    if (encoded == *bytes) return outcome;  // unchanged
    if (options.operation == SourceOperation::Tag) {
        // The calls must come out again: untagging the new text gives the
        // file back, byte for byte (a file tagged already: what untagging
        // it gives), or the file stays as it is.
        auto untagged = [&](std::string_view text) {
            return EncodeText(UntagText(text, prefix, nullptr, LineEnds::AsInSource).text, source.encoding,
                              source.hadByteOrderMark);
        };
        if (untagged(result) != (tagged ? untagged(source.text) : *bytes)) {
            return Failed(outcome, "untagging the tagged text would not give the file back; it is left as it was");
        }
    }
    if (options.dryRun) {
        outcome.status = FileStatus::WouldChange;
        return outcome;
    }
    // A file without any write permission is the user's "do not touch".
    if ((status->permissions & 0222) == 0) return Failed(outcome, "it is read-only");
    if (!WriteFileAtomically(target, encoded, status->permissions, &why)) {
        return Failed(outcome, "it cannot be written: " + why);
    }
    outcome.status = FileStatus::Changed;
    return outcome;
}

std::string SummaryText(SourceOperation operation, const std::vector<FileOutcome>& outcomes) {
    std::size_t changed = 0, would = 0, unchanged = 0, skipped = 0, errors = 0, lines = 0;
    for (const FileOutcome& o : outcomes) {
        changed += o.status == FileStatus::Changed;
        would += o.status == FileStatus::WouldChange;
        unchanged += o.status == FileStatus::Unchanged;
        skipped += o.status == FileStatus::Skipped;
        errors += o.status == FileStatus::Error;
        lines += o.inserted + o.removed + o.commented;
    }
    const char* done = operation == SourceOperation::Tag     ? "inserted"
                       : operation == SourceOperation::Untag ? "removed"
                                                             : "commented";
    std::string text = would > 0 || changed == 0 ? Plural(would, "file would change", "files would change")
                                                 : Plural(changed, "file changed", "files changed");
    if (would > 0 && changed > 0) text += ", " + Plural(changed, "file changed", "files changed");
    text += ", " + std::to_string(unchanged) + " unchanged; " + Plural(lines, "line ", "lines ") + done;
    text += "; " + std::to_string(skipped) + " skipped; " + Plural(errors, "error", "errors");
    return text;
}

std::string SummaryJson(const std::vector<FileOutcome>& outcomes) {
    nlohmann::json files = nlohmann::json::array();
    nlohmann::json totals = {{"files", outcomes.size()},
                             {"changed", 0},
                             {"would_change", 0},
                             {"unchanged", 0},
                             {"skipped", 0},
                             {"errors", 0},
                             {"inserted", 0},
                             {"removed", 0},
                             {"commented", 0}};
    for (const FileOutcome& o : outcomes) {
        files.push_back({{"file", o.file},
                         {"status", StatusName(o.status)},
                         {"inserted", o.inserted},
                         {"removed", o.removed},
                         {"commented", o.commented},
                         {"message", o.message}});
        const char* key = o.status == FileStatus::Changed       ? "changed"
                          : o.status == FileStatus::WouldChange ? "would_change"
                          : o.status == FileStatus::Unchanged   ? "unchanged"
                          : o.status == FileStatus::Skipped     ? "skipped"
                                                                : "errors";
        totals[key] = totals[key].get<std::size_t>() + 1;
        for (const char* count : {"inserted", "removed", "commented"}) {
            totals[count] = totals[count].get<std::size_t>() + files.back()[count].get<std::size_t>();
        }
    }
    return nlohmann::json{{"files", std::move(files)}, {"totals", std::move(totals)}}.dump(
               2, ' ', false, nlohmann::json::error_handler_t::replace) +
           "\n";
}

std::string DryRunLine(const FileOutcome& o) {
    std::string line = o.file + ": ";
    switch (o.status) {
    case FileStatus::WouldChange:
        line += o.inserted > 0  ? "would insert " + Plural(o.inserted, "line", "lines")
                : o.removed > 0 ? "would remove " + Plural(o.removed, "line", "lines")
                                : "would comment " + Plural(o.commented, "line", "lines");
        break;
    case FileStatus::Unchanged: line += "nothing to change"; break;
    case FileStatus::Skipped: line += "would be skipped: " + o.message; break;
    case FileStatus::Error: line += "error: " + o.message; break;
    case FileStatus::Changed: line += "changed"; break;
    }
    return line + "\n";
}

TagLineReport FindTagLines(const fs::path& file, std::string_view prefix) {
    TagLineReport report;
    std::string why;
    const auto bytes = ReadFileBytes(file, &why, kMaxSourceBytes);
    if (!bytes) {
        report.error = "'" + platform::PathToUtf8(file) + "' cannot be read: " + why;
        return report;
    }
    const std::string text = DecodeText(*bytes).text;
    for (const NumberedLine& line : TagLines(text, prefix)) {
        report.lines +=
            platform::PathToUtf8(file) + ":" + std::to_string(line.number) + ": " + std::string(line.text) + "\n";
        ++report.count;
    }
    return report;
}

}  // namespace kivra
