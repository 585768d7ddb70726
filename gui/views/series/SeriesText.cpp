#include "views/series/SeriesText.h"

#include "text/StringTable.h"

namespace SeriesText {

std::u16string_view FallbackText(unsigned id) {
    switch (id) {
        case Ids::kCommentTitle:
            return u"Please enter a comment";
        case Ids::kAdjustTimeTitle:
            return u"Adjust time";
        case Ids::kCurrentStampGroup:
            return u"Current time stamp of series";
        case Ids::kAdjustedStampGroup:
            return u"Time stamp after adjustment";
        case Ids::kDateLabel:
            return u"Date";
        case Ids::kTimeLabel:
            return u"Time";
        case Ids::kAdjustNote:
            return u"Every selected measurement will be adjusted by the same amount of time";
        case Ids::kButtonOk:
            return u"OK";
        case Ids::kButtonCancel:
            return u"Cancel";
        case Ids::kNotAddedTitle:
            return u"Series not added to summary ...";
        case Ids::kNotAddedText:
            return u"The series was not added to the summary.\n\n"
                   u"A summary only combines series with the same unit, and either only series with "
                   u"the averaging mode \"Single\" or only series with other averaging modes. Change "
                   u"the unit or the averaging mode of the series, or take the other series out of "
                   u"the summary first.";
        case Ids::kDoNotShowAgain:
            return u"Do not show this message again.";
        case Ids::kSliderTitle:
            return u"Choose a value";
        default:
            return {};
    }
}

std::u16string Load(unsigned id) {
    std::u16string text = Text::LoadString(id);
    if (text.empty()) text = FallbackText(id);
    return text;
}

}  // namespace SeriesText
