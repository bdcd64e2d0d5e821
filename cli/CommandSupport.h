// What the trace commands of the command-line tool share: telling the user
// about a problem, loading a trace or ending the command, and writing the
// result to standard output or to a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "NumberFormat.h"
#include "Overhead.h"
#include "TimeRange.h"
#include "TraceLoad.h"

namespace CLI {
class App;
}

namespace kivra {

// "kivra: text" on standard error.
void PrintProblem(const std::string& text);

// Loads the trace, saying on standard error when the call tree stopped
// early. When the file cannot be read, says why and ends the command with
// exit status 1. The rows get no texts: the profile commands use the
// records' numbers.
TraceLoad LoadTraceOrExit(const std::string& path, std::string_view ParamChar, const NumberFormat& format);

// The same with the rows' texts, for the commands that show the call tree:
// says on standard error when the call tree stopped early or when the
// format's texts cannot be read back.
TraceLoad LoadTraceRowsOrExit(const std::string& path, std::string_view ParamChar, const NumberFormat& format);

// --correct-overhead and --overhead A,B, which implies the first.
struct OverheadArguments {
    bool correct = false;
    std::optional<std::string> given;
};
void AddOverheadOptions(CLI::App& command, OverheadArguments& args);

// The overhead to take out of the trace at `path`: nothing when not asked;
// the one given, else the one the trace states. When the trace states none,
// says so and ends the command with exit status 1.
std::optional<TimingOverhead> OverheadToCorrect(const OverheadArguments& args, const PadTrace& trace,
                                                const std::string& path);

// Takes the overhead out of the profile, saying on standard error how many
// calls were held at zero.
void CorrectProfile(CallProfile& profile, const TimingOverhead& overhead);

// --range START:END: only the time from START to END counts.
void AddRangeOption(CLI::App& command, std::optional<std::string>& range);

// The calls of `profile` over the range given (on the timeline of the
// overhead-corrected calls when `overhead` is given); a range that holds
// no call is said and ends the command with exit status 1.
RangedRun RangeOrExit(const std::string& text, const PadTrace& trace, const CallProfile& profile,
                      const std::optional<TimingOverhead>& overhead, const std::string& path);

// Writes the text to standard output (file empty or "-") or replaces the
// file whole. The file may not be one of `inputs`: reading a trace never
// changes it. On failure says why and ends the command with exit status 1.
void WriteResult(const std::string& file, std::string_view text, const std::vector<std::string>& inputs);

}  // namespace kivra
