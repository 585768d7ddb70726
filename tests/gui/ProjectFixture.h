#pragma once
// Series and project files for the GUI tests, the figures and the screenshot tour.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "doc/HammerDoc.h"
#include "model/DownloadedSeries.h"
#include "text/UserPrompt.h"

namespace GuiFixture {

// `count` plausible series: mean mode, ten readings each, a day apart.
inline std::vector<TDownloadedSeries> MakeSeries(int count) {
    std::vector<TDownloadedSeries> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TDownloadedSeries s;
        s.ImpactCounter = static_cast<std::uint16_t>(1000 + i);
        s.DateTime = 760000000u + static_cast<std::uint32_t>(i) * 86400u;
        s.AveragingMode = static_cast<std::uint8_t>(i % 3 == 0 ? 2 : 1);  // mean or median EN
        s.CurveId = 0;
        s.Unit = 0;
        s.FormCode = 0;
        s.CarbonationCode = 100;
        s.SerialNumber = "TB-L-20417";
        s.DeviceType = "Talvenbrecker PCL";
        s.DeviceInfo = "HW 3.0";
        s.NewDataFormat = true;
        for (int r = 0; r < 10; ++r) {
            const auto q = static_cast<std::uint8_t>(70 + (i * 7 + r * 3) % 40);
            s.Readings.push_back(TMeas{q, static_cast<std::uint16_t>(500 + r), 0});
        }
        s.DeviceCount = static_cast<std::uint8_t>(s.Readings.size());
        out.push_back(std::move(s));
    }
    return out;
}

// Writes a project of `count` series; true when it was saved.
inline bool WriteProject(const std::filesystem::path& file, int count) {
    Text::CSilentPrompt silent;
    CHammerDoc doc(silent);
    const auto series = MakeSeries(count);
    doc.TakeOverDownload(series);
    const bool saved = doc.SaveProject(file);
    doc.CloseProject();
    return saved;
}

}  // namespace GuiFixture
