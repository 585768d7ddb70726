#pragma once
// Texts of the Series tab as QString: string-table texts by id, formats filled
// printf-style, and the English texts of the ids the shipped string table does
// not carry yet, so every window of the tab reads sensibly until it does.
#include <QString>
#include <string>
#include <string_view>

#include "text/Format.h"

namespace SeriesText {

// Ids of the tab's own texts (dialog captions, labels and buttons).
namespace Ids {
inline constexpr unsigned kCommentTitle = 62600;        // "Please enter a comment"
inline constexpr unsigned kAdjustTimeTitle = 62601;     // "Adjust time"
inline constexpr unsigned kCurrentStampGroup = 62602;   // "Current time stamp of series"
inline constexpr unsigned kAdjustedStampGroup = 62603;  // "Time stamp after adjustment"
inline constexpr unsigned kDateLabel = 62604;           // "Date"
inline constexpr unsigned kTimeLabel = 62605;           // "Time"
inline constexpr unsigned kAdjustNote = 62606;          // "Every selected measurement will be adjusted ..."
inline constexpr unsigned kButtonOk = 62607;            // "OK"
inline constexpr unsigned kButtonCancel = 62608;        // "Cancel"
inline constexpr unsigned kNotAddedTitle = 62609;       // "Series not added to summary ..."
inline constexpr unsigned kNotAddedText = 62610;        // why the series was not added
inline constexpr unsigned kDoNotShowAgain = 62611;      // "Do not show this message again."
inline constexpr unsigned kSliderTitle = 62612;         // "Choose a value" (a slider without a title)
}  // namespace Ids

inline QString ToQ(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQ(const QString& text) {
    return text.toStdU16String();
}

// The text of `id` from the active language, else the built-in table, else the
// tab's own English text; empty for an id nobody knows.
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

// The English stand-in for an id the string table does not carry (empty when none).
std::u16string_view FallbackText(unsigned id);

}  // namespace SeriesText
