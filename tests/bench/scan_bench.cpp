// The device search over pseudo-terminals: ports that exist and stay silent
// (nobody answers on them), and the simulated hammer (brelvantor-sim, run beside
// this program) behind them. Each silent port costs the identification's time-out
// (2 s) when the ports are tried one after the other.
//
//   8 silent + hammer:   wall time of a scan that stops at the hammer (target <= 3 s)
//   4 silent, no hammer: wall time of a scan that finds nothing
//   hammer first, 8 silent behind: how long a scan that stops at COM1 takes
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "device/Callback.h"
#include "device/DeviceSearch.h"
#include "device/DeviceThread.h"
#include "device/PortTable.h"
#include "device/ZvDevice.h"

namespace {

// A pseudo-terminal whose device side is held open and never read or written.
class CSilentPort {
  public:
    CSilentPort() {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (m_Master < 0 || ::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0 ||
            ::ptsname_r(m_Master, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        m_Path = name;
    }
    ~CSilentPort() { ::close(m_Master); }
    CSilentPort(const CSilentPort&) = delete;
    CSilentPort& operator=(const CSilentPort&) = delete;
    const std::string& Path() const { return m_Path; }

  private:
    int m_Master = -1;
    std::string m_Path;
};

class CFound : public Device::CCallback {
  public:
    void OnDevice(std::unique_ptr<Device::CZvDevice> device) override {
        if (device) {
            serial = device->GetSerialNumber();
            port = device->GetPortName();
            ++devices;
        }
    }
    std::string serial, port;
    int devices = 0;
};

// `silentBefore` silent ports, the hammer (when `hammer`), then `silentAfter`.
void RunScan(benchmark::State& state, int silentBefore, bool hammer, int silentAfter) {
    try {
        std::unique_ptr<Bench::CSimProcess> sim;
        if (hammer) sim = std::make_unique<Bench::CSimProcess>("", 0);
        std::vector<std::unique_ptr<CSilentPort>> silent;
        std::string table;
        unsigned number = 1;
        auto add = [&](const std::string& path) { table += std::to_string(number++) + "=" + path + ";"; };
        for (int i = 0; i < silentBefore; ++i)
            add(silent.emplace_back(std::make_unique<CSilentPort>())->Path());
        if (hammer) add(sim->Path());
        for (int i = 0; i < silentAfter; ++i)
            add(silent.emplace_back(std::make_unique<CSilentPort>())->Path());
        Device::CPortTable::SetCurrent(Device::CPortTable::Parse(table));

        double total = 0;
        int runs = 0;
        for (auto _ : state) {
            CFound found;
            Device::SJobEntry job;
            job.JobType = Device::JobSearch;
            job.Callback = &found;
            job.DeviceType = Device::TypeVantrel;
            job.PortType = Device::PortSerial;
            job.Scan = true;
            job.StopAfterFirst = true;
            Device::ClearAbort();
            const auto t0 = std::chrono::steady_clock::now();
            Device::RunSearchJob(job);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            state.SetIterationTime(seconds);
            total += seconds;
            ++runs;
            if (found.devices != (hammer ? 1 : 0)) {
                state.SkipWithError("wrong search result");
                break;
            }
        }
        if (runs > 0) {
            state.counters["ports"] = static_cast<double>(number - 1);
            state.counters["wall_s"] = total / runs;
            if (hammer) state.counters["limit_s"] = 3.0;
        }
        Device::CPortTable::SetCurrent(std::nullopt);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void BM_ScanEightSilentThenHammer(benchmark::State& state) {
    RunScan(state, 8, true, 0);
}
void BM_ScanFourSilentNoHammer(benchmark::State& state) {
    RunScan(state, 4, false, 0);
}
void BM_ScanHammerFirstEightSilentBehind(benchmark::State& state) {
    RunScan(state, 0, true, 8);
}

}  // namespace

BENCHMARK(BM_ScanEightSilentThenHammer)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFourSilentNoHammer)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanHammerFirstEightSilentBehind)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
