#include "MakerAddresses.h"

namespace kivra {

std::string PercentEncode(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '.' || b == '_' || b == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string FeedbackMailAddress(std::string_view type, std::string_view subject) {
    const std::string text = std::string(type) + ": " + std::string(subject);
    return "mailto:" + std::string(kMakerSupportMail) + "?subject=" + PercentEncode(text) + "&body=%0D%0A";
}

}  // namespace kivra
