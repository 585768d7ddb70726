#pragma once
// The data of the large-project benchmarks: the same series on every run,
// with every unit, several modes, forms and carbonation codes, names and
// comments.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "model/HammerData.h"
#include "model/ModelTypes.h"

namespace Bench {

inline void FillProject(CHammerData& data, int series, int readings) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> centre(40, 120);
    std::normal_distribution<double> spread(0.0, 6.0);
    const std::uint8_t modes[] = {kModeMean, kModeMedianEN, kModeMeanOutlier, kModeMeanASTM, kModeMedianOnly};
    const std::uint8_t units[] = {kUnitNmm2, kUnitMPa, kUnitKgCm2, kUnitPSI, kUnitQ, kUnitR};
    const std::uint8_t forms[] = {4, 0, 20, 9, 90};
    const std::uint8_t carbonation[] = {0, 3, 12, 85};
    for (int i = 0; i < series; ++i) {
        TVantrelObject s;
        s.AveragingMode = modes[i % 5];
        s.Unit = units[i % 6];
        s.CurveId = 1;
        s.FormCode = forms[i % 5];
        s.CarbonationCode = carbonation[i % 4];
        s.DeviceType = u"Talvenbrecker  N";
        s.ImpactCounter = static_cast<std::uint16_t>(i);
        s.DateTime = 736520829u + static_cast<std::uint32_t>(i) * 97u;
        s.Name = u"Series " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        s.SerialNumber = u"TB-000123";
        if (i % 3 == 0) s.Comment = u"Wall north side\r\nsecond \"core\" taken";
        const int c = centre(rng);
        for (int r = 0; r < readings; ++r) {
            const int q = std::clamp(static_cast<int>(c + spread(rng)), 0, 255);
            s.Readings.push_back(TMeas{static_cast<std::uint8_t>(q), static_cast<std::uint16_t>(400 + r), 0});
        }
        s.ResetReadingFlags();
        data.AppendSeries(std::move(s));
    }
}

}  // namespace Bench
