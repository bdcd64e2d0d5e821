#include "SettingValues.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "IniDocument.h"

namespace kivra {

std::optional<double> ReadSettingNumber(std::string_view text) {
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

std::optional<bool> ReadSettingFlag(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    const std::string_view trimmed = first == std::string_view::npos ? "" : text.substr(first, last - first + 1);
    if (EqualsIgnoringCase(trimmed, "True")) return true;
    if (EqualsIgnoringCase(trimmed, "False")) return false;
    if (const auto number = ReadSettingNumber(trimmed)) return *number != 0.0;
    return std::nullopt;
}

}  // namespace kivra
