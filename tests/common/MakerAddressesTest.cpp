#include "MakerAddresses.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

TEST(MakerAddressesTest, FeedbackMailEncodesTheWholeSubject) {
    EXPECT_EQ(FeedbackMailAddress("Other", "Grid is empty"),
              "mailto:support@brindle.example?subject=Other%3A%20Grid%20is%20empty&body=%0D%0A");
    // Characters that would end the subject or start another header, and
    // text beyond ASCII, are all encoded.
    EXPECT_EQ(FeedbackMailAddress("Bug Report", "A&B?C#D%E=F+G caf\xC3\xA9"),
              "mailto:support@brindle.example?subject=Bug%20Report%3A%20A%26B%3FC%23D%25E%3DF%2BG%20caf%C3%A9"
              "&body=%0D%0A");
    EXPECT_EQ(PercentEncode("a-b.c_d~e/f:g"), "a-b.c_d~e%2Ff%3Ag");
}

}  // namespace
}  // namespace kivra
