// Program-wide values that each program's main window sets first thing.
#pragma once

#include <string>

namespace kivra {

struct ProgramValues {
    std::string ProductName;  // names the settings folder
    std::string ConfigFile;   // default settings file name inside it
    std::string AppVersion;   // shown in the About dialog
    std::string HelpFile;     // full path of the program's help file
};

// The one instance of the running program.
ProgramValues& Program();

}  // namespace kivra
