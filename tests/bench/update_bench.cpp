// The update checks against the tests' FTP server (pyftpdlib) on 127.0.0.1.
//
//   BackgroundCheck/10000: the check at program start (connect, log in, enter
//     the folder, list 10,000 entries, rank them, ask for the winner's size,
//     close) in wall time (target <= 300 ms)
//   Download/50MB: the installer download in steps as the wizard runs it:
//     MB/s (target >= 20) and the single steps in ms (target < 16): the
//     longest in wall and in processor time, and the 99th percentile
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/FtpServer.h"
#include "update/UpdateChecks.h"
#include "update/UpdateServerSession.h"

namespace {

double ThreadCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct SBenchServer {
    std::filesystem::path dir;
    std::unique_ptr<CFtpServer> server;

    SBenchServer() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brelvantor-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        const auto folder = dir / "srv" / "ZvUpgrade" / "Brelvantor";
        std::filesystem::create_directories(folder);
        // 10,000 entries: old installers, other files, and one newer installer.
        for (int i = 0; i < 9999; ++i) {
            const std::string name = i % 2 ? "Brelvantor_V_0_" + std::to_string(i) + "_0_0.deb"
                                           : "notes_" + std::to_string(i) + ".txt";
            std::ofstream(folder / name) << "x";
        }
        std::ofstream(folder / "Brelvantor_V_2_10_0_0.deb") << "installer";
        std::ofstream big(folder / "Brelvantor_V_3_0_0_0.deb", std::ios::binary);
        std::string block(1 << 20, 'b');
        for (int i = 0; i < 50; ++i) big.write(block.data(), static_cast<std::streamsize>(block.size()));
        big.close();
        std::filesystem::create_directories(dir / "local");
        server = std::make_unique<CFtpServer>(dir / "srv");
    }
    ~SBenchServer() {
        server.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

SBenchServer& Server() {
    static SBenchServer s;
    return s;
}

void BackgroundCheck(benchmark::State& state) {
    auto& s = Server();
    for (auto _ : state) {
        Update::CUpdateServerSession session(s.server->Url());
        const CVersion found = Update::BackgroundInstallerCheck(session, "Brelvantor", CVersion(2, 0, 0, 0));
        if (found != CVersion(3, 0, 0, 0)) state.SkipWithError("the check did not find 3.0.0.0");
    }
    state.counters["entries"] = 10000;
}
BENCHMARK(BackgroundCheck)
    ->Name("BackgroundCheck/10000")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

void Download(benchmark::State& state) {
    auto& s = Server();
    double longestStepMs = 0;
    double longestStepCpuMs = 0;
    std::vector<double> stepMs;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        Update::CUpdateServerSession session(s.server->Url());
        const auto search = Update::SearchInstaller(session, "Brelvantor", CVersion(2, 11, 0, 0));
        if (!search.installer) {
            state.SkipWithError("no installer");
            break;
        }
        const auto target = s.dir / "local" / search.installer->name;
        auto download =
            session.StartDownload(search.installer->name, search.installer->size, target, std::nullopt);
        const std::uint64_t chunk = Update::CFtpDownload::ChunkSize(search.installer->size);
        for (;;) {
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = ThreadCpuMs();
            const auto st = download->Step(chunk);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            longestStepMs = std::max(longestStepMs, ms);
            longestStepCpuMs = std::max(longestStepCpuMs, ThreadCpuMs() - c0);
            stepMs.push_back(ms);
            if (st != Update::CFtpDownload::EState::Running) break;
        }
        if (download->State() != Update::CFtpDownload::EState::Done) state.SkipWithError("download failed");
        bytes += download->Received();
        std::filesystem::remove(target);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["longest_step_ms"] = longestStepMs;
    // On a busy machine the wall time of a step includes waiting for a core;
    // the processor time is what the step itself costs.
    state.counters["longest_step_cpu_ms"] = longestStepCpuMs;
    if (!stepMs.empty()) {
        std::sort(stepMs.begin(), stepMs.end());
        state.counters["p99_step_ms"] = stepMs[stepMs.size() * 99 / 100];
        state.counters["steps"] = static_cast<double>(stepMs.size());
    }
}
BENCHMARK(Download)->Name("Download/50MB")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
