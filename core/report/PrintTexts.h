#pragma once
// The texts above and below every printed page of the series table: the
// maker, what the pages are and the program's version in the header; the
// project's file name, when it was printed and the page number in the footer.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "text/DateTimeFormat.h"

namespace Report {

struct TPrintTexts {
    std::u16string left;
    std::u16string centre;
    std::u16string right;    // the version, or the program's title without one
    std::u16string file;     // the project's file name without its folder; empty when untitled
    std::u16string printed;  // date, one blank, time, in the user's patterns
};

// `version`: major, minor, build, revision; all zero when the program has no
// version information.
TPrintTexts TablePrintTexts(const std::array<std::uint16_t, 4>& version, const std::filesystem::path& project,
                            const Text::TCalendarTime& now, std::uint32_t dtFormat);
// "Page 3 of 12".
std::u16string PageText(int page, int count);

}  // namespace Report
