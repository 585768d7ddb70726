// How free texts and comments become export fields.
#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "report/FieldText.h"

namespace {

using ReportTest::Visible;

TEST(FieldText, CommentEscaping) {
    struct SCase {
        const char16_t* comment;
        const char16_t* escaped;
    };
    const SCase cases[] = {
        {u"", u""},
        {u"plain", u"plain"},
        {u"a\r\nb", u"a<br>b"},
        {u"\"q\"", u"&quotq&quot"},
        {u"a\r\n\r\nb", u"a<br><br>b"},
        {u"a\nb", u"a<br>b"},  // a line typed on this platform
        {u"a\rb", u"a<br>b"},
        {u"a\n\rb", u"a<br><br>b"},
        {u"a\tb", u"a b"},
        {u"&quot;", u"&quot;"},  // already escaped-looking text stays as it is
        {u"\r\n", u"<br>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Visible(c.escaped), Visible(Report::EscapedComment(c.comment))) << Visible(c.comment);
}

TEST(FieldText, FreeTextsStayOneField) {
    struct SCase {
        const char16_t* text;
        const char16_t* field;
    };
    const SCase cases[] = {
        {u"", u""},          {u"Wall \"A\"", u"Wall \"A\""}, {u"a\tb", u"a b"},
        {u"a\r\nb", u"a b"}, {u"a\nb\rc", u"a b c"},         {u"\t\t", u"  "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Visible(c.field), Visible(Report::FieldText(c.text))) << Visible(c.text);
}

TEST(FieldText, HalfQTextsMatchOneDecimal) {
    EXPECT_EQ(u"0.0", Report::HalfQText(0));
    EXPECT_EQ(u"0.5", Report::HalfQText(1));
    EXPECT_EQ(u"9.5", Report::HalfQText(19));
    EXPECT_EQ(u"10.0", Report::HalfQText(20));
    EXPECT_EQ(u"99.5", Report::HalfQText(199));
    EXPECT_EQ(u"100.0", Report::HalfQText(200));
    EXPECT_EQ(u"127.5", Report::HalfQText(255));
}

}  // namespace
