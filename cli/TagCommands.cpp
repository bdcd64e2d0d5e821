#include "TagCommands.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "ConfigClass.h"
#include "InPlaceRun.h"
#include "IniFileAccess.h"
#include "KeywordSections.h"
#include "LineFilters.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ProjectFiles.h"
#include "SourceLines.h"
#include "TagPrefix.h"
#include "TagRun.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFallbackPrefix = "Kivra.";

// What the three commands share.
struct SourceOptions {
    std::vector<std::string> paths;
    std::string output;
    std::string prefix;
    CLI::Option* prefixOption = nullptr;
    bool inPlace = false;
    bool dryRun = false;
    bool force = false;
    bool json = false;
};

struct TagCommandOptions {
    SourceOptions source;
    bool noSubs = false;
    bool noFunctions = false;
    bool noProperties = false;
    bool noEvents = false;
    bool noParameters = false;
    std::string keywords;
};

struct CommentCommandOptions {
    SourceOptions source;
    bool out = false;
    bool backIn = false;
};

[[noreturn]] void Fail() { throw CLI::RuntimeError(1); }

StreamReporter& Errors() {
    static StreamReporter reporter(std::cerr, "kivra");
    return reporter;
}

void ReportError(const std::string& text) { Errors().Report(text, MessageIcon::Critical); }

// The tagger's settings file, read as it stands: no messages for what it
// lacks. Nothing when there is no such file.
std::optional<IniDocument> ReadSettingsFile(std::string& path) {
    ProgramValues& program = Program();
    program.ProductName = "Kivra";
    program.ConfigFile = "Config.INI";
    if (program.AppVersion.empty()) program.AppVersion = "0.1.0";
    SilentReporter silent;
    path = ConfigClass(silent).IniFilePath({});
    return LoadIniFile(path);
}

std::string PrefixInForce(const SourceOptions& options, const std::optional<IniDocument>& settings) {
    if (options.prefixOption->count() > 0) return options.prefix;
    if (settings) {
        if (const auto stored = settings->Get("Tag Application", "KivraPrefix")) {
            return ConfigClass::DecodeStoredValue(*stored);
        }
    }
    return std::string(kFallbackPrefix);
}

DecodedText ReadSource(const std::string& file) {
    if (file == "-") {
        std::string bytes;
        char block[1 << 16];
        while (std::cin.read(block, sizeof block) || std::cin.gcount() > 0) {
            bytes.append(block, static_cast<std::size_t>(std::cin.gcount()));
            if (bytes.size() > kMaxSourceBytes) {
                ReportError("Cannot read the standard input: it is larger than " + MegabytesText(kMaxSourceBytes) +
                            ", more than a Basic source file holds.");
                Fail();
            }
        }
        if (std::cin.bad()) {
            ReportError("Cannot read the standard input.");
            Fail();
        }
        return DecodeTextInPlace(std::move(bytes));
    }
    std::string why;
    auto bytes = ReadFileBytes(platform::PathFromUtf8(file), &why, kMaxSourceBytes);
    if (!bytes) {
        ReportError("Cannot read '" + file + "': " + why);
        Fail();
    }
    return DecodeTextInPlace(std::move(*bytes));
}

void WriteToFile(const std::string& output, std::string_view bytes) {
    const fs::path target = RewriteTarget(platform::PathFromUtf8(output));
    const auto status = platform::StatusOf(target);
    if (status && !status->regular && !status->directory) {
        // A device or a pipe cannot be replaced: write into it.
        std::ofstream out(target, std::ios::binary);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
            ReportError("Cannot write to '" + output + "'.");
            Fail();
        }
        return;
    }
    std::string why = "it is a folder";
    if ((status && status->directory) ||
        !WriteFileAtomically(target, bytes, status ? status->permissions : NewFileMode(), &why)) {
        ReportError("Cannot write to '" + output + "': " + why);
        Fail();
    }
}

