#include "DisplaySettings.h"

#include "SettingValues.h"

namespace kivra {

DisplaySettings ReadDisplaySettings(const ConfigClass& config) {
    DisplaySettings settings;
    settings.Format = config.Value("Application", "Format");
    settings.ParamChar = config.Value("Application", "ParamChar");
    settings.ShowTotal = ReadSettingFlag(config.Value("Application", "ShowTotal")).value_or(false);
    settings.ShowBars = ReadSettingFlag(config.Value("Application", "ShowBars")).value_or(false);
    return settings;
}

}  // namespace kivra
