// Figures for the report texts on a large project: 20,000 series of 99
// readings each, as the command-line export and the table view meet it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "BenchProject.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/SummaryData.h"
#include "report/ExportFile.h"
#include "report/SeriesTable.h"
#include "report/SummaryTexts.h"

namespace {

constexpr int kSeries = 20000;
constexpr int kReadings = 99;


CHammerData& Project() {
    static CHammerData data;
    if (!data.HasSeries()) Bench::FillProject(data, kSeries, kReadings);
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
