// Source text, options and a prefix through tagging, untagging and
// commenting: untag gives back what tag was given, and comment out, then
// back in, gives back the text, byte for byte.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "KeywordSections.h"
#include "LineFilters.h"
#include "MessageReporter.h"
#include "SourceLines.h"
#include "TagPrefix.h"
#include "TagRun.h"

namespace {

bool HasTagLine(std::string_view text, std::string_view prefix) {
    for (std::size_t pos = 0; pos < text.size();) {
        const kivra::SourceLine line = kivra::LineAt(text, pos);
        if (kivra::IsTagLine(line.text, prefix)) return true;
        pos += line.text.size() + line.end.size();
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One byte of options, then the prefix up to the first NUL, then the text.
    if (size < 1) return 0;
    static const kivra::KeywordSections keywords = kivra::ShippedKeywordSections();
    kivra::TagOptions options;
    options.chkSubs = (data[0] & 1) != 0;
    options.chkFunctions = (data[0] & 2) != 0;
    options.chkProperties = (data[0] & 4) != 0;
    options.chkFormEvents = (data[0] & 8) != 0;
    options.chkParameters = (data[0] & 16) != 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view prefix = nul == std::string_view::npos ? std::string_view("Kivra.") : rest.substr(0, nul);
    const std::string_view text = nul == std::string_view::npos ? rest : rest.substr(nul + 1);

    kivra::SilentReporter silent;
    if (!kivra::CheckPrefix(prefix, silent)) return 0;

    using kivra::LineEnds;
    const std::string tagged = kivra::TagText(text, prefix, options, keywords, nullptr, LineEnds::AsInSource).text;
    FUZZ_CHECK(tagged.ends_with('\n') == text.ends_with('\n'), "tagging keeps whether the text ends with a line end");
    if (!HasTagLine(text, prefix)) {
        const std::string back = kivra::UntagText(tagged, prefix, nullptr, LineEnds::AsInSource).text;
        FUZZ_CHECK(back == text, "untag gives back what tag was given");
    }
    for (const std::string_view source : {text, std::string_view(tagged)}) {
        const std::string out =
            kivra::CommentText(source, prefix, kivra::CommentDirection::Out, nullptr, LineEnds::AsInSource).text;
        const std::string in =
            kivra::CommentText(out, prefix, kivra::CommentDirection::BackIn, nullptr, LineEnds::AsInSource).text;
        FUZZ_CHECK(in == source, "comment out, then back in, gives back the text");
    }
    // The window's runs: every line ends in CR LF.
    const std::string window = kivra::TagText(text, prefix, options, keywords).text;
    FUZZ_CHECK(text.empty() == window.empty() && (window.empty() || window.ends_with("\r\n")),
               "the window's runs end every line with CR LF");
    return 0;
}
