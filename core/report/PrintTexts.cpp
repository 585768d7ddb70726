#include "report/PrintTexts.h"

#include "text/StringTable.h"

namespace Report {

TPrintTexts TablePrintTexts(const std::array<std::uint16_t, 4>& version, const std::filesystem::path& project,
                            const Text::TCalendarTime& now, std::uint32_t dtFormat) {
    TPrintTexts texts;
    texts.left = Text::LoadString(59400);
    texts.centre = Text::LoadString(59398);
    if (version[0] != 0 || version[1] != 0 || version[2] != 0 || version[3] != 0)
        texts.right = Text::FormatString(59496, version[0], version[1], version[2], version[3]);
    if (texts.right.empty()) texts.right = Text::LoadString(57344);
    texts.file = project.filename().u16string();
    texts.printed = Text::FormatCalendarTime(now, Text::GetDateFormatPattern(dtFormat).text) + u" " +
                    Text::FormatCalendarTime(now, Text::GetTimeFormatPattern(dtFormat).text);
    return texts;
}

std::u16string PageText(int page, int count) {
    return Text::FormatString(1804, page, count);
}

}  // namespace Report
