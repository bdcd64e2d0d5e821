// The analyzer's display values and how they are read from the settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ConfigClass.h"

namespace kivra {

struct DisplaySettings {
    std::string Format;     // number format pattern of the times
    std::string ParamChar;  // replaces every "~" of the data fields
    bool ShowTotal = false;
    bool ShowBars = false;
};

// "True" and "False" in any letter case, or a number (0 false, any other
// true). Anything else has no boolean reading.
std::optional<bool> SettingAsBoolean(std::string_view text);

// A whole or decimal number as the settings hold it, blanks around allowed.
std::optional<double> SettingAsNumber(std::string_view text);

// Reads "Format", "ParamChar", "ShowTotal" and "ShowBars" of section
// "Application", in that order; a flag without a boolean reading is false.
DisplaySettings ReadDisplaySettings(const ConfigClass& config);

}  // namespace kivra
