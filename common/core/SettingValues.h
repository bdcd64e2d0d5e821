// Reading the settings' texts as numbers and flags, the same way in the
// windows and in the command-line tool.
#pragma once

#include <optional>
#include <string_view>

namespace kivra {

// A whole or decimal number (the user's decimal separator), blanks around
// allowed; nothing for any other text.
std::optional<double> ReadSettingNumber(std::string_view text);

// "True" and "False" in any letter case, or a number (0 false, any other
// true); nothing for any other text.
std::optional<bool> ReadSettingFlag(std::string_view text);

}  // namespace kivra
