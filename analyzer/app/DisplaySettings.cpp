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

ViewSettings ReadViewSettings(const ConfigClass& config) {
    ViewSettings settings;
    if (auto tab = config.ValueIfSet("View", "Tab"); tab && !tab->empty()) settings.Tab = std::move(*tab);
    auto flag = [&config](const char* key, bool& value) {
        if (const auto text = config.ValueIfSet("View", key)) value = ReadSettingFlag(*text).value_or(value);
    };
    flag("FindCase", settings.FindCase);
    flag("CorrectOverhead", settings.CorrectOverhead);
    flag("FindRegex", settings.FindRegex);
    flag("FindData", settings.FindData);
    if (auto file = config.ValueIfSet("View", "CompareFile")) settings.CompareFile = std::move(*file);
    return settings;
}

void WriteViewSettings(const ConfigClass& config, const ViewSettings& settings) {
    config.Value("View", "Tab", "", settings.Tab);
    config.Value("View", "FindCase", "", settings.FindCase ? "1" : "0");
    config.Value("View", "FindRegex", "", settings.FindRegex ? "1" : "0");
    config.Value("View", "FindData", "", settings.FindData ? "1" : "0");
    config.Value("View", "CompareFile", "", settings.CompareFile);
    config.Value("View", "CorrectOverhead", "", settings.CorrectOverhead ? "1" : "0");
}

}  // namespace kivra
