// Where the text report goes: "Temp.txt" in the program's folder, or in the
// settings folder when the program's folder cannot be written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

struct ReportFileResult {
    std::optional<std::filesystem::path> written;  // the file written, if any
    std::string message;                           // when none could be written
};

// Tries each folder in turn; the report replaces an earlier one whole.
ReportFileResult WriteReportFile(std::string_view text, const std::vector<std::filesystem::path>& folders);

inline constexpr const char* kReportFileName = "Temp.txt";

}  // namespace kivra
