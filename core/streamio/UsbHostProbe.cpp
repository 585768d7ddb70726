#include "streamio/UsbHostProbe.h"

#include <algorithm>
#include <span>
#include <thread>

#include "streamio/StreamErrors.h"
#include "streamio/UsbHostProbeManager.h"

namespace StreamIO {
namespace {

constexpr std::int32_t kSliceMs = 20;

}  // namespace

// ---- shared ----

bool CUsbHostProbeBase::Open(const std::string& name, std::uint32_t flags) {
    SetLastError(kErrNone);
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    SetName(name);
    SetOpenFlags(flags);
    m_Path = UsbProbePath(name);
    CUsbHostProbeManager& manager = CUsbHostProbeManager::Instance();
    std::int32_t code = kErrNone;
    auto device = manager.OpenChannel(m_Path, m_Channel, code);
    if (!device) Fail(code);
    if (const std::int32_t refused = Attach(*device)) {
        manager.ReleaseChannel(m_Path, m_Channel);
        Fail(refused);
    }
    m_Device = std::move(device);
    return true;
}

void CUsbHostProbeBase::Pause() const {
    if (m_PollMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_PollMs));
}

bool CUsbHostProbeBase::Expired(std::chrono::steady_clock::time_point start, std::int32_t ms) {
    return ms >= 0 && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms);
}

// ---- control channel ----

CUsbHostProbeControl::~CUsbHostProbeControl() {
    Unregister();
    if (m_Device) CUsbHostProbeManager::Instance().ReleaseChannel(m_Path, EHidChannel::Control);
}

std::int32_t CUsbHostProbeControl::Attach(IHidDevice& device) {
    m_Length = device.FeatureReportLength();
    if (HidControlCapacity(m_Length) == 0) return kErrUnexpected;
    m_Report.assign(m_Length, 0);
    m_In.clear();
    m_InAt = 0;
    m_Taken = false;
    m_Acked = true;
    m_OutSequence = 7;
    return kErrNone;
}

void CUsbHostProbeControl::Close() {
    SetLastError(kErrNone);
    if (!m_Device) return;
    m_Device.reset();
    if (const std::int32_t code =
            CUsbHostProbeManager::Instance().ReleaseChannel(m_Path, EHidChannel::Control))
        Fail(code);
}

std::size_t CUsbHostProbeControl::GetInputCount() {
    SetLastError(kErrNone);
    return m_In.size() - m_InAt;
}

void CUsbHostProbeControl::ClearInput() {
    SetLastError(kErrNone);
    if (!m_Device) return;
    m_InAt = m_In.size();
    if (!m_Acked) Acknowledge();
}

SHidStatus CUsbHostProbeControl::Poll() {
    std::fill(m_Report.begin(), m_Report.end(), 0);
    m_Report[0] = kHidControlReport;
    const SUsbIo io = m_Device->GetFeature(m_Report.data(), m_Report.size());
    if (io.code != kErrNone) Fail(io.code);
    const auto report =
        DecodeHidControl(std::span<const std::uint8_t>(m_Report.data(), std::min(io.count, m_Report.size())));
    if (!report) Fail(kErrUnexpected);
    const bool busy = m_InAt < m_In.size() || !m_Acked;
    if (report->status.data && !busy && (!m_Taken || report->status.sequence != m_LastTaken)) {
        m_In.assign(report->payload.begin(), report->payload.end());
        m_InAt = 0;
        m_Taken = true;
        m_Acked = false;
        m_LastTaken = report->status.sequence;
        if (m_In.empty()) Acknowledge();
    }
    return report->status;
}

void CUsbHostProbeControl::Acknowledge() {
    SHidStatus status;
    status.consumed = true;
    status.sequence = m_OutSequence;
    status.toggle = m_LastTaken;
    const std::vector<std::uint8_t> report = EncodeHidControl(m_Length, status, {});
    if (const std::int32_t code = m_Device->SetFeature(report.data(), report.size())) Fail(code);
    m_Acked = true;
}

std::size_t CUsbHostProbeControl::Read(void* buffer, std::size_t count) {
    BeginRead(m_Device != nullptr);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    while (done < count) {
        if (const std::size_t n = TakeBuffered(m_In, m_InAt, out + done, count - done)) {
            done += n;
            if (m_InAt == m_In.size()) Acknowledge();
            continue;
        }
        if (Stopped()) break;
        if (Expired(start, m_ReadMs)) {
            SetLastError(kErrTimeout);
            break;
        }
        const std::size_t before = m_In.size() - m_InAt;
        Poll();
        if (m_In.size() - m_InAt == before) Pause();
    }
    return EndRead(done, count);
}

