#include "device/DeviceSearch.h"

#include <memory>
#include <string>
#include <vector>

#include "device/Callback.h"
#include "device/DeviceFactory.h"
#include "device/PortTable.h"
#include "device/ZvDevice.h"
#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamFactory.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdSerial = 20000;
constexpr unsigned kIdEthernet = 20002;
constexpr unsigned kIdSearching = 20003;    // "Search %s device on %s..."
constexpr unsigned kIdCannotOpen = 20004;   // "could not open port."
constexpr unsigned kIdNoDevice = 20006;     // "No device of the required type found."
constexpr unsigned kIdDeviceFound = 20007;  // " %s   Serial: %s"
constexpr unsigned kMaxScanPort = 255;
constexpr int kIpPort = 3728;
constexpr std::uint32_t kOpenMode = StreamIO::kOpenRead | StreamIO::kOpenWrite;

class CSearch {
  public:
    explicit CSearch(const SJobEntry& job) : m_Job(job) {}

    void Run() {
        m_Device = Create();
        m_DeviceName = m_Device ? m_Device->GetName() : GetDeviceTypeName(m_Job.DeviceType);
        switch (m_Job.PortType) {
            case PortSerial:
                SearchSerial();
                break;
            case PortEthernet:
                SearchEthernet();
                break;
            default:
                // USB devices are listed by the USB transport, which this program
                // does not have; other values name no port type.
                break;
        }
        m_Device.reset();
        if (!IsAbortRequested() && m_Job.Callback != nullptr) m_Job.Callback->OnDevice(nullptr);
    }

  private:
    std::unique_ptr<CZvDevice> Create() const {
        return m_Job.Factory ? m_Job.Factory(m_Job.DeviceType) : CreateDevice(m_Job.DeviceType);
    }

    void Report(const std::u16string& text) const {
        if (m_Job.Callback != nullptr && !IsAbortRequested()) m_Job.Callback->OnStatus(text);
    }

    std::vector<unsigned> SerialPorts(const CPortTable& table) const {
        std::vector<unsigned> ports;
        if (!m_Job.Scan) {
            if (m_Job.PortNumber > 0) ports.push_back(static_cast<unsigned>(m_Job.PortNumber));
            return ports;
        }
        // Only ports that exist: a missing device node would only cost time.
        for (unsigned port : table.ExistingPorts()) {
            if (port > kMaxScanPort) break;
            if (static_cast<int>(port) == m_Job.SkippedPort) continue;
            ports.push_back(port);
        }
        return ports;
    }

    void SearchSerial() {
        const CPortTable table = CPortTable::Current();
        for (unsigned port : SerialPorts(table)) {
            if (!m_Device) m_Device = Create();
            if (!m_Device) return;

            std::string portText = "COM" + std::to_string(port) + ":";
            const std::optional<std::string> path = table.PathOf(port);
            if (path) portText += " (" + *path + ")";
            std::u16string status = Text::FormatString(
                kIdSearching, m_DeviceName, Text::LoadString(kIdSerial) + u" " + Text::FromUtf8(portText));
            Report(status);

            auto stream = std::make_unique<StreamIO::CRs232Stream>();
            bool opened = false;
            try {
                opened = stream->OpenPort(port, kOpenMode, &m_Device->GetSerialSettings(), path.value_or(""));
            } catch (const StreamIO::CFileException&) {
                opened = false;
            }
            const bool found = opened ? TryDevice(std::move(stream), PortSerial, status) : false;
            if (!opened) {
                status += u"\r\n" + Text::LoadString(kIdCannotOpen);
                Report(status);
            }
            if (IsAbortRequested()) return;
            if (found && m_Job.Scan && m_Job.StopAfterFirst) return;
        }
    }

    void SearchEthernet() {
        if (!m_Device) return;
        std::u16string status = Text::FormatString(
            kIdSearching, m_DeviceName, Text::LoadString(kIdEthernet) + u" " + Text::FromUtf8(m_Job.Address));
        Report(status);
        std::unique_ptr<StreamIO::CIoStream> stream;
        try {
            stream = StreamIO::CreateStream("IP:" + m_Job.Address + ":" + std::to_string(kIpPort), kOpenMode);
        } catch (const StreamIO::CFileException&) {
            stream.reset();
        }
        if (!stream) {
            status += u"\r\n" + Text::LoadString(kIdCannotOpen);
            Report(status);
            return;
        }
        TryDevice(std::move(stream), PortEthernet, status);
    }

    // Attaches the open stream, identifies, and hands a device that answers to
    // the callback. True when the device identified itself.
    bool TryDevice(std::unique_ptr<StreamIO::CIoStream> stream, int portType, std::u16string& status) {
        if (!m_Device->Attach(std::move(stream), portType)) return false;
        SShortIdentity identity;
        if (m_Device->Identify(identity)) {
            status +=
                u"\r\n" + Text::FormatString(kIdDeviceFound, identity.DeviceType, identity.SerialNumber);
            Report(status);
            if (IsAbortRequested() || m_Job.Callback == nullptr) {
                m_Device.reset();
            } else {
                m_Job.Callback->OnDevice(std::move(m_Device));
            }
            m_Device.reset();
            return true;
        }
        status += u"\r\n" + Text::LoadString(kIdNoDevice);
        Report(status);
        if (std::unique_ptr<StreamIO::CIoStream> back = m_Device->Detach()) back->CloseQuietly();
        return false;
    }

    const SJobEntry& m_Job;
    std::unique_ptr<CZvDevice> m_Device;
    std::string m_DeviceName;
};

}  // namespace

void RunSearchJob(const SJobEntry& job) {
    CSearch(job).Run();
}

}  // namespace Device
