#pragma once
// The statistics of one series under its averaging mode. CalcStatistics is the
// one source of every statistic the views show; it recomputes everything on
// each call and rewrites the series' per-reading exclusion flags.
#include <cstdint>
#include <string>

#include "model/ModelTypes.h"

struct TVantrelObject;

struct TStatistics {
    float MeanQ = kNoValue;            // characteristic Q, rounded
    float Converted = kNoValue;        // MeanQ in the series' unit
    float StdDev = kNoValue;           // of Q over the readings the mode uses
    float ConvertedStdDev = kNoValue;  // the spread in the series' unit
    float MeanEnergy = kNoValue;
    std::int32_t ValidCount = 0;
    bool Invalid = false;  // the series fails its standard's validity rule
};

namespace Model {

TStatistics CalcStatistics(TVantrelObject& series);

// Readings discarded at each end by "Mean outlier" for n readings. Beyond 99
// readings (never formed by the program, but possible in files) the last row
// of the table holds.
int GetOutlierCancellationCount(std::size_t readingCount);

// The cut counts the series table shows for the series' mode.
int GetEffectiveUpperOutliers(const TVantrelObject& series);
int GetEffectiveLowerOutliers(const TVantrelObject& series);

// The form factor that the conversion of this series applies. For form code 20
// it is the cylinder factor of the strength the curve gives at the series' mean
// Q, the very strength the conversion itself picks its factor by, so the text
// "Cylinder (83%)" always names the factor inside the shown value.
double GetSeriesFormFactor(const TVantrelObject& series);

// Title and explanation the series views show for the mode and the validity.
struct TModeExplanation {
    unsigned titleId = 0;  // 0: the mode has no explanation
    unsigned textId = 0;
    std::u16string title;
    std::u16string text;
};
TModeExplanation GetModeExplanation(const TVantrelObject& series, const TStatistics& stats);

}  // namespace Model
