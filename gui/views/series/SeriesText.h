#pragma once
// Texts of the Series tab as QString: string-table texts by id and formats
// filled printf-style.
#include <QString>
#include <string>
#include <string_view>

#include "text/Format.h"

namespace SeriesText {

// Ids of the tab's own texts (dialog captions, labels and buttons); OK and
// Cancel are the program's.
namespace Ids {
inline constexpr unsigned kCommentTitle = 62700;        // "Please enter a comment"
inline constexpr unsigned kAdjustTimeTitle = 62701;     // "Adjust time"
inline constexpr unsigned kCurrentStampGroup = 62702;   // "Current time stamp of series"
inline constexpr unsigned kAdjustedStampGroup = 62703;  // "Time stamp after adjustment"
inline constexpr unsigned kDateLabel = 62704;           // "Date"
inline constexpr unsigned kTimeLabel = 62705;           // "Time"
inline constexpr unsigned kAdjustNote = 62706;          // "Every selected measurement will be adjusted ..."
inline constexpr unsigned kButtonOk = 62454;            // "OK"
inline constexpr unsigned kButtonCancel = 62455;        // "Cancel"
inline constexpr unsigned kNotAddedTitle = 62707;       // "Series not added to summary ..."
inline constexpr unsigned kNotAddedText = 62708;        // why the series was not added
inline constexpr unsigned kDoNotShowAgain = 62709;      // "Do not show this message again."
inline constexpr unsigned kSliderTitle = 62710;         // "Choose a value" (a slider without a title)
}  // namespace Ids

inline QString ToQ(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQ(const QString& text) {
    return text.toStdU16String();
}

// The text of `id` from the active language, else the built-in table.
std::u16string Load(unsigned id);
inline QString Get(unsigned id) {
    return ToQ(Load(id));
}

template <class... A>
QString Format(unsigned id, const A&... args) {
    return ToQ(Text::Format(Load(id), args...));
}
template <class... A>
QString FormatText(std::u16string_view format, const A&... args) {
    return ToQ(Text::Format(format, args...));
}

}  // namespace SeriesText
