#pragma once
// What a project file or a clipboard payload holds, as read, before the
// document takes it over. Reading fills it front to back; when the data turn
// out to be damaged, everything read completely up to that point is here.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ConvCust.h"
#include "model/VantrelObject.h"

namespace Doc {

inline constexpr std::u16string_view kProjectSignature = u"TolveX Brelvantor project file";
inline constexpr std::uint16_t kProjectFormatVersion = 3;

struct TProjectSummaryEntry {
    std::u16string Title;
    std::int16_t DiagramOrder = -1;
    std::uint8_t Averaging = 1;
};

struct TStoredCurve {
    std::uint32_t StoredId = 0;  // the identifier the series of the data refer to
    TConvCust Curve;
};

using SeriesList = std::vector<std::unique_ptr<TVantrelObject>>;

struct TProjectContent {
    std::uint16_t FormatVersion = 0;
    SeriesList Original;
    SeriesList Working;
    std::optional<std::uint8_t> OriginalSortKey;
    std::optional<std::uint8_t> WorkingSortKey;
    // Version 1 files keep one set of series: the working data start as a copy
    // of the original data. Set once the original data were read completely.
    bool WorkingIsCopyOfOriginal = false;
    std::vector<TProjectSummaryEntry> Summary;
    // The curve section replaces the store's curves; set once it is reached.
    bool CurveSectionReached = false;
    std::vector<TStoredCurve> Curves;
};

}  // namespace Doc