std::size_t CUsbHostProbeControl::Write(const void* buffer, std::size_t count) {
    BeginWrite(m_Device != nullptr);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    const std::size_t capacity = HidControlCapacity(m_Length);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    while (done < count) {
        const std::size_t n = std::min(capacity, count - done);
        SHidStatus status;
        status.data = true;
        status.sequence = NextHidSequence(m_OutSequence);
        status.consumed = m_Taken && m_Acked;
        status.toggle = m_LastTaken;
        const std::vector<std::uint8_t> report =
            EncodeHidControl(m_Length, status, std::span<const std::uint8_t>(in + done, n));
        if (const std::int32_t code = m_Device->SetFeature(report.data(), report.size())) Fail(code);
        m_OutSequence = status.sequence;
        // Counted once the device says it took the report.
        bool consumed = false;
        while (!consumed) {
            const SHidStatus peer = Poll();
            consumed = peer.consumed && peer.toggle == status.sequence;
            if (consumed) break;
            if (Stopped()) break;
            if (Expired(start, m_WriteMs)) {
                SetLastError(kErrTimeout);
                break;
            }
            Pause();
        }
        if (!consumed) break;
        done += n;
    }
    if (done == 0 && count > 0 && GetLastError() == kErrNone) SetLastError(kErrTimeout);
    return done;
}

// ---- data channel ----

CUsbHostProbeData::~CUsbHostProbeData() {
    Unregister();
    if (m_Input) m_Input->Close();
    if (m_Device) CUsbHostProbeManager::Instance().ReleaseChannel(m_Path, EHidChannel::Data);
}

// The input reports come through a handle of the data channel's own.
std::int32_t CUsbHostProbeData::Attach(IHidDevice&) {
    std::int32_t code = kErrNone;
    m_Input = CUsbHostProbeManager::Instance().Backend()->Open(m_Path, code);
    if (!m_Input || m_Input->InputReportLength() <= kHidDataHeader) {
        if (m_Input) m_Input->Close();
        m_Input.reset();
        return code != kErrNone ? code : kErrUnexpected;
    }
    m_Report.clear();
    m_At = 0;
    m_HaveSequence = false;
    return kErrNone;
}

void CUsbHostProbeData::Close() {
    SetLastError(kErrNone);
    if (!m_Device) return;
    std::int32_t code = m_Input ? m_Input->Close() : kErrNone;
    m_Input.reset();
    m_Device.reset();
    if (const std::int32_t released =
            CUsbHostProbeManager::Instance().ReleaseChannel(m_Path, EHidChannel::Data))
        code = released;
    if (code != kErrNone) Fail(code);
}

std::size_t CUsbHostProbeData::Read(void* buffer, std::size_t count) {
    BeginRead(m_Device != nullptr && m_Input != nullptr);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> report(m_Input->InputReportLength());
    while (done < count) {
        if (const std::size_t n = TakeBuffered(m_Report, m_At, out + done, count - done)) {
            done += n;
            continue;
        }
        if (Stopped()) break;
        if (Expired(start, m_ReadMs)) {
            SetLastError(kErrTimeout);
            break;
        }
        std::int32_t wait = kSliceMs;
        if (m_ReadMs >= 0) {
            const auto left = m_ReadMs - std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - start)
                                             .count();
            wait = static_cast<std::int32_t>(std::clamp<long long>(left, 1, kSliceMs));
        }
        const SUsbIo io = m_Input->ReadInput(report.data(), report.size(), wait);
        if (io.code == kErrTimeout) continue;
        if (io.code != kErrNone) Fail(io.code);
        const auto decoded =
            DecodeHidData(std::span<const std::uint8_t>(report.data(), std::min(io.count, report.size())));
        if (!decoded) Fail(kErrUnexpected);
        if (!decoded->status.data) {
            Pause();
            continue;
        }
        // A gap in the sequence: the kernel's queue dropped reports, and the
        // bytes that follow would not be the device's stream.
        if (m_HaveSequence && decoded->status.sequence != NextHidSequence(m_Sequence)) Fail(kErrUnexpected);
        m_HaveSequence = true;
        m_Sequence = decoded->status.sequence;
        m_Report.assign(decoded->payload.begin(), decoded->payload.end());
        m_At = 0;
    }
    return EndRead(done, count);
}

std::size_t CUsbHostProbeData::Write(const void*, std::size_t) {
    SetLastError(kErrNone);
    Fail(kErrWriteFault);
}

}  // namespace StreamIO
