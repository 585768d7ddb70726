#include <gtest/gtest.h>

#include "text/Encoding.h"

using namespace Text;

TEST(Encoding, Cp1252RoundTripsEveryDefinedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::u16string wide = FromCp1252(all);
    EXPECT_EQ(wide[0x80 - 1], u'\u20AC');  // euro sign
    EXPECT_EQ(wide[0xB2 - 1], u'\u00B2');  // superscript two of "N/mm²"
    EXPECT_EQ(ToCp1252(wide), all);
    EXPECT_EQ(ToCp1252(u"\u4E2D"), "?");
}

TEST(Encoding, Utf8BothWaysAndBadInput) {
    std::u16string s = u"N/mm\u00B2 \u20AC \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");            // truncated sequence
    EXPECT_EQ(FromUtf8("\xFF" "b"), u"\uFFFD" "b");      // invalid lead byte
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");    // overlong form refused
    EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}
