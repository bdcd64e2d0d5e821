// Reading a PAD trace file: seven header lines, then one record per line with
// the fields Name|Order|Depth|Start|Stop|DataIn|DataLog|DataOut.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "LoadProgress.h"
#include "NumberFormat.h"
#include "PadRecord.h"

namespace kivra {

// A trace file starts with seven header lines.
inline constexpr std::size_t kPadHeaderLines = 7;

// Why a file could not be read.
struct PadReadError {
    std::string file;
    std::size_t line = 0;  // 0 when the problem is not on one line
    std::string problem;

    // One message for the user, naming the file, the line and the problem.
    std::string Message() const;
};

struct PadReadResult {
    PadTrace trace;  // records only when the file was read whole
    std::optional<PadReadError> error;
    // Lines 2 and 4 were read: the trace's header lines are the file's,
    // whatever failed after them.
    bool headerLinesRead = false;
};

// How much a reading takes before it refuses a file (the defaults are a
// trace file's limits), and where it tells how far it has come.
struct PadReadOptions {
    std::size_t maxRecords = kMaxRecords;
    std::size_t maxTraceBytes = kMaxTraceBytes;   // the most a file may hold before its records end
    std::size_t wholeFileBytes = kMaxTraceBytes;  // a file no larger is read in one piece
    ProgressStep progress;                        // the share of the file read and parsed
};

// Reads a whole trace file. An empty path reads nothing and gives an empty
// trace. Numbers follow the locale's decimal and group separators; text is
// UTF-8 when valid, else Windows-1252; lines end in CR LF, LF or CR. Empty
// lines at the very end are ignored. The file is only read, never changed.
PadReadResult ReadPadFile(const std::filesystem::path& path, std::string_view ParamChar,
                          const NumberLocale& locale = NumberLocale::Current(), const PadReadOptions& options = {});

// The same for text already in memory (UTF-8); `file` names it in messages.
PadReadResult ParsePadText(std::string_view text, std::string_view file, std::string_view ParamChar,
                           const NumberLocale& locale = NumberLocale::Current(), const PadReadOptions& options = {});

// The same for text that `texts` holds already: the records point into it
// and the trace keeps `texts`.
PadReadResult ParseKeptPadText(std::string_view text, std::shared_ptr<TraceTexts> texts, std::string_view file,
                               std::string_view ParamChar, const NumberLocale& locale, const PadReadOptions& options);

}  // namespace kivra
