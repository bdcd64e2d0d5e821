#include "TraceSettings.h"

#include <charconv>

#include "ConfigClass.h"
#include "DefaultSettings.h"
#include "IniDocument.h"
#include "IniFileAccess.h"
#include "MessageReporter.h"
#include "ProgramValues.h"
#include "SettingValues.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

class SettingSource {
public:
    SettingSource() : shipped_(IniDocument::Parse(DefaultSettingsText())) {
        ProgramValues& program = Program();
        program.ProductName = "Kivra";
        program.ConfigFile = "Config.ini";
        SilentReporter quiet;
        user_ = LoadIniFile(ConfigClass(quiet).IniFilePath({}));
    }

    // The decoded value of the user's file, else of the shipped file.
    std::optional<std::string> Get(const char* section, const char* key) const {
        std::optional<std::string> stored;
        if (user_) stored = user_->Get(section, key);
        if (!stored) stored = shipped_.Get(section, key);
        if (!stored) return std::nullopt;
        return ConfigClass::DecodeStoredValue(Utf8Prefix(*stored, ConfigClass::kValueLimit));
    }
    std::optional<std::string> Shipped(const char* section, const char* key) const {
        auto stored = shipped_.Get(section, key);
        if (!stored) return std::nullopt;
        return ConfigClass::DecodeStoredValue(*stored);
    }

private:
    IniDocument shipped_;
    std::optional<IniDocument> user_;
};

std::optional<int> WholeNumber(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    std::string_view view = *text;
    while (!view.empty() && view.front() == ' ') view.remove_prefix(1);
    while (!view.empty() && view.back() == ' ') view.remove_suffix(1);
    int value = 0;
    const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
    if (view.empty() || result.ec != std::errc() || result.ptr != view.data() + view.size()) return std::nullopt;
    return value;
}

}  // namespace

bool SettingAsBoolean(const std::string& text) { return ReadSettingFlag(text).value_or(false); }

TraceSettings ResolveTraceSettings(const TraceOverrides& given) {
    const SettingSource source;
    TraceSettings settings;
    settings.format = given.format ? *given.format : source.Get("Application", "Format").value_or("");
    settings.paramChar = given.paramChar ? *given.paramChar : source.Get("Application", "ParamChar").value_or("");
    settings.showTotal =
        given.showTotal ? *given.showTotal : SettingAsBoolean(source.Get("Application", "ShowTotal").value_or("1"));
    for (std::size_t c = 0; c < settings.widths.size(); ++c) {
        if (given.widths.size() == settings.widths.size()) {
            settings.widths[c] = given.widths[c];
            continue;
        }
        const std::string key = std::to_string(c + 1);
        const auto width = WholeNumber(source.Get("Columns", key.c_str()));
        settings.widths[c] = width.value_or(WholeNumber(source.Shipped("Columns", key.c_str())).value_or(100));
        // A shown total column that was stored hidden gets the width it has
        // when shown again.
        if (c == 1 && settings.showTotal && settings.widths[c] == 0) settings.widths[c] = 100;
    }
    if (!settings.showTotal) settings.widths[1] = 0;
    return settings;
}

}  // namespace kivra
