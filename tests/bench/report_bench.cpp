// Figures for the report texts on a large project: 20,000 series of 99
// readings each, as the command-line export and the table view meet it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/SummaryData.h"
#include "report/ExportFile.h"
#include "report/SeriesTable.h"
#include "report/SummaryTexts.h"

namespace {

constexpr int kSeries = 20000;
constexpr int kReadings = 99;

// Deterministic data: the same project on every run, with every unit, several
// modes, forms and carbonation codes, names and comments.
void Fill(CHammerData& data) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> centre(40, 120);
    std::normal_distribution<double> spread(0.0, 6.0);
    const std::uint8_t modes[] = {kModeMean, kModeMedianEN, kModeMeanOutlier, kModeMeanASTM, kModeMedianOnly};
    const std::uint8_t units[] = {kUnitNmm2, kUnitMPa, kUnitKgCm2, kUnitPSI, kUnitQ, kUnitR};
    const std::uint8_t forms[] = {4, 0, 20, 9, 90};
    const std::uint8_t carbonation[] = {0, 3, 12, 85};
    for (int i = 0; i < kSeries; ++i) {
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
        for (int r = 0; r < kReadings; ++r) {
            const int q = std::clamp(static_cast<int>(c + spread(rng)), 0, 255);
            s.Readings.push_back(TMeas{static_cast<std::uint8_t>(q), static_cast<std::uint16_t>(400 + r), 0});
        }
        s.ResetReadingFlags();
        data.AppendSeries(std::move(s));
    }
}

CHammerData& Project() {
    static CHammerData data;
    if (!data.HasSeries()) Fill(data);
    return data;
}

// The CLI's text export: statistics of every series and the whole text.
void BM_TableExportText(benchmark::State& state) {
    CHammerData& data = Project();
    const Report::CSeriesTable table({.energyDisplay = state.range(0) != 0});
    std::size_t size = 0;
    for (auto _ : state) {
        const std::u16string text = table.ExportText(data);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["chars"] = static_cast<double>(size);
    state.SetItemsProcessed(state.iterations() * kSeries);
}
BENCHMARK(BM_TableExportText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same, written to an export file (encoding, write, flush to disk, rename).
void BM_TableExportFile(benchmark::State& state) {
    CHammerData& data = Project();
    const Report::CSeriesTable table;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("report_bench_" + std::to_string(::getpid()) + ".txt");
    for (auto _ : state) {
        const Report::TExportFileResult r = Report::WriteExportFile(file, table.ExportText(data));
        if (!r) state.SkipWithError(r.reason.c_str());
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
    state.SetItemsProcessed(state.iterations() * kSeries);
}
BENCHMARK(BM_TableExportFile)->Unit(benchmark::kMillisecond);

// A full refresh of the table view: statistics once per row, then every cell
// text, export text and the two tooltips.
void BM_AllCellTexts(benchmark::State& state) {
    CHammerData& data = Project();
    const Report::CSeriesTable table({.energyDisplay = true});
    for (auto _ : state) {
        for (int i = 0; i < data.GetCount(); ++i) {
            const TStatistics stats = data.CalcStatistics(i);
            for (int c = 0; c < table.ColumnCount(); ++c) {
                benchmark::DoNotOptimize(table.CellText(data, i, stats, c));
                benchmark::DoNotOptimize(table.CellExportText(data, i, stats, c));
            }
            benchmark::DoNotOptimize(table.CellTooltip(data, i, stats, Report::kColMeanValue));
            benchmark::DoNotOptimize(table.CellTooltip(data, i, stats, Report::kColAveragingMode));
        }
    }
    state.SetItemsProcessed(state.iterations() * kSeries);
}
BENCHMARK(BM_AllCellTexts)->Unit(benchmark::kMillisecond);

// The summary of every series of one unit (a fifth of the project).
void BM_SummaryExportText(benchmark::State& state) {
    CHammerData& data = Project();
    CSummaryData summary;
    for (auto _ : state) {
        summary.BuildSummary(data);
        benchmark::DoNotOptimize(Report::CSummaryTexts().ExportText(summary));
    }
    for (int i = 0; i < data.GetCount(); ++i) data.Series(i).UseInSummary = 1;
}
BENCHMARK(BM_SummaryExportText)->Unit(benchmark::kMillisecond);

}  // namespace
