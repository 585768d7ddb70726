#pragma once
// A simulated hammer served on a real pseudo-terminal inside the test, a
// hammer object connected to it, and a curve library in a folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SimFaults.h"
#include "SimHammer.h"
#include "SimPty.h"
#include "StateJson.h"
#include "core/text/TempDir.h"
#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"
#include "model/CurveStore.h"
#include "streamio/IoStream.h"
#include "streamio/Rs232Stream.h"

namespace ToolsSim {

inline Sim::SSimState LoadState(const std::string& name) {
    Sim::SSimState state;
    std::string error;
    if (!Sim::LoadStateFile(std::string(BRELVANTOR_SOURCE_DIR) + "/sim/states/" + name, state, error))
        throw std::runtime_error(error);
    return state;
}

class CLine {
  public:
    explicit CLine(Sim::SSimState state, Sim::SSimFaults faults = {})
        : m_hammer(std::move(state), faults), m_pty(m_hammer, {}) {
        std::string error;
        if (!m_pty.Start(error)) throw std::runtime_error(error);
    }
    ~CLine() { m_pty.Stop(); }
    CLine(const CLine&) = delete;
    CLine& operator=(const CLine&) = delete;

    Sim::CSimHammer& Hammer() { return m_hammer; }
    const std::string& Path() const { return m_pty.SlavePath(); }

    // Application sub-commands the hammer received, in order.
    std::vector<std::uint8_t> SubCommands() const {
        std::vector<std::uint8_t> out;
        for (const auto& r : m_hammer.GetRequests())
            if (r.Kind == Sim::SSimRequest::Binary && r.Command == 0xD1 && !r.Payload.empty())
                out.push_back(r.Payload.front());
        return out;
    }

  private:
    Sim::CSimHammer m_hammer;
    Sim::CSimPty m_pty;
};

// Attached and identified, as a search hands a hammer over.
inline std::unique_ptr<Device::CVantrelDevice> Connect(const CLine& line) {
    auto device = std::make_unique<Device::CVantrelDevice>();
    auto stream = std::make_unique<StreamIO::CRs232Stream>();
    if (!stream->OpenPath(line.Path(), StreamIO::kOpenRead | StreamIO::kOpenWrite,
                          &device->GetSerialSettings()))
        return nullptr;
    if (!device->Attach(std::move(stream), Device::PortSerial)) return nullptr;
    Device::SShortIdentity id;
    if (!device->Identify(id)) return nullptr;
    return device;
}

// The curve library and the custom curve store start empty in every test.
class CLibraryScope {
  public:
    CLibraryScope() {
        const char* old = std::getenv("BRELVANTOR_CURVES");
        if (old) m_old = old;
        m_had = old != nullptr;
        ::setenv("BRELVANTOR_CURVES", (m_dir / "curves").c_str(), 1);
        CCurveStore::Instance().Clear();
    }
    ~CLibraryScope() {
        if (m_had)
            ::setenv("BRELVANTOR_CURVES", m_old.c_str(), 1);
        else
            ::unsetenv("BRELVANTOR_CURVES");
        CCurveStore::Instance().Clear();
    }
    std::filesystem::path Folder() const { return m_dir / "curves"; }

  private:
    CTempDir m_dir;
    std::string m_old;
    bool m_had = false;
};

}  // namespace ToolsSim
