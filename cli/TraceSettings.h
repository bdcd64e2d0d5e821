// The analyzer's display settings as the command-line tool uses them: an
// option given wins, else the settings file's value when it has the key,
// else the value the product ships with. Reading is quiet: no messages for
// missing keys or files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kivra {

struct TraceSettings {
    std::string format;
    std::string paramChar;
    bool showTotal = true;
    std::array<int, 6> widths{};  // "Columns" 1 to 6, in the grid's unit
};

struct TraceOverrides {
    std::optional<std::string> format;
    std::optional<std::string> paramChar;
    std::optional<bool> showTotal;
    std::vector<int> widths;  // empty or six
};

TraceSettings ResolveTraceSettings(const TraceOverrides& given);

// "True"/"False" in any letter case, or a number (0 is false); anything else
// is false.
bool SettingAsBoolean(const std::string& text);

}  // namespace kivra
