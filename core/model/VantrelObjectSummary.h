#pragma once
// One summary: the series taken into it (one value each) and the settings they
// share. Only Title, DiagramOrder and Averaging are saved; the rest is rebuilt.
#include <cstdint>
#include <string>
#include <vector>

#include "model/ModelTypes.h"

struct TMeasConverted {
    std::uint8_t QHalf = 0;  // the series' MeanQ * 2
    std::uint16_t Energy = 0;
    std::uint8_t Extra = 0;
    float Value = kNoValue;  // the series' converted value
    std::u16string Name;
    std::uint16_t ImpactCounter = 0;
    std::uint32_t Valid = 0;  // 1 when the series is valid
    std::uint32_t SeriesIndex = 0;
};

inline constexpr std::uint8_t kSummaryDifferent = 254;             // mode, curve, unit, form
inline constexpr std::uint8_t kSummaryDifferentCarbonation = 255;  // carbonation

struct TVantrelObjectSummary {
    std::uint64_t Reserved = 0;
    std::uint8_t Mode = 0;
    std::uint8_t CurveId = 0;
    std::uint8_t Unit = 0;
    std::uint8_t FormCode = 0;
    std::uint8_t CarbonationCode = 0;
    std::vector<TMeasConverted> Values;
    std::vector<std::uint8_t> ValueFlags;  // 1 = the value's series is invalid
    std::u16string Title;
    std::u16string SerialNumber;
    std::int16_t DiagramOrder = -1;
    std::uint8_t Averaging = 1;  // 1 median, 2 mean
    std::uint32_t FirstDateTime = 0;
    std::uint32_t LastDateTime = 0;
};

inline constexpr std::uint8_t kSummaryMedian = 1;
inline constexpr std::uint8_t kSummaryMean = 2;

struct TSummaryStatistics {
    float MeanQ = kNoValue;
    float MeanValue = kNoValue;
    float StdDevQ = kNoValue;
    float StdDevValue = kNoValue;
    float MeanEnergy = kNoValue;
    int ValueCount = 0;   // values in the entry
    int UsableCount = 0;  // values that could be converted
    int ValidCount = 0;   // usable values of valid series
};
