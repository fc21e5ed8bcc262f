#include "host/text/utf8_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Text, RoundTripsBeyondTheBasicPlaneAndReplacesBrokenInput) {
    const std::wstring wide = WideFromUtf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf8FromWide(wide), "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(DisplayWidth("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), 4u);
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("x\xff\xc3")), "x\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("\xc0\xaf")), "\xef\xbf\xbd\xef\xbf\xbd") << "overlong";
}

}  // namespace