// Hands the output of a run to the standard output as it is produced, in
// large blocks and in the source's encoding, so that a big file never sits
// in memory twice.
class StandardOutputWriter : public RunObserver {
public:
    StandardOutputWriter(TextEncoding encoding, bool byteOrderMark)
        : encoding_(encoding), buffer_(EncodeText({}, encoding, byteOrderMark)) {
        buffer_.reserve(kBlock + 4096);
    }
    bool AtCheckpoint(std::size_t, std::size_t) override { return false; }
    bool TakesOutput() const override { return true; }
    void Append(std::string_view lines) override {
        if (encoding_ == TextEncoding::Utf8) {
            buffer_ += lines;
        } else {
            buffer_ += EncodeText(lines, encoding_);
        }
        if (buffer_.size() >= kBlock) Flush();
    }
    void Flush() {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
    bool Finish() {
        Flush();
        return !failed_ && std::fflush(stdout) == 0;
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    TextEncoding encoding_;
    std::string buffer_;
    bool failed_ = false;
};

[[noreturn]] void UsageError(const std::string& text) { throw CLI::ValidationError(text); }

// Rewrites every file the paths name in place (or says what it would do),
// then sums up. Fails when any file had an error.
template <class Run>
void RunInPlace(const SourceOptions& options, SourceOperation operation, const std::string& prefix, Run&& run) {
    const SourceFileList list = ExpandSourcePaths(options.paths);
    std::vector<FileOutcome> outcomes;
    for (const std::string& problem : list.problems) {
        FileOutcome missing;
        missing.status = FileStatus::Error;
        missing.message = problem;
        outcomes.push_back(std::move(missing));
    }
    InPlaceOptions how{operation, options.dryRun, options.force};
    for (const fs::path& file : list.files) {
        FileOutcome outcome = RewriteFile(file, prefix, how, [&](std::string_view text) {
            return run(text, std::string_view(prefix), static_cast<RunObserver*>(nullptr));
        });
        if (options.dryRun && !options.json) std::cout << DryRunLine(outcome);
        if (!options.dryRun && (outcome.status == FileStatus::Skipped || outcome.status == FileStatus::Error)) {
            Errors().Report("'" + outcome.file + "' " +
                                (outcome.status == FileStatus::Skipped ? "skipped: " : "left as it was: ") +
                                outcome.message,
                            outcome.status == FileStatus::Skipped ? MessageIcon::Exclamation : MessageIcon::Critical);
        }
        outcomes.push_back(std::move(outcome));
    }
    for (const FileOutcome& outcome : outcomes) {
        if (outcome.file.empty()) Errors().Report(outcome.message, MessageIcon::Critical);
    }
    if (options.json) std::cout << SummaryJson(outcomes);
    std::cout.flush();
    std::cerr << "kivra: " << SummaryText(operation, outcomes) << "\n";
    for (const FileOutcome& outcome : outcomes) {
        if (outcome.status == FileStatus::Error) Fail();
    }
}

// Reads the source, checks the prefix, runs, and writes the result in the
// source's own encoding; with -i, --dry-run or several files, each file in
// place.
template <class Run>
void RunOnSource(const SourceOptions& options, std::optional<IniDocument>& settings, SourceOperation operation,
                 Run&& run) {
    const bool several = options.paths.size() > 1 || NamesSeveralFiles(options.paths.front());
    if ((options.inPlace || options.dryRun) && !options.output.empty())
        UsageError("-o goes with one file only, not -i");
    if (options.inPlace || options.dryRun) {
        if (std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end()) {
            UsageError("the standard input cannot be rewritten in place");
        }
    } else if (several) {
        UsageError("several files, a folder or a project are rewritten in place only: give -i (or --dry-run)");
    }
    const std::string prefix = PrefixInForce(options, settings);
    if (!CheckPrefix(prefix, Errors())) Fail();
    if (options.inPlace || options.dryRun) return RunInPlace(options, operation, prefix, run);

    const std::string& file = options.paths.front();
    const DecodedText source = ReadSource(file);
    if (operation == SourceOperation::Tag && options.force == false && !TagLines(source.text, prefix).empty()) {
        Errors().Report("'" + file + "' holds tag lines of \"" + prefix +
                            "\" already; tagging it again doubles every "
                            "call",
                        MessageIcon::Exclamation);
    }
    if (options.output.empty() || options.output == "-") {
        StandardOutputWriter writer(source.encoding, source.hadByteOrderMark);
        run(source.text, prefix, &writer);
        if (!writer.Finish()) {
            ReportError("Cannot write to the standard output.");
            Fail();
        }
        return;
    }
    const RunResult result = run(source.text, prefix, nullptr);
    // UTF-8 without a byte-order mark is written as it stands, without a copy.
    const bool plain = source.encoding == TextEncoding::Utf8 && !source.hadByteOrderMark;
    const std::string encoded =
        plain ? std::string() : EncodeText(result.text, source.encoding, source.hadByteOrderMark);
    WriteToFile(options.output, plain ? std::string_view(result.text) : std::string_view(encoded));
}

void AddPathOption(CLI::App& command, std::vector<std::string>& paths) {
    command
        .add_option("PATH", paths,
                    "Basic source files (.bas, .frm, .cls, .ctl, .pag, .dob, .dsr), folders (searched "
                    "recursively), projects (.vbp) or project groups (.vbg); - for the standard input")
        ->required();
}

void AddPrefixOption(CLI::App& command, SourceOptions& options) {
    options.prefixOption = command.add_option(
        "--prefix", options.prefix, "Tag prefix: an object name ending in \".\" (default: the settings' KivraPrefix)");
}

void AddSourceOptions(CLI::App& command, SourceOptions& options) {
    AddPathOption(command, options.paths);
    AddPrefixOption(command, options);
    command.add_option("-o,--output", options.output,
                       "Write the result to this file instead of the standard output (may be FILE itself); one "
                       "file only");
    command.add_flag("-i,--in-place", options.inPlace,
                     "Rewrite each file in place, atomically, keeping its permissions, encoding and line ends");
    command.add_flag("--dry-run", options.dryRun, "Change nothing; say for each file what would happen");
    command.add_flag("--json", options.json, "With -i or --dry-run: the summary as one JSON object on stdout");
    command.footer(
        "With -i, each file is handled on its own and never half-written; a summary goes to stderr. "
        "Exit status: 0 when all went well, 1 when a file had an error or the prefix is refused, 2 on a "
        "usage error.");
}

// Lists the tag lines of the prefix in every file the paths name; fails
// when there is any, so that no timing call ships.
void RunCheck(const SourceOptions& options) {
    std::string settingsPath;
    auto settings = ReadSettingsFile(settingsPath);
    const std::string prefix = PrefixInForce(options, settings);
    if (!CheckPrefix(prefix, Errors())) Fail();
    const SourceFileList list = ExpandSourcePaths(options.paths);
    bool failed = false;
    for (const std::string& problem : list.problems) {
        ReportError(problem);
        failed = true;
    }
    std::size_t count = 0;
    std::size_t files = 0;
    std::string out;
    for (const fs::path& file : list.files) {
        const TagLineReport report = FindTagLines(file, prefix);
        if (!report.error.empty()) {
            ReportError(report.error);
            failed = true;
        }
        out += report.lines;
        if (out.size() >= (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
        count += report.count;
        files += report.count > 0 ? 1 : 0;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    if (count > 0) {
        std::cerr << "kivra: " << count << (count == 1 ? " tag line" : " tag lines") << " of \"" << prefix << "\" in "
                  << files << (files == 1 ? " file" : " files") << "\n";
    }
    if (count > 0 || failed) Fail();
}

}  // namespace

void AddTagCommands(CLI::App& app) {
    auto tag = std::make_shared<TagCommandOptions>();
    CLI::App* tagCommand =
        app.add_subcommand("tag", "Insert timing calls after procedure headers and before their exits and ends.");
    AddSourceOptions(*tagCommand, tag->source);
    tagCommand->add_flag("--force", tag->source.force,
                         "Tag files that hold tag lines of the prefix already (every call then comes twice)");
    tagCommand->add_flag("--no-subs", tag->noSubs, "Leave Subs out");
    tagCommand->add_flag("--no-functions", tag->noFunctions, "Leave Functions out");
    tagCommand->add_flag("--no-properties", tag->noProperties, "Leave Properties out");
    tagCommand->add_flag("--no-events", tag->noEvents, "Leave event procedures (names with \"_\") out");
    tagCommand->add_flag("--no-parameters", tag->noParameters, "Do not pass the parameters in the Start call");
    tagCommand->add_option("--keywords", tag->keywords,
                           "INI file with the sections \"Tag Start\", \"Tag Exit\" and \"Tag Stop\" "
                           "(default: the settings file, else the shipped ones)");
    tagCommand->callback([tag] {
        std::string settingsPath;
        auto settings = ReadSettingsFile(settingsPath);
        // Read once, at the first file: after the prefix has passed.
        std::optional<KeywordSections> keywords;
        auto keywordsInForce = [&]() -> const KeywordSections& {
            if (keywords) return *keywords;
            if (!tag->keywords.empty()) {
                std::string why;
                auto loaded = LoadKeywordFile(tag->keywords, Errors(), &why);
                if (!loaded) {
                    ReportError("Cannot read '" + tag->keywords + "': " + why);
                    Fail();
                }
                keywords = std::move(*loaded);
            } else if (settings) {
                keywords = ReadKeywordSections(*settings, settingsPath, Errors());
            } else {
                keywords = ShippedKeywordSections();
            }
            return *keywords;
        };
        TagOptions options;
        options.chkSubs = !tag->noSubs;
        options.chkFunctions = !tag->noFunctions;
        options.chkProperties = !tag->noProperties;
        options.chkFormEvents = !tag->noEvents;
        options.chkParameters = !tag->noParameters;
        RunOnSource(tag->source, settings, SourceOperation::Tag,
                    [&](std::string_view text, std::string_view prefix, RunObserver* observer) {
                        return TagText(text, prefix, options, keywordsInForce(), observer, LineEnds::AsInSource);
                    });
    });

    auto check = std::make_shared<SourceOptions>();
    CLI::App* checkCommand = app.add_subcommand(
        "check", "List every timing call of the prefix left in the sources (file:line: text), so that none ships.");
    AddPathOption(*checkCommand, check->paths);
    AddPrefixOption(*checkCommand, *check);
    checkCommand->footer(
        "Exit status: 0 when no source holds a timing call, 1 when one does or a file cannot be "
        "read, 2 on a usage error.");
    checkCommand->callback([check] { RunCheck(*check); });

    auto untag = std::make_shared<SourceOptions>();
    CLI::App* untagCommand = app.add_subcommand("untag", "Remove the timing calls that tag inserted.");
    AddSourceOptions(*untagCommand, *untag);
    untagCommand->callback([untag] {
        std::string settingsPath;
        auto settings = ReadSettingsFile(settingsPath);
        RunOnSource(*untag, settings, SourceOperation::Untag,
                    [](std::string_view text, std::string_view prefix, RunObserver* observer) {
                        return UntagText(text, prefix, observer, LineEnds::AsInSource);
                    });
    });

    auto comment = std::make_shared<CommentCommandOptions>();
    CLI::App* commentCommand =
        app.add_subcommand("comment", "Comment the timing calls out (--out) or back in (--back-in).");
    AddSourceOptions(*commentCommand, comment->source);
    CLI::Option_group* direction = commentCommand->add_option_group("direction");
    direction->add_flag("--out", comment->out, "Put an apostrophe in front of each timing call");
    direction->add_flag("--back-in", comment->backIn, "Remove the apostrophe in front of each timing call");
    direction->require_option(1);
    commentCommand->callback([comment] {
        std::string settingsPath;
        auto settings = ReadSettingsFile(settingsPath);
        const CommentDirection way = comment->out ? CommentDirection::Out : CommentDirection::BackIn;
        RunOnSource(comment->source, settings, SourceOperation::Comment,
                    [way](std::string_view text, std::string_view prefix, RunObserver* observer) {
                        return CommentText(text, prefix, way, observer, LineEnds::AsInSource);
                    });
    });
}

}  // namespace kivra
