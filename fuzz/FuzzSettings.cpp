// A settings file's text and an edit: parsing, changing, writing and
// parsing again keep what was there and what was written.
#include <cstdint>
#include <string>
#include <string_view>

#include "ConfigClass.h"
#include "FuzzCheck.h"
#include "IniDocument.h"
#include "TextEncoding.h"

namespace {

// Values that hold the stored forms' own marks do not read back as they
// were; existing files share the format, so that stays.
bool HoldsStoredMarks(std::string_view value) {
    const std::string lower = kivra::LowerAscii(value);
    return value.starts_with('~') || value.ends_with('~') || lower.find("<cr>") != std::string::npos ||
           lower.find("<nullstring>") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The file's text, then section, key and value, separated by NULs.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[4];
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t nul = i < 3 ? input.find('\0', pos) : std::string_view::npos;
        if (pos > input.size()) return 0;
        parts[i] = input.substr(pos, nul == std::string_view::npos ? std::string_view::npos : nul - pos);
        if (nul == std::string_view::npos && i < 3) return 0;
        pos = nul + 1;
    }
    const auto [text, section, key, value] = parts;

    kivra::IniDocument doc = kivra::IniDocument::Parse(text);
    const std::string written = doc.Serialize();
    FUZZ_CHECK(kivra::IniDocument::Parse(written).Serialize() == written, "a written file reads back the same");

    const std::string stored = kivra::ConfigClass::EncodeStoredValue(value);
    if (!doc.Set(section, key, stored)) return 0;
    const kivra::IniDocument again = kivra::IniDocument::Parse(doc.Serialize());
    const auto read = again.Get(section, key);
    FUZZ_CHECK(read.has_value() && *read == stored, "a written value is in the file as written");
    if (!HoldsStoredMarks(value)) {
        FUZZ_CHECK(kivra::ConfigClass::DecodeStoredValue(*read) == value ||
                       value.find_first_of("\r\n") != std::string_view::npos,
                   "a written value reads back");
    }
    return 0;
}
