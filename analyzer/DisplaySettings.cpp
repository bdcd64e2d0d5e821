#include "DisplaySettings.h"

#include <cerrno>
#include <cstdlib>

#include "IniDocument.h"

namespace kivra {

std::optional<double> SettingAsNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    const std::string trimmed(text.substr(first, last - first + 1));
    // Only plain numbers: no hexadecimal, no infinities.
    for (const char c : trimmed) {
        if (!(c == '+' || c == '-' || c == '.' || c == ',' || (c >= '0' && c <= '9'))) return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);  // the user's decimal separator
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE) return std::nullopt;
    return value;
}

std::optional<bool> SettingAsBoolean(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    const std::string_view trimmed = first == std::string_view::npos ? "" : text.substr(first, last - first + 1);
    if (EqualsIgnoringCase(trimmed, "True")) return true;
    if (EqualsIgnoringCase(trimmed, "False")) return false;
    if (const auto number = SettingAsNumber(trimmed)) return *number != 0.0;
    return std::nullopt;
}

DisplaySettings ReadDisplaySettings(const ConfigClass& config) {
    DisplaySettings settings;
    settings.Format = config.Value("Application", "Format");
    settings.ParamChar = config.Value("Application", "ParamChar");
    settings.ShowTotal = SettingAsBoolean(config.Value("Application", "ShowTotal")).value_or(false);
    settings.ShowBars = SettingAsBoolean(config.Value("Application", "ShowBars")).value_or(false);
    return settings;
}

}  // namespace kivra
