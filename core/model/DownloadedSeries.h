#pragma once
// A series as the device layer decodes it from the hammer, before it becomes a
// TVantrelObject (CHammerData::ImportDownload). Device texts are 8-bit.
#include <cstdint>
#include <string>
#include <vector>

#include "model/Meas.h"

struct TDownloadedSeries {
    std::uint16_t ImpactCounter = 0;
    std::int16_t DeviceInfoA = 0;
    std::uint32_t DateTime = 0;
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
    std::string SerialNumber;
    std::string DeviceType;
    std::string DeviceInfo;  // hardware revision text
    bool NewDataFormat = false;
    std::vector<TMeas> Readings;
};
