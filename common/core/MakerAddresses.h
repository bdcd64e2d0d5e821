// The maker's web pages and support mail address, and the feedback mail.
#pragma once

#include <string>
#include <string_view>

namespace kivra {

inline constexpr std::string_view kMakerHomePage = "https://brindle.example/";
inline constexpr std::string_view kMakerDonationPage = "https://brindle.example/donate";
inline constexpr std::string_view kMakerFeedbackPage = "https://brindle.example/feedback";
inline constexpr std::string_view kMakerSupportMail = "support@brindle.example";

// Percent-encodes text for a mailto: header value: every byte but letters,
// digits and "-", ".", "_", "~" becomes %XX of its UTF-8 byte.
std::string PercentEncode(std::string_view utf8);

// The mailto: address of a feedback mail: subject "<type>: <subject>",
// body one line break.
std::string FeedbackMailAddress(std::string_view type, std::string_view subject);

}  // namespace kivra
