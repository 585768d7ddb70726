#pragma once
// The ids of the Series tab's own texts, and the program's text helpers.
#include <QString>
#include <string>
#include <string_view>

#include "ui/UiText.h"

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
inline constexpr unsigned kModeFixesCount = 62860;      // the averaging mode sets the count itself
inline constexpr unsigned kCountGoesToOthers = 62861;   // ... the chosen count goes to the others
}  // namespace Ids

// The program's text helpers, by their names in this tab.
using UiText::Format;
using UiText::FormatText;
using UiText::FromQ;
using UiText::Get;
using UiText::Load;
using UiText::ToQ;

}  // namespace SeriesText
