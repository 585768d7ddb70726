#pragma once
// One measurement series with the settings under which the hammer evaluated it.
// Nothing computed is kept here except the per-reading exclusion flags, which
// every statistics run rewrites.
#include <cstdint>
#include <string>
#include <vector>

#include "model/Meas.h"
#include "model/Version.h"

struct TVantrelObject {
    CVersion Version;  // 0 for series downloaded from the hammer
    std::uint16_t ImpactCounter = 0;
    std::int16_t DeviceInfoA = 0;
    std::uint32_t DateTime = 0;  // seconds since 2000-01-01 00:00:00 on the hammer's clock
    std::uint8_t DeviceCount = 0;
    std::uint8_t AveragingMode = 0;
    std::uint8_t DeviceInfoB = 0;
    std::uint8_t DeviceInfoC = 0;
    std::uint8_t UpperOutliers = 0;
    std::uint8_t LowerOutliers = 0;
    std::uint8_t CurveId = 0;
    std::uint8_t Unit = 0;
    std::uint8_t FormCode = 0;
    std::uint8_t DeviceInfoD = 0;
    std::uint8_t CarbonationCode = 0;
    std::vector<TMeas> Readings;             // in the order of measurement
    std::vector<std::uint8_t> ReadingFlags;  // 1 = excluded by the last statistics run
    std::u16string Name;
    std::u16string Comment;
    std::uint8_t NewDataFormat = 0;
    std::u16string SerialNumber;
    std::u16string DeviceType;  // carries the hammer type letter
    std::u16string DeviceInfo;
    std::u16string ExtraText;
    std::int16_t DiagramOrder = -1;  // -1 not chosen, 0 measurement order, 1 by value
    std::uint8_t Expanded = 0;
    std::uint8_t UseInSummary = 1;

    int ReadingCount() const { return static_cast<int>(Readings.size()); }
    // The flag of reading i, 0 when the flags have not been computed that far.
    std::uint8_t ReadingFlag(std::size_t i) const { return i < ReadingFlags.size() ? ReadingFlags[i] : 0; }
    // One zero flag per reading.
    void ResetReadingFlags() { ReadingFlags.assign(Readings.size(), 0); }
};

// Hammer type of a series: the letter at index 15 of the device type text, or
// at 16 in the newer download format; "N" is type N, anything else type L.
// A text too short to carry the letter counts as carrying none (type L).
bool IsTypeN(const TVantrelObject& series);
