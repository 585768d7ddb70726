#pragma once
// A simulated hammer on a real pseudo-terminal, served on a thread of the test,
// and a hammer object connected to it through the serial stream.
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SimHammer.h"
#include "SimPty.h"
#include "StateJson.h"
#include "device/Callback.h"
#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"
#include "streamio/Rs232Stream.h"

namespace E2e {

inline std::string StatePath(const std::string& name) {
    return std::string(BRELVANTOR_SOURCE_DIR) + "/sim/states/" + name;
}

inline Sim::SSimState LoadState(const std::string& name) {
    Sim::SSimState state;
    std::string error;
    if (!Sim::LoadStateFile(StatePath(name), state, error)) throw std::runtime_error(error);
    return state;
}

class CSimLine {
  public:
    explicit CSimLine(Sim::SSimState state, Sim::SSimFaults faults = {}, std::uint32_t lineRate = 0)
        : m_Hammer(std::move(state), faults), m_Pty(m_Hammer, Paced(lineRate)) {
        std::string error;
        if (!m_Pty.Start(error)) throw std::runtime_error(error);
    }
    ~CSimLine() { m_Pty.Stop(); }
    static Sim::CSimPty::SOptions Paced(std::uint32_t lineRate) {
        Sim::CSimPty::SOptions options;
        options.LineRate = lineRate;
        return options;
    }
    CSimLine(const CSimLine&) = delete;
    CSimLine& operator=(const CSimLine&) = delete;

    Sim::CSimHammer& Hammer() { return m_Hammer; }
    const std::string& Path() const { return m_Pty.SlavePath(); }

    // Application requests (0xD1 frames) the hammer received, payload only.
    std::vector<std::vector<std::uint8_t>> ApplicationRequests() const {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& r : m_Hammer.GetRequests()) {
            if (r.Kind == Sim::SSimRequest::Binary && r.Command == 0xD1) out.push_back(r.Payload);
        }
        return out;
    }

  private:
    Sim::CSimHammer m_Hammer;
    Sim::CSimPty m_Pty;
};

// A hammer object attached to the pty with the hammer's own serial settings.
inline std::unique_ptr<Device::CVantrelDevice> Connect(const std::string& path) {
    auto device = std::make_unique<Device::CVantrelDevice>();
    auto stream = std::make_unique<StreamIO::CRs232Stream>();
    if (!stream->OpenPath(path, StreamIO::kOpenRead | StreamIO::kOpenWrite, &device->GetSerialSettings())) {
        return nullptr;
    }
    if (!device->Attach(std::move(stream), Device::PortSerial)) return nullptr;
    return device;
}

// Connected and identified.
inline std::unique_ptr<Device::CVantrelDevice> ConnectIdentified(const std::string& path) {
    auto device = Connect(path);
    Device::SShortIdentity id;
    if (!device || !device->Identify(id)) return nullptr;
    return device;
}

class CProgressLog : public Device::CCallback {
  public:
    CProgressLog() { SetProgressEnabled(true); }
    void OnProgress(int percent, int phase, int) override {
        Percents.push_back(percent);
        Phases.push_back(phase);
    }
    std::vector<int> Percents;
    std::vector<int> Phases;
};

// The series a hammer in `state` must deliver, decoded: the same mapping the
// decoders implement, written out again from the state's side.
inline std::vector<TDownloadedSeries> ExpectedSeries(const Sim::SSimState& state) {
    std::vector<TDownloadedSeries> out;
    for (const auto& s : state.Series) {
        TDownloadedSeries d;
        d.ImpactCounter = s.ImpactCounter;
        d.DeviceInfoA = static_cast<std::int16_t>(s.InfoA);
        d.DateTime = s.DateTime;
        d.DeviceCount = static_cast<std::uint8_t>(s.Readings.size());
        d.AveragingMode = s.Mode;
        d.CurveId = s.Curve;
        d.Unit = s.Unit;
        d.FormCode = s.Form;
        if (state.NewFormat) {
            d.DeviceInfoB = s.InfoB;
            d.DeviceInfoC = s.InfoC;
            d.UpperOutliers = s.UpperOutliers;
            d.LowerOutliers = s.LowerOutliers;
            d.DeviceInfoD = s.Carbonation;
            d.CarbonationCode = s.Carbonation == 0 ? 100 : s.Carbonation;
        } else {
            d.DeviceInfoD = s.InfoD;
            d.CarbonationCode = s.Carbonation;
        }
        d.NewDataFormat = state.NewFormat;
        d.SerialNumber = state.Identity.SerialNumber;
        d.DeviceType = state.Identity.DeviceType;
        d.DeviceInfo = state.Identity.HardwareRevision;
        for (const auto& r : s.Readings) d.Readings.push_back(TMeas{r.QHalf, r.Energy, r.Extra});
        out.push_back(std::move(d));
    }
    return out;
}

// One line per series, so that a mismatch shows which field differs.
inline std::string Describe(const std::vector<TDownloadedSeries>& series) {
    std::ostringstream out;
    for (const auto& s : series) {
        out << s.ImpactCounter << " A" << s.DeviceInfoA << " t" << s.DateTime << " n" << int(s.DeviceCount)
            << " m" << int(s.AveragingMode) << " B" << int(s.DeviceInfoB) << " C" << int(s.DeviceInfoC)
            << " u" << int(s.UpperOutliers) << " l" << int(s.LowerOutliers) << " c" << int(s.CurveId) << " U"
            << int(s.Unit) << " f" << int(s.FormCode) << " D" << int(s.DeviceInfoD) << " k"
            << int(s.CarbonationCode) << " " << s.SerialNumber << "|" << s.DeviceType << "|" << s.DeviceInfo
            << (s.NewDataFormat ? " new" : " old") << " [";
        for (const auto& r : s.Readings) out << int(r.QHalf) << "/" << r.Energy << "/" << int(r.Extra) << " ";
        out << "]\n";
    }
    return out.str();
}

}  // namespace E2e
