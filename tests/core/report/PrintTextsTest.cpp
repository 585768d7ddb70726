// The texts around every printed page of the table.
#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "report/PrintTexts.h"

namespace {

using ReportTest::Visible;

TEST(PrintTexts, HeaderAndFooterFollowVersionProjectAndPatterns) {
    const Text::TCalendarTime now{2026, 3, 7, 14, 5, 9};
    struct SCase {
        std::array<std::uint16_t, 4> version;
        const char* project;
        std::uint32_t dtFormat;
        const char16_t* right;
        const char16_t* file;
        const char16_t* printed;
    };
    const SCase cases[] = {
        {{2, 1, 0, 17}, "/data/site A/wall.zvh", 0, u"Brelvantor Version 2.1.0.17", u"wall.zvh", u"03/07/2026 2:05 PM"},
        // Without version information the program's title stands there.
        {{0, 0, 0, 0}, "wall.zvh", 0x0303, u"Brelvantor", u"wall.zvh", u"07.03.2026 14:05"},
        {{0, 0, 0, 1}, "", 0x0102, u"Brelvantor Version 0.0.0.1", u"", u"07-03-2026 14:05"},
    };
    for (const SCase& c : cases) {
        const Report::TPrintTexts t = Report::TablePrintTexts(c.version, c.project, now, c.dtFormat);
        EXPECT_EQ(Visible(u"Tolvex"), Visible(t.left));
        EXPECT_EQ(Visible(u"Talvenbrecker measurement series"), Visible(t.centre));
        EXPECT_EQ(Visible(c.right), Visible(t.right));
        EXPECT_EQ(Visible(c.file), Visible(t.file));
        EXPECT_EQ(Visible(c.printed), Visible(t.printed)) << c.dtFormat;
    }
    EXPECT_EQ(Visible(u"Page 3 of 12"), Visible(Report::PageText(3, 12)));
}

}  // namespace
