// Download of a reply near the 64 KiB limit from the simulated hammer over a
// pseudo-terminal: once paced like a 38400 baud line, once as fast as the pty
// carries it. Runs the brelvantor-sim program beside this one (or the one named
// by BRELVANTOR_SIM), so that the CPU time measured is the program's alone.
//
//   paced:   wall time against the line-limited time (target: wall <= 1.03 x line
//            + 0.3 s) and CPU time as a share of the wall time (target <= 5 %)
//   unpaced: throughput (target >= 2 MB/s)
//
// The same again with the simulator on TCP over the loopback, as a hammer
// behind a serial-to-network bridge (targets: paced as above, unpaced
// >= 10 MB/s).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "SimProcess.h"
#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"
#include "streamio/IpStream.h"
#include "streamio/Rs232Stream.h"

namespace {

constexpr std::uint32_t kLineRate = 3840;  // 38400 baud, 8N1

// 158 series of 99 readings in the newer format: 65413 data bytes.
std::string WriteLargeState() {
    const auto path =
        std::filesystem::temp_directory_path() / ("brelvantor-bench-" + std::to_string(::getpid()) + ".json");
    std::ofstream(path) << R"({"format": "new", "checkKind": 4,
        "generate": {"series": 158, "readings": 99, "seed": 2024}})";
    return path.string();
}

std::unique_ptr<Device::CVantrelDevice> Connect(const std::string& path) {
    auto device = std::make_unique<Device::CVantrelDevice>();
    constexpr std::uint32_t mode = StreamIO::kOpenRead | StreamIO::kOpenWrite;
    bool attached = false;
    if (StreamIO::IsIpName(path)) {
        // Opened as the device search opens a port table entry of a bridge.
        auto stream = std::make_unique<StreamIO::CIpStream>();
        attached = stream->Open(path, mode) && stream->SetTimeouts(500, 100) &&
                   device->Attach(std::move(stream), Device::PortSerial);
    } else {
        auto stream = std::make_unique<StreamIO::CRs232Stream>();
        attached = stream->OpenPath(path, mode, &device->GetSerialSettings()) &&
                   device->Attach(std::move(stream), Device::PortSerial);
    }
    if (!attached) throw std::runtime_error("cannot open " + path);
    Device::SShortIdentity id;
    if (!device->Identify(id)) throw std::runtime_error("no hammer on " + path);
    return device;
}

double CpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void RunDownloads(benchmark::State& state, std::uint32_t lineRate, bool tcp = false) {
    const std::string stateFile = WriteLargeState();
    try {
        Bench::CSimProcess sim(stateFile, lineRate, tcp);
        auto hammer = Connect(sim.Path());
        double wall = 0, cpu = 0;
        std::size_t bytes = 0, downloads = 0;
        for (auto _ : state) {
            Device::SDownloadResult result;
            const double cpu0 = CpuSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            const int code = hammer->DownloadAllSeries(result);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            cpu += CpuSeconds() - cpu0;
            wall += seconds;
            state.SetIterationTime(seconds);
            if (code != Device::kDownloadOk || result.Series.size() != 158) {
                state.SkipWithError("download failed");
                break;
            }
            // 5 header bytes, the data (format byte and records) and the CRC-32.
            std::size_t data = 1;
            for (const auto& s : result.Series) data += 18 + 4 * s.Readings.size();
            bytes += data + 5 + 4;
            ++downloads;
        }
        if (downloads > 0) {
            state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
            state.counters["reply_bytes"] = static_cast<double>(bytes / downloads);
            state.counters["wall_s"] = wall / static_cast<double>(downloads);
            state.counters["cpu_pct_of_wall"] = 100.0 * cpu / wall;
            state.counters["MB_per_s"] = static_cast<double>(bytes) / wall / 1e6;
            if (lineRate != 0) {
                const double line = static_cast<double>(bytes / downloads) / lineRate;
                state.counters["line_s"] = line;
                state.counters["wall_over_line"] = (wall / static_cast<double>(downloads)) / line;
                state.counters["limit_s"] = 1.03 * line + 0.3;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
    std::filesystem::remove(stateFile);
}

void BM_DownloadPaced38400(benchmark::State& state) {
    RunDownloads(state, kLineRate);
}
void BM_DownloadUnpaced(benchmark::State& state) {
    RunDownloads(state, 0);
}
void BM_DownloadTcpPaced38400(benchmark::State& state) {
    RunDownloads(state, kLineRate, true);
}
void BM_DownloadTcpUnpaced(benchmark::State& state) {
    RunDownloads(state, 0, true);
}

}  // namespace

BENCHMARK(BM_DownloadPaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadUnpaced)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadTcpPaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadTcpUnpaced)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
