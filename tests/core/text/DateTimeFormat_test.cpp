#include "text/DateTimeFormat.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "text/Encoding.h"
#include "text/StringTable.h"

using namespace Text;

namespace {

std::string U8(const std::u16string& s) {
    return ToUtf8(s);
}

}  // namespace

TEST(DateTimePatterns, ChosenByDTFormat) {
    struct Case {
        std::uint32_t dtFormat;
        unsigned dateId;
        const char16_t* date;
        unsigned timeId;
        const char16_t* time;
    };
    const Case cases[] = {
        {0x0000, 1850, u"MM/dd/yyyy", 1854, u"h:mm tt"},
        {0x0101, 1851, u"dd-MM-yyyy", 1855, u"h:mmt"},
        {0x0203, 1852, u"dd/MM/yyyy", 1857, u"HH:mm"},
        {0x0302, 1853, u"dd.MM.yyyy", 1856, u"H:mm"},
        {0x0407, 1850, u"MM/dd/yyyy", 1854, u"h:mm tt"},  // both indexes out of range
        {0x00FF, 1850, u"MM/dd/yyyy", 1854, u"h:mm tt"},  // time byte -1
        {0x0083, 1850, u"MM/dd/yyyy", 1854, u"h:mm tt"},  // 0x83 is negative as a signed byte, not 3
        {0xFF01, 1850, u"MM/dd/yyyy", 1855, u"h:mmt"},
        {0x12340203, 1852, u"dd/MM/yyyy", 1857, u"HH:mm"},  // bits above 15 play no part
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dtFormat);
        const auto date = GetDateFormatPattern(c.dtFormat);
        const auto time = GetTimeFormatPattern(c.dtFormat);
        EXPECT_EQ(date.id, c.dateId);
        EXPECT_EQ(U8(date.text), U8(c.date));
        EXPECT_EQ(time.id, c.timeId);
        EXPECT_EQ(U8(time.text), U8(c.time));
    }
}

TEST(DateTimePatterns, ComeFromTheActiveLanguage) {
    auto texts = std::make_shared<LanguageTexts>();
    (*texts)[1853] = u"d.M.yy";
    SetLanguageOverrides(texts);
    const auto date = GetDateFormatPattern(0x0300);
    SetLanguageOverrides(nullptr);
    EXPECT_EQ(date.id, 1853u);
    EXPECT_EQ(U8(date.text), "d.M.yy");
}

TEST(SeriesTime, FormatsWithPatterns) {
    constexpr std::uint32_t kAfternoon = 13 * 3600 + 5 * 60 + 9;  // 2000-01-01 13:05:09
    struct Case {
        std::uint32_t seconds;
        const char16_t* pattern;
        const char* want;
    };
    const Case cases[] = {
        {0, u"h:mm tt", "12:00 AM"},
        {12 * 3600, u"h:mm tt", "12:00 PM"},
        {kAfternoon, u"h:mm tt", "1:05 PM"},
        {kAfternoon, u"h:mmt", "1:05P"},
        {kAfternoon, u"hh:mm:ss", "01:05:09"},
        {kAfternoon, u"H:m:s", "13:5:9"},
        {0, u"H:mm", "0:00"},
        {0, u"HH:mm", "00:00"},
        {0, u"MM/dd/yyyy", "01/01/2000"},
        {0, u"dd-MM-yyyy", "01-01-2000"},
        {0, u"d.M.yy", "1.1.00"},
        {0, u"ddd, dddd d MMM MMMM y", "Sat, Saturday 1 Jan January 0"},
        {0, u"'at' h 'o''clock'", "at 12 o'clock"},
        {0, u"''''", "''"},
        {0, u"'unterminated d", "unterminated d"},
        {0, u"yyyyy-MMMMM", "2000-January"},  // longer runs count as the longest form
        {0, u"", ""},
        {0, u"x/ÄZ", "x/ÄZ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U8(FormatSeriesTime(c.seconds, c.pattern)), c.want) << U8(c.pattern);
}

TEST(SeriesTime, DateFirstThenOneBlankThenTime) {
    EXPECT_EQ(U8(FormatSeriesDateTime(0, u"MM/dd/yyyy", u"h:mm tt")), "01/01/2000 12:00 AM");
    // The last second a 32-bit time stamp can hold.
    EXPECT_EQ(U8(FormatSeriesDateTime(0xFFFFFFFFu, u"dddd dd.MM.yyyy", u"HH:mm:ss")),
              "Tuesday 07.02.2136 06:28:15");
}

TEST(SeriesTime, LeapYearsAndCenturies) {
    struct Case {
        int year, month, day;
        const char* want;  // the following day
    };
    const Case cases[] = {
        {2000, 2, 28, "29.02.2000"},  // divisible by 400: leap year
        {2004, 2, 28, "29.02.2004"},  {2001, 2, 28, "01.03.2001"},
        {2100, 2, 28, "01.03.2100"},  // divisible by 100 only: no leap year
        {2000, 12, 31, "01.01.2001"},
    };
    for (const auto& c : cases) {
        const auto t = CalendarToSeriesTime({c.year, c.month, c.day, 0, 0, 0});
        ASSERT_TRUE(t.has_value()) << c.want;
        EXPECT_EQ(U8(FormatSeriesTime(*t + 86400, u"dd.MM.yyyy")), c.want);
    }
    EXPECT_FALSE(CalendarToSeriesTime({2100, 2, 29}).has_value());
    EXPECT_FALSE(CalendarToSeriesTime({2001, 2, 29}).has_value());
    EXPECT_TRUE(CalendarToSeriesTime({2000, 2, 29}).has_value());
}

// The C library's UTC calendar is an independent witness for the arithmetic
// over the whole range of time stamps.
TEST(SeriesTime, AgreesWithTheCalendarOfTheCLibrary) {
    constexpr std::int64_t k2000 = 946684800;  // 2000-01-01 00:00:00 UTC in Unix time
    auto check = [&](std::uint32_t s) {
        const std::time_t unix = static_cast<std::time_t>(k2000 + s);
        std::tm tm{};
        ASSERT_NE(gmtime_r(&unix, &tm), nullptr);
        const TCalendarTime want{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                                 tm.tm_min,         tm.tm_sec,     tm.tm_wday};
        const TCalendarTime got = SeriesTimeToCalendar(s);
        ASSERT_EQ(got, want) << s;
        ASSERT_EQ(CalendarToSeriesTime(got), s);
    };
    for (std::uint64_t s = 0; s <= 0xFFFFFFFFu; s += 604799)  // a week less a second: every weekday and hour
        check(static_cast<std::uint32_t>(s));
    for (std::uint32_t s : {0u, 59u, 86399u, 86400u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu})
        check(s);
    EXPECT_FALSE(CalendarToSeriesTime({2136, 2, 7, 6, 28, 16}).has_value());  // one second too late
    EXPECT_FALSE(CalendarToSeriesTime({1999, 12, 31, 23, 59, 59}).has_value());
}
