// A number format pattern and a value: formatting, reading the text back,
// and doing both at once agree with each other.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One byte for the locale, four for the value, the rest is the pattern.
    if (size < 5) return 0;
    const kivra::NumberLocale locale =
        (data[0] & 1) != 0 ? kivra::NumberLocale{",", "."} : kivra::NumberLocale{".", ","};
    float value = 0.0f;
    std::memcpy(&value, data + 1, sizeof value);
    const std::string_view pattern(reinterpret_cast<const char*>(data + 5), size - 5);

    const kivra::NumberFormat format(pattern, locale);
    const std::string text = format.Format(value);
    std::string both;
    const std::optional<float> readAtOnce = format.AppendFormattedAndRead(both, value);
    FUZZ_CHECK(both == text, "formatting alone and with the reading give the same text");
    const std::optional<float> readBack = format.Read(text);
    FUZZ_CHECK(readAtOnce.has_value() == readBack.has_value(), "both readings read, or neither");
    if (readAtOnce && readBack) {
        FUZZ_CHECK(*readAtOnce == *readBack || (std::isnan(*readAtOnce) && std::isnan(*readBack)),
                   "both readings give the same number");
    }
    FUZZ_CHECK(format.Read(format.Plain(value)).has_value() || !std::isfinite(value), "a plain number reads back");
    return 0;
}
