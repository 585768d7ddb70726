#pragma once
// Series dates and times: the user's date and time patterns (chosen by the
// DTFormat setting) and the formatting of a series time stamp with them.
//
// A series time stamp counts seconds on the hammer's clock from 2000-01-01
// 00:00:00. It is shown as the calendar date and time that lie that many
// seconds later in plain calendar arithmetic: no time zone, no daylight saving,
// so a series reads the same in summer and winter and on every machine.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Text {

// A date or time pattern and the string id it was loaded from.
struct SDateTimePattern {
    std::u16string text;
    unsigned id = 0;
};

// DTFormat keeps the time pattern index in bits 0 to 7 (read as a signed byte)
// and the date pattern index in bits 8 to 15; an index outside 0..3 means 0.
int DateFormatIndex(std::uint32_t dtFormat);
int TimeFormatIndex(std::uint32_t dtFormat);

// The pattern texts come from the string table, so a language module may
// replace them.
SDateTimePattern GetDateFormatPattern(std::uint32_t dtFormat);
SDateTimePattern GetTimeFormatPattern(std::uint32_t dtFormat);

// String ids of the four date and the four time patterns.
inline constexpr unsigned kFirstDatePatternId = 1850;
inline constexpr unsigned kFirstTimePatternId = 1854;
inline constexpr int kPatternCount = 4;

struct TCalendarTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int dayOfWeek = 6;  // 0 = Sunday; 2000-01-01 was a Saturday

    bool operator==(const TCalendarTime&) const = default;
};

TCalendarTime SeriesTimeToCalendar(std::uint32_t seconds);
// The series time stamp of a calendar date and time (dayOfWeek is ignored);
// nothing when the fields are not a valid date and time or lie outside the
// range of a 32-bit time stamp.
std::optional<std::uint32_t> CalendarToSeriesTime(const TCalendarTime& t);

// Formats with a date/time picture (invariant locale):
//   d dd ddd dddd   day, two-digit day, short and long day name
//   M MM MMM MMMM   month, two-digit month, short and long month name
//   y yy            year within the century (two digits for yy)
//   yyy yyyy        full year
//   h hh H HH       hour on the 12- or 24-hour clock, one or two digits
//   m mm s ss       minute, second
//   t tt            first letter of the AM/PM designator, the designator
//   '...'           literal text ('' is one quote)
// A longer run of a letter counts as its longest form; every other character
// is copied as it stands.
std::u16string FormatCalendarTime(const TCalendarTime& t, std::u16string_view pattern);
std::u16string FormatSeriesTime(std::uint32_t seconds, std::u16string_view pattern);

// Date first, one blank, then the time: how every view shows a series time.
std::u16string FormatSeriesDateTime(std::uint32_t seconds, std::u16string_view datePattern,
                                    std::u16string_view timePattern);

}  // namespace Text
