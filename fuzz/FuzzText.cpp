// Bytes through decoding and the text helpers: a decoded file encodes back
// to its bytes, and lengths and prefixes count code points.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "TextEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kivra::DecodedText decoded = kivra::DecodeText(bytes);
    FUZZ_CHECK(kivra::IsValidUtf8(decoded.text), "decoded text is UTF-8");
    FUZZ_CHECK(kivra::EncodeText(decoded.text, decoded.encoding, decoded.hadByteOrderMark) == bytes,
               "decoded text encodes back to its bytes");
    FUZZ_CHECK(kivra::DecodeTextInPlace(std::string(bytes)).text == decoded.text, "both decodings agree");

    const std::size_t length = kivra::Utf8Length(decoded.text);
    for (const std::size_t n : {std::size_t{0}, length / 2, length, length + 1}) {
        const std::string_view prefix = kivra::Utf8Prefix(decoded.text, n);
        FUZZ_CHECK(decoded.text.starts_with(prefix), "a prefix is a prefix");
        FUZZ_CHECK(kivra::Utf8Length(prefix) == std::min(n, length), "a prefix has the code points asked for");
    }
    return 0;
}
