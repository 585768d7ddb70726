#include "device/DeviceSearch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "device/Callback.h"
#include "device/DeviceFactory.h"
#include "device/PortOpenFailure.h"
#include "device/PortTable.h"
#include "device/TrafficLog.h"
#include "device/ZvDevice.h"
#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/IpStream.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamFactory.h"
#include "streamio/UsbHostProbe.h"
#include "streamio/UsbHostProbeManager.h"
#include "streamio/UsbHostStream.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdSerial = 20000;
constexpr unsigned kIdUsb = 20001;
constexpr unsigned kIdEthernet = 20002;
constexpr unsigned kIdSearching = 20003;      // "Search %s device on %s..."
constexpr unsigned kIdCannotOpen = 20004;     // "could not open port."
constexpr unsigned kIdNoDevice = 20006;       // "No device of the required type found."
constexpr unsigned kIdDeviceFound = 20007;    // " %s   Serial: %s"
constexpr unsigned kIdCannotOpenUsb = 20020;  // "could not open USB device."
constexpr unsigned kMaxScanPort = 255;
constexpr int kIpPort = 3728;
constexpr std::uint32_t kOpenMode = StreamIO::kOpenRead | StreamIO::kOpenWrite;

// Collects what a probe's engine exchanges, so that a traffic log shared by
// all probes receives each port's bytes in one piece and in port order, as a
// search that tries one port after the other would have written them.
class CHeldTraffic : public ITrafficLog {
  public:
    void OnTraffic(ETrafficDirection direction, std::int64_t unixMs,
                   std::span<const std::uint8_t> bytes) override {
        m_Items.push_back({direction, unixMs, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
    }
    void ReplayInto(ITrafficLog& log) {
        for (const SItem& item : m_Items) log.OnTraffic(item.Direction, item.UnixMs, item.Bytes);
        m_Items.clear();
    }

  private:
    struct SItem {
        ETrafficDirection Direction;
        std::int64_t UnixMs;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<SItem> m_Items;
};

// One serial port's trial: open, attach, identify. Probes of a scan run at the
// same time on threads of their own; only the search (its own thread) reports.
struct SProbe {
    enum class EOutcome { Pending, NotOpened, NotAttached, NoDevice, Found, Skipped };

    unsigned Port = 0;
    std::optional<std::string> Path;
    ITrafficLog* Log = nullptr;         // the device's own log, held back meanwhile
    CHeldTraffic Held;                  // declared before the device, which may log until it goes
    std::unique_ptr<CZvDevice> Device;  // kept after the probe when it identified
    EOutcome Outcome = EOutcome::Pending;
    SPortOpenFailure OpenFailure;  // why the port did not open (NotOpened)
    SShortIdentity Identity;
    std::exception_ptr Error;  // what the probe raised (out of memory); raised again by the search

    // Guarded by the search's lock.
    StreamIO::CIoStream* Live = nullptr;  // the stream while the probe may wait on it
    bool Cancelled = false;
    bool Done = false;
};

// Silent ports cost the identification's whole time-out each; tried together
// they cost it once. Enough threads for every port a PC usually lists, few
// enough that a table of 255 ports does not start 255 threads.
constexpr std::size_t kMaxParallelProbes = 32;

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
            case PortUsb:
                SearchUsb();
                break;
            case PortEthernet:
                SearchEthernet();
                break;
            default:
                // Other values name no port type.
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

    // The ports are tried at the same time, but what the user is told, which
    // device is handed over and when the search stops are what trying them one
    // after the other gives: the outcomes are taken in port order, and a scan
    // that stops after the first device ends at the lowest port that answers
    // (the probes of higher ports are interrupted and their devices dropped).
    void SearchSerial() {
        const CPortTable table = CPortTable::Current();
        std::vector<std::unique_ptr<SProbe>> probes;
        for (unsigned port : SerialPorts(table)) {
            // Device objects are made here, on the search's thread, never by the
            // probes: a caller's factory need not be thread-safe.
            std::unique_ptr<CZvDevice> device = m_Device ? std::move(m_Device) : Create();
            if (!device) break;
            auto probe = std::make_unique<SProbe>();
            probe->Port = port;
            probe->Path = table.PathOf(port);
            probe->Device = std::move(device);
            probes.push_back(std::move(probe));
        }
        if (probes.empty()) return;

        std::vector<std::thread> threads;
        // Whatever way this ends, no probe outlives it.
        struct SJoin {
            CSearch& search;
            std::vector<std::unique_ptr<SProbe>>& probes;
            std::vector<std::thread>& threads;
            ~SJoin() {
                search.CancelProbes(probes);
                for (std::thread& t : threads) t.join();
            }
        } join{*this, probes, threads};
        // A single port is tried on this thread, after it has been named.
        const bool single = probes.size() == 1;
        if (!single) {
            for (const std::unique_ptr<SProbe>& probe : probes) {
                // A log shared by every probe gets each port's part in one piece.
                probe->Log = probe->Device->GetTrafficLog();
                if (probe->Log != nullptr) probe->Device->SetTrafficLog(&probe->Held);
            }
            const std::size_t count = std::min(probes.size(), kMaxParallelProbes);
            threads.reserve(count);
            for (std::size_t i = 0; i < count; ++i) {
                threads.emplace_back([this, &probes] {
                    for (;;) {
                        const std::size_t index = m_Next.fetch_add(1);
                        if (index >= probes.size()) return;
                        SProbe& probe = *probes[index];
                        try {
                            RunProbe(probe);
                        } catch (...) {
                            std::lock_guard lock(m_Lock);
                            probe.Error = std::current_exception();
                            probe.Done = true;
                            m_ProbeDone.notify_all();
                        }
                    }
                });
            }
        }

        for (const std::unique_ptr<SProbe>& item : probes) {
            SProbe& probe = *item;
            std::string portText = "COM" + std::to_string(probe.Port) + ":";
            if (probe.Path) portText += " (" + *probe.Path + ")";
            std::u16string status = Text::FormatString(
                kIdSearching, m_DeviceName, Text::LoadString(kIdSerial) + u" " + Text::FromUtf8(portText));
            Report(status);
            if (single) RunProbe(probe);
            if (!AwaitProbe(probe)) return;  // aborted
            if (probe.Log != nullptr) {
                probe.Held.ReplayInto(*probe.Log);
                if (probe.Device) probe.Device->SetTrafficLog(probe.Log);
            }
            bool found = false;
            switch (probe.Outcome) {
                case SProbe::EOutcome::NotOpened:
                    status += u"\r\n" + CannotOpenPortText(probe.OpenFailure);
                    Report(status);
                    break;
                case SProbe::EOutcome::NoDevice:
                    status += u"\r\n" + Text::LoadString(kIdNoDevice);
                    Report(status);
                    break;
                case SProbe::EOutcome::Found:
                    found = true;
                    status += u"\r\n" + Text::FormatString(kIdDeviceFound, probe.Identity.DeviceType,
                                                           probe.Identity.SerialNumber);
                    Report(status);
                    if (!IsAbortRequested() && m_Job.Callback != nullptr) {
                        m_Job.Callback->OnDevice(std::move(probe.Device));
                    }
                    probe.Device.reset();
                    break;
                default:
                    break;
            }
            if (IsAbortRequested()) return;
            if (found && m_Job.Scan && m_Job.StopAfterFirst) return;
        }
    }

    // Waits for the probe, watching the abort flag meanwhile (a probe only
    // looks at its port). False when the search was aborted.
    bool AwaitProbe(SProbe& probe) {
        std::unique_lock lock(m_Lock);
        while (!probe.Done) {
            if (IsAbortRequested()) return false;
            m_ProbeDone.wait_for(lock, std::chrono::milliseconds(20));
        }
        if (probe.Error) std::rethrow_exception(probe.Error);
        return true;
    }

    void CancelProbes(std::vector<std::unique_ptr<SProbe>>& probes) {
        std::lock_guard lock(m_Lock);
        for (const std::unique_ptr<SProbe>& probe : probes) {
            probe->Cancelled = true;
            if (probe->Live != nullptr) probe->Live->Interrupt();
        }
    }

    // Runs on a probe thread (or on the search's own for a single port): uses
    // only the probe's own device and stream.
    void RunProbe(SProbe& probe) {
        // A port table entry may name a hammer behind a network bridge.
        const bool overIp = probe.Path && StreamIO::IsIpName(*probe.Path);
        std::unique_ptr<StreamIO::CIoStream> stream;
        if (overIp)
            stream = std::make_unique<StreamIO::CIpStream>();
        else
            stream = std::make_unique<StreamIO::CRs232Stream>();
        // Streams stay alive until the probe has let go of them (an Interrupt
        // may be on its way); a stream the device keeps lives in the device.
        std::unique_ptr<StreamIO::CIoStream> leftover;
        {
            std::lock_guard lock(m_Lock);
            if (probe.Cancelled) {
                probe.Outcome = SProbe::EOutcome::Skipped;
                probe.Done = true;
                m_ProbeDone.notify_all();
                return;
            }
            probe.Live = stream.get();
        }
        // Destroyed before the streams above, also when something raises.
        struct SLetGo {
            CSearch& search;
            SProbe& probe;
            ~SLetGo() {
                std::lock_guard lock(search.m_Lock);
                probe.Live = nullptr;
            }
        } letGo{*this, probe};

        bool opened = false;
        probe.OpenFailure.Path = probe.Path.value_or("");
        try {
            if (overIp)
                opened = stream->Open(*probe.Path, kOpenMode) && stream->SetTimeouts(500, 100);
            else
                opened = static_cast<StreamIO::CRs232Stream&>(*stream).OpenPort(
                    probe.Port, kOpenMode, &probe.Device->GetSerialSettings(), probe.Path.value_or(""));
            if (!opened) probe.OpenFailure.Code = stream->GetLastError();
        } catch (const StreamIO::CFileException& e) {
            opened = false;
            probe.OpenFailure = PortOpenFailureOf(probe.OpenFailure.Path, e);
        }
        if (!opened) {
            probe.Outcome = SProbe::EOutcome::NotOpened;
        } else {
            std::unique_ptr<StreamIO::CIoStream> open = std::move(stream);
            if (!probe.Device->Attach(std::move(open), PortSerial)) {
                probe.Outcome = SProbe::EOutcome::NotAttached;
                leftover = std::move(open);
            } else if (probe.Device->Identify(probe.Identity)) {
                probe.Outcome = SProbe::EOutcome::Found;
            } else {
                probe.Outcome = SProbe::EOutcome::NoDevice;
                leftover = probe.Device->Detach();
                if (leftover) leftover->CloseQuietly();
            }
        }
        // Let go in the same step that says done: from then on the device may
        // be handed over, and its stream must never be interrupted.
        std::lock_guard lock(m_Lock);
        probe.Live = nullptr;
        probe.Done = true;
        m_ProbeDone.notify_all();
    }

    // Every listed USB device of the family's kind, one after the other: the
    // HID family on its control channel, the others on bulk pipes.
    void SearchUsb() {
        if (!m_Device) return;
        const bool hid = m_Job.DeviceType == TypeHidProbe;
        const std::vector<std::string> paths =
            hid ? StreamIO::ListUsbProbeDevices() : StreamIO::ListUsbHostDevices();
        for (const std::string& path : paths) {
            if (!m_Device) m_Device = Create();
            if (!m_Device) return;
            std::u16string status = Text::FormatString(kIdSearching, m_DeviceName, Text::LoadString(kIdUsb));
            Report(status);
            std::unique_ptr<StreamIO::CIoStream> stream;
            if (hid)
                stream = std::make_unique<StreamIO::CUsbHostProbeControl>();
            else
                stream = std::make_unique<StreamIO::CUsbHostStream>();
            bool opened = false;
            try {
                opened = stream->Open(path, kOpenMode);
            } catch (const StreamIO::CFileException&) {
                opened = false;
            }
            if (!opened) {
                status += u"\r\n" + Text::LoadString(kIdCannotOpenUsb) + u" " + Text::FromUtf8(path);
                Report(status);
            } else if (m_Device->Attach(std::move(stream), PortUsb)) {
                SShortIdentity identity;
                if (m_Device->Identify(identity)) {
                    status += u"\r\n" +
                              Text::FormatString(kIdDeviceFound, identity.DeviceType, identity.SerialNumber);
                    Report(status);
                    if (IsAbortRequested()) {
                        m_Device.reset();
                    } else if (m_Job.Callback != nullptr) {
                        m_Job.Callback->OnDevice(std::move(m_Device));
                    }
                    m_Device.reset();
                } else {
                    status += u"\r\n" + Text::LoadString(kIdNoDevice);
                    Report(status);
                    if (std::unique_ptr<StreamIO::CIoStream> back = m_Device->Detach()) back->CloseQuietly();
                }
            }
            if (IsAbortRequested()) return;
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
        if (!m_Device->Attach(std::move(stream), PortEthernet)) return;
        SShortIdentity identity;
        if (m_Device->Identify(identity)) {
            status +=
                u"\r\n" + Text::FormatString(kIdDeviceFound, identity.DeviceType, identity.SerialNumber);
            Report(status);
            if (!IsAbortRequested() && m_Job.Callback != nullptr)
                m_Job.Callback->OnDevice(std::move(m_Device));
            m_Device.reset();
            return;
        }
        status += u"\r\n" + Text::LoadString(kIdNoDevice);
        Report(status);
        if (std::unique_ptr<StreamIO::CIoStream> back = m_Device->Detach()) back->CloseQuietly();
    }

    const SJobEntry& m_Job;
    std::unique_ptr<CZvDevice> m_Device;
    std::string m_DeviceName;
    std::mutex m_Lock;
    std::condition_variable m_ProbeDone;
    std::atomic<std::size_t> m_Next{0};
};

}  // namespace

void RunSearchJob(const SJobEntry& job) {
    CSearch(job).Run();
}

}  // namespace Device
