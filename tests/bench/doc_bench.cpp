// Figures for the document on a large project: 20,000 series of 99 readings
// each (about 9 MB as a project file).
//
//   SaveProject / LoadProject: bytes_per_second is the project file's size over
//   the time of one save (temporary file, fsync, rename) or one open.
//   LoadProject also reports peak_heap_per_file_byte: the highest number of
//   heap bytes alive during the open (counted by this program's own operator
//   new/delete, block sizes as malloc hands them out) above what was alive
//   before it, divided by the file size.
//   CopyPaste1000: copying 1,000 selected series and pasting them into another
//   document, per iteration.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <random>

#include "doc/HammerDoc.h"
#include "doc/MemoryClipboard.h"
#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "streamio/StreamRegistry.h"
#include "text/UserPrompt.h"

// --- Heap accounting ------------------------------------------------------------

namespace {

std::atomic<std::int64_t> g_live{0};
std::atomic<std::int64_t> g_peak{0};

void* Counted(void* p) {
    if (!p) return p;
    const auto now = g_live.fetch_add(static_cast<std::int64_t>(malloc_usable_size(p))) +
                     static_cast<std::int64_t>(malloc_usable_size(p));
    std::int64_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Uncounted(void* p) {
    if (!p) return;
    g_live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
    std::free(p);
}

void* Allocate(std::size_t size, std::size_t alignment = 0) {
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size);
    if (!p) throw std::bad_alloc();
    return Counted(p);
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
    return Allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return Allocate(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(std::malloc(size ? size : 1));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(std::malloc(size ? size : 1));
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Uncounted(p);
}

namespace {

namespace fs = std::filesystem;

constexpr int kSeries = 20000;
constexpr int kReadings = 99;
constexpr int kCopied = 1000;

// A scratch folder for the project and the curve library, and the stream
// subsystem, for the whole run.
struct SEnvironment {
    fs::path dir;
    SEnvironment() {
        StreamIO::StartStreams();
        std::string pattern = (fs::temp_directory_path() / "brelvantor-docbench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        ::setenv("BRELVANTOR_CURVES", (dir / "curves").c_str(), 1);
    }
    ~SEnvironment() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

SEnvironment& Env() {
    static SEnvironment env;
    return env;
}

// Deterministic data: the same project on every run, two custom curves among them.
void Fill(CHammerDoc& doc) {
    TConvCust curve;
    curve.QMin = 20;
    curve.QMax = 70;
    curve.B = 0.01f;
    curve.C = 0.5f;
    curve.SetName8("BENCH1");
    const int first = CCurveStore::Instance().AddCurve(curve, 50).id;
    curve.SetName8("BENCH2");
    const int second = CCurveStore::Instance().AddCurve(curve, 51).id;

    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> centre(40, 200);
    std::normal_distribution<double> spread(0.0, 6.0);
    const std::uint8_t modes[] = {kModeMean, kModeMedianEN, kModeMeanOutlier, kModeMeanASTM, kModeMedianOnly};
    for (int i = 0; i < kSeries; ++i) {
        TVantrelObject s;
        s.AveragingMode = modes[i % 5];
        s.Unit = kUnitNmm2;
        s.CurveId = static_cast<std::uint8_t>(i % 10 == 0 ? first : i % 10 == 1 ? second : 1);
        s.FormCode = 4;
        s.DeviceType = u"TALVENBRECKER   N";
        s.SerialNumber = u"SN-000123";
        s.DeviceInfo = u"HW 3";
        s.NewDataFormat = 1;
        s.ImpactCounter = static_cast<std::uint16_t>(i);
        s.DateTime = 700000000u + static_cast<std::uint32_t>(i) * 60u;
        s.DeviceCount = kReadings;
        if (i % 7 == 0) s.Name = u"Pillar " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        const int c = centre(rng);
        for (int r = 0; r < kReadings; ++r) {
            const int q = std::clamp(static_cast<int>(c + spread(rng)), 0, 255);
            s.Readings.push_back(TMeas{static_cast<std::uint8_t>(q), static_cast<std::uint16_t>(400 + r), 0});
        }
        doc.WorkingData().AppendSeries(std::move(s));
    }
    doc.WorkingData().SetSortKey(7);  // sorted by mean Q: a paste sorts again
}

void BM_SaveProject(benchmark::State& state) {
    Text::CSilentPrompt prompt;
    const fs::path path = Env().dir / "large.zvh";
    CCurveStore::Instance().Clear();
    CHammerDoc doc(prompt);
    Fill(doc);
    for (auto _ : state) {
        if (!doc.SaveProject(path)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadProject(benchmark::State& state) {
    Text::CSilentPrompt prompt(Text::MsgResult::No);
    const fs::path path = Env().dir / "large.zvh";
    {
        CCurveStore::Instance().Clear();
        CHammerDoc source(prompt);
        Fill(source);
        if (!source.SaveProject(path)) std::abort();
    }
    const auto fileSize = static_cast<double>(fs::file_size(path));
    CHammerDoc doc(prompt);
    double worstPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc.CloseProject();
        const std::int64_t before = g_live.load();
        g_peak.store(before);
        state.ResumeTiming();
        if (!doc.OpenProject(path) || doc.WorkingData().GetCount() != kSeries)
            state.SkipWithError("load failed");
        state.PauseTiming();
        worstPeak = std::max(worstPeak, static_cast<double>(g_peak.load() - before));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fileSize));
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["peak_heap_MB"] = worstPeak / 1e6;
    state.counters["peak_heap_per_file_byte"] = worstPeak / fileSize;
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyPaste1000(benchmark::State& state) {
    Text::CSilentPrompt prompt(Text::MsgResult::No);
    Doc::CMemoryClipboard clipboard;
    CCurveStore::Instance().Clear();
    CHammerDoc source(prompt, &clipboard);
    Fill(source);
    std::vector<std::uint8_t> selection(kSeries, 0);
    for (int i = 0; i < kSeries; i += kSeries / kCopied) selection[static_cast<std::size_t>(i)] = 1;
    CHammerDoc target(prompt, &clipboard);
    for (auto _ : state) {
        if (!source.CopySelected(selection) || !target.Paste()) state.SkipWithError("copy or paste failed");
        state.PauseTiming();
        if (target.WorkingData().GetCount() != kCopied) state.SkipWithError("wrong count");
        target.WorkingData().Clear();
        target.Summary().Clear();
        state.ResumeTiming();
    }
    state.counters["payload_MB"] =
        static_cast<double>(clipboard.GetData(CHammerDoc::ClipboardFormat())->size()) / 1e6;
}
BENCHMARK(BM_CopyPaste1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
