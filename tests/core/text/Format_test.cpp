#include <gtest/gtest.h>

#include <clocale>

#include "text/Encoding.h"
#include "text/Format.h"

using Text::Format;

TEST(Format, ConversionsUsedByTheStringTable) {
    struct Case {
        std::u16string got;
        std::u16string want;
    };
    const Case cases[] = {
        {Format(u"%d%%", 85), u"85%"},
        {Format(u"%0.1f mm", 2.0), u"2.0 mm"},
        {Format(u"%1.0f/100\"", 8.0), u"8/100\""},
        {Format(u"%0.2f", 0.85), u"0.85"},
        {Format(u"%s (%d%%)", u"Cylinder", 83), u"Cylinder (83%)"},
        {Format(u"%I64d.%I64d.%I64d.%I64d", 1ull, 2ull, 3ull, 4ull), u"1.2.3.4"},
        {Format(u"%I64d", 0xFFFFFFFFFFFFull), u"281474976710655"},
        {Format(u"%08X", 0xBEEFu), u"0000BEEF"},
        {Format(u"%x", 255), u"ff"},
        {Format(u"%0.*f", 2, 33.744), u"33.74"},
        {Format(u"%0.*f", 0, 344.5), u"344"},  // round half to even like the C library
        {Format(u"%.0s%d", u"ignored", 7), u"7"},
        {Format(u"%5d|%-5d|%05d", 42, 42, -42), u"   42|42   |-0042"},
        {Format(u"%u", -1), u"4294967295"},
        {Format(u"%ld", 123456789L), u"123456789"},
        {Format(u"%+.1f", 3.25), u"+3.2"},
        {Format(u"%c", u'Q'), u"Q"},
        {Format(u"%e", 12345.0), u"1.234500e+04"},
        {Format(u"%g", 0.0001), u"0.0001"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << Text::ToUtf8(c.want);
}

TEST(Format, MismatchedOrMissingArgumentsAreHarmless) {
    EXPECT_EQ(Format(u"%d and %s and %f"), u" and  and ");
    EXPECT_EQ(Format(u"%s", 42), u"42");
    EXPECT_EQ(Format(u"%d", 41.9), u"41");
    EXPECT_EQ(Format(u"%f", 3), u"3.000000");
    EXPECT_EQ(Format(u"%d", u"text"), u"text");
    EXPECT_EQ(Format(u"100%"), u"100%");      // dangling percent kept
    EXPECT_EQ(Format(u"%y", 1), u"%y");       // unknown conversion kept
    EXPECT_EQ(Format(u"%n %p", 1, 2), u" ");  // never writes through or prints pointers
    EXPECT_EQ(Format(u"%s", "gr\xC3\xBC\xC3\x9F"), u"gr\u00FC\u00DF");
}

TEST(Format, DecimalSeparatorIsAlwaysAFullStop) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(Format(u"%0.1f", 33.5), u"33.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
