#include "text/DateTimeFormat.h"

#include <array>

#include "text/StringTable.h"

namespace Text {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

constexpr std::array<const char16_t*, 7> kDayShort = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr std::array<const char16_t*, 7> kDayLong = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                     u"Thursday", u"Friday", u"Saturday"};
constexpr std::array<const char16_t*, 12> kMonthShort = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr std::array<const char16_t*, 12> kMonthLong = {u"January",   u"February", u"March",    u"April",
                                                        u"May",       u"June",     u"July",     u"August",
                                                        u"September", u"October",  u"November", u"December"};

// Days between 1970-01-01 and the given civil date, and back (proleptic
// Gregorian calendar, valid far beyond the range of a 32-bit time stamp).
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpochDays = DaysFromCivil(2000, 1, 1);

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

void AppendNumber(std::u16string& out, int value, int minDigits) {
    char16_t buf[12];
    int n = 0;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        buf[n++] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0 && n < 12);
    while (n < minDigits && n < 12) buf[n++] = u'0';
    while (n > 0) out += buf[--n];
}

}  // namespace

int DateFormatIndex(std::uint32_t dtFormat) {
    const int index = static_cast<int>((dtFormat >> 8) & 0xFF);
    return index < kPatternCount ? index : 0;
}

int TimeFormatIndex(std::uint32_t dtFormat) {
    const int index = static_cast<std::int8_t>(dtFormat & 0xFF);
    return index >= 0 && index < kPatternCount ? index : 0;
}

SDateTimePattern GetDateFormatPattern(std::uint32_t dtFormat) {
    const unsigned id = kFirstDatePatternId + static_cast<unsigned>(DateFormatIndex(dtFormat));
    return {LoadString(id), id};
}

SDateTimePattern GetTimeFormatPattern(std::uint32_t dtFormat) {
    const unsigned id = kFirstTimePatternId + static_cast<unsigned>(TimeFormatIndex(dtFormat));
    return {LoadString(id), id};
}

TCalendarTime SeriesTimeToCalendar(std::uint32_t seconds) {
    const std::int64_t days = seconds / kSecondsPerDay;
    const std::int64_t rest = seconds % kSecondsPerDay;
    TCalendarTime t;
    CivilFromDays(kEpochDays + days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.dayOfWeek = static_cast<int>((days + 6) % 7);
    return t;
}

std::optional<std::uint32_t> CalendarToSeriesTime(const TCalendarTime& t) {
    if (t.year < 2000 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
        t.second < 0 || t.second > 59)
        return std::nullopt;
    const std::int64_t total = (DaysFromCivil(t.year, t.month, t.day) - kEpochDays) * kSecondsPerDay +
                               t.hour * 3600 + t.minute * 60 + t.second;
    if (total < 0 || total > 0xFFFFFFFFll) return std::nullopt;
    return static_cast<std::uint32_t>(total);
}

std::u16string FormatCalendarTime(const TCalendarTime& t, std::u16string_view pattern) {
    std::u16string out;
    out.reserve(pattern.size() * 2);
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char16_t* designator = t.hour < 12 ? u"AM" : u"PM";
    const int dow = t.dayOfWeek >= 0 && t.dayOfWeek < 7 ? t.dayOfWeek : 0;
    const int monthIndex = t.month >= 1 && t.month <= 12 ? t.month - 1 : 0;

    std::size_t i = 0;
    while (i < pattern.size()) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            // Quoted literal; '' inside or outside quotes is one quote. An
            // unterminated quote runs to the end of the pattern.
            ++i;
            if (i < pattern.size() && pattern[i] == u'\'') {
                out += u'\'';
                ++i;
                continue;
            }
            while (i < pattern.size()) {
                if (pattern[i] == u'\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
                        out += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += pattern[i++];
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        switch (c) {
            case u'd':
                if (run == 1 || run == 2)
                    AppendNumber(out, t.day, static_cast<int>(run));
                else
                    out += run == 3 ? kDayShort[dow] : kDayLong[dow];
                break;
            case u'M':
                if (run == 1 || run == 2)
                    AppendNumber(out, t.month, static_cast<int>(run));
                else
                    out += run == 3 ? kMonthShort[monthIndex] : kMonthLong[monthIndex];
                break;
            case u'y':
                if (run <= 2)
                    AppendNumber(out, t.year % 100, static_cast<int>(run));
                else
                    AppendNumber(out, t.year, 4);
                break;
            case u'h':
                AppendNumber(out, hour12, run >= 2 ? 2 : 1);
                break;
            case u'H':
                AppendNumber(out, t.hour, run >= 2 ? 2 : 1);
                break;
            case u'm':
                AppendNumber(out, t.minute, run >= 2 ? 2 : 1);
                break;
            case u's':
                AppendNumber(out, t.second, run >= 2 ? 2 : 1);
                break;
            case u't':
                if (run == 1)
                    out += designator[0];
                else
                    out += designator;
                break;
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

std::u16string FormatSeriesTime(std::uint32_t seconds, std::u16string_view pattern) {
    return FormatCalendarTime(SeriesTimeToCalendar(seconds), pattern);
}

std::u16string FormatSeriesDateTime(std::uint32_t seconds, std::u16string_view datePattern,
                                    std::u16string_view timePattern) {
    const TCalendarTime t = SeriesTimeToCalendar(seconds);
    std::u16string out = FormatCalendarTime(t, datePattern);
    out += u' ';
    out += FormatCalendarTime(t, timePattern);
    return out;
}

}  // namespace Text
