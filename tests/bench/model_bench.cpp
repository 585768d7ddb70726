// Figures for the measurement model on a large project: 20,000 series of 99
// readings each (1.98 million readings).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/Statistics.h"
#include "model/SummaryData.h"

namespace {

constexpr int kSeries = 20000;
constexpr int kReadings = 99;

// Deterministic data: the same project on every run.
void Fill(CHammerData& data) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> centre(40, 200);
    std::normal_distribution<double> spread(0.0, 6.0);
    const std::uint8_t modes[] = {kModeMean, kModeMedianEN, kModeMeanOutlier, kModeMeanASTM, kModeMedianOnly};
    for (int i = 0; i < kSeries; ++i) {
        TVantrelObject s;
        s.AveragingMode = modes[i % 5];
        s.Unit = kUnitNmm2;
        s.CurveId = 1;
        s.FormCode = 4;
        s.DeviceType = u"Talvenbrecker  N";
        s.ImpactCounter = static_cast<std::uint16_t>(i);
        const int c = centre(rng);
        for (int r = 0; r < kReadings; ++r) {
            const int q = std::clamp(static_cast<int>(c + spread(rng)), 0, 255);
            s.Readings.push_back(TMeas{static_cast<std::uint8_t>(q), static_cast<std::uint16_t>(400 + r), 0});
        }
        data.AppendSeries(std::move(s));
    }
}

const CHammerData& Project() {
    static CHammerData data;
    if (!data.HasSeries()) Fill(data);
    return data;
}

void BM_CalcStatisticsAll(benchmark::State& state) {
    CHammerData data;
    data.CopyFrom(Project());
    for (auto _ : state) {
        for (int i = 0; i < data.GetCount(); ++i) benchmark::DoNotOptimize(data.CalcStatistics(i));
    }
    state.SetItemsProcessed(state.iterations() * kSeries * kReadings);
}
BENCHMARK(BM_CalcStatisticsAll)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state) {
    const auto key = static_cast<std::uint8_t>(state.range(0));
    CHammerData data;
    for (auto _ : state) {
        state.PauseTiming();
        data.CopyFrom(Project());  // the same unsorted order every time
        state.ResumeTiming();
        data.Sort(key);
    }
    state.SetLabel(key == 7 ? "by mean Q" : "by standard deviation");
}
BENCHMARK(BM_Sort)->Arg(7)->Arg(15)->Unit(benchmark::kMillisecond);

void BM_BuildSummary(benchmark::State& state) {
    CHammerData data;
    data.CopyFrom(Project());
    CSummaryData summary;
    for (auto _ : state) benchmark::DoNotOptimize(summary.BuildSummary(data));
    state.counters["values"] = summary.GetValueCount(0);
}
BENCHMARK(BM_BuildSummary)->Unit(benchmark::kMillisecond);

}  // namespace
