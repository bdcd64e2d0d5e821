// The analyzer's display values and how they are read from the settings.
#pragma once

#include <string>

#include "ConfigClass.h"

namespace kivra {

struct DisplaySettings {
    std::string Format;     // number format pattern of the times
    std::string ParamChar;  // replaces every "~" of the data fields
    bool ShowTotal = false;
    bool ShowBars = false;
};

// Reads "Format", "ParamChar", "ShowTotal" and "ShowBars" of section
// "Application", in that order; a flag without a boolean reading is false.
DisplaySettings ReadDisplaySettings(const ConfigClass& config);

// What the user chose to look at, kept in section "View". Settings files
// from before these keys lack them: a missing key takes its default quietly.
struct ViewSettings {
    std::string Tab = "Call Tree";  // the caption of the tab shown
    bool FindCase = false;
    bool FindRegex = false;
    bool FindData = false;
    std::string CompareFile;       // the baseline of the Compare view; empty: none
    bool CorrectOverhead = false;  // take the timing overhead out, where the trace states it
};

ViewSettings ReadViewSettings(const ConfigClass& config);
void WriteViewSettings(const ConfigClass& config, const ViewSettings& settings);

}  // namespace kivra
