#include "CommandSupport.h"

#include "Platform.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "AtomicFile.h"
#include "OwnTimes.h"

namespace kivra {

void PrintProblem(const std::string& text) { std::cerr << "kivra: " << text << '\n'; }

TraceLoad LoadTraceOrExit(const std::string& path, std::string_view ParamChar, const NumberFormat& format) {
    TraceLoad load = LoadTrace(platform::PathFromUtf8(path), ParamChar, format, {}, RowTexts::Omitted);
    if (load.error) {
        PrintProblem(load.error->Message());
        throw CLI::RuntimeError(1);
    }
    if (!load.tree.StopMessage.empty()) PrintProblem(path + ": " + load.tree.StopMessage);
    return load;
}

TraceLoad LoadTraceRowsOrExit(const std::string& path, std::string_view ParamChar, const NumberFormat& format) {
    TraceLoad load = LoadTrace(platform::PathFromUtf8(path), ParamChar, format);
    if (load.error) {
        PrintProblem(load.error->Message());
        throw CLI::RuntimeError(1);
    }
    if (!load.tree.StopMessage.empty()) PrintProblem(load.tree.StopMessage);
    if (load.timesUnreadable) PrintProblem(UnreadableTimeFormatMessage(format.Pattern()));
    return load;
}

void AddOverheadOptions(CLI::App& command, OverheadArguments& args) {
    command.add_flag("--correct-overhead", args.correct,
                     "Take the timing object's own cost, as the trace's seventh header line states it, out of "
                     "every call's times");
    command
        .add_option("--overhead", args.given,
                    "The timing object's cost per call as A,B: A ms inside the call, B ms in its caller's time "
                    "(for a trace that does not state it; implies --correct-overhead)")
        ->type_name("A,B")
        ->check([](const std::string& text) {
            return ReadOverheadPair(text) ? std::string() : std::string("give two numbers of 0 or more, as A,B");
        });
}

std::optional<TimingOverhead> OverheadToCorrect(const OverheadArguments& args, const PadTrace& trace,
                                                const std::string& path) {
    if (args.given) return ReadOverheadPair(*args.given);
    if (!args.correct) return std::nullopt;
    if (const std::optional<TimingOverhead> stated = ReadOverheadLine(trace.OverheadLine)) return stated;
    PrintProblem(path + ": the trace does not state the timing overhead (header line 7); give it with --overhead A,B.");
    throw CLI::RuntimeError(1);
}

void CorrectProfile(CallProfile& profile, const TimingOverhead& overhead) {
    const int clamped = CorrectForOverhead(profile, overhead);
    if (clamped > 0) PrintProblem(ClampedCallsMessage(clamped));
}

void WriteResult(const std::string& file, std::string_view text, const std::vector<std::string>& inputs) {
    namespace fs = std::filesystem;
    if (file.empty() || file == "-") {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
            PrintProblem("Cannot write to standard output.");
            throw CLI::RuntimeError(1);
        }
        return;
    }
    for (const std::string& input : inputs) {
        std::error_code error;
        if (fs::equivalent(platform::PathFromUtf8(file), platform::PathFromUtf8(input), error)) {
            PrintProblem("Will not write over the trace \"" + input + "\" that is being read; choose another file.");
            throw CLI::RuntimeError(1);
        }
    }
    std::string why;
    if (!WriteFileAtomically(platform::PathFromUtf8(file), text, NewFileMode(), &why)) {
        PrintProblem("Cannot write \"" + file + "\"" + (why.empty() ? std::string(".") : ": " + why + "."));
        throw CLI::RuntimeError(1);
    }
}

void AddRangeOption(CLI::App& command, std::optional<std::string>& range) {
    command
        .add_option("--range", range,
                    "Count only the time from START to END (milliseconds of the trace's own clock, as in the "
                    "file; with the overhead taken out, of the calls as they lie with it cut out): each call's "
                    "span clipped to it, a call counted when its span overlaps it")
        ->type_name("START:END")
        ->check([](const std::string& text) {
            std::string why;
            return ParseTimeRange(text, why) ? std::string() : why;
        });
}

RangedRun RangeOrExit(const std::string& text, const PadTrace& trace, const CallProfile& profile,
                      const std::optional<TimingOverhead>& overhead, const std::string& path) {
    std::string why;
    const std::optional<TimeRange> range = ParseTimeRange(text, why);
    if (!range) {
        PrintProblem(why);
        throw CLI::RuntimeError(2);
    }
    const Timeline timeline = overhead ? CorrectedTimeline(trace, profile, *overhead) : NestedTimeline(trace, profile);
    RangedRun run = RestrictToRange(profile, timeline, *range);
    if (run.Profile.Calls.empty()) {
        PrintProblem(path + ": no call lies in the range " + TimeRangeText(*range) + ".");
        throw CLI::RuntimeError(1);
    }
    return run;
}

}  // namespace kivra
