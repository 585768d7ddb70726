#include "streamio/UsbHostStream.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "streamio/StreamErrors.h"

namespace StreamIO {
namespace {

// A wait is cut into slices this long so that a cancel or an interrupt from
// another thread ends it soon.
constexpr std::int32_t kSliceMs = 20;

std::mutex g_BackendLock;
std::shared_ptr<IUsbHostBackend> g_Backend;

std::shared_ptr<IUsbHostBackend> Backend() {
    std::lock_guard lock(g_BackendLock);
    if (!g_Backend) g_Backend = MakeLibUsbBackend();
    return g_Backend;
}

std::int32_t Slice(std::int32_t leftMs) {
    return leftMs < 0 ? kSliceMs : std::clamp(leftMs, 1, kSliceMs);
}

}  // namespace

bool IsUsbHostName(std::string_view name) {
    return name.size() >= 4 && (name[0] == 'U' || name[0] == 'u') && (name[1] == 'S' || name[1] == 's') &&
           (name[2] == 'B' || name[2] == 'b') && name[3] == ':';
}

std::vector<std::string> ListUsbHostDevices() {
    return Backend()->List(kUsbVendorTolvex, kUsbProductBulk);
}

void SetUsbHostBackend(std::shared_ptr<IUsbHostBackend> backend) {
    std::lock_guard lock(g_BackendLock);
    g_Backend = std::move(backend);
}

CUsbHostStream::CUsbHostStream() : m_Backend(Backend()) {}

CUsbHostStream::~CUsbHostStream() {
    Unregister();
    if (m_Device) m_Device->Close();
}

bool CUsbHostStream::Open(const std::string& name, std::uint32_t flags) {
    SetLastError(kErrNone);
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    SetName(name);
    SetOpenFlags(flags);
    m_Rest.clear();
    m_RestAt = 0;
    std::int32_t code = kErrNone;
    m_Device = m_Backend->Open(name, kUsbVendorTolvex, kUsbProductBulk, code);
    if (!m_Device) Fail(code != kErrNone ? code : kErrNotFound);
    return true;
}

void CUsbHostStream::Close() {
    SetLastError(kErrNone);
    if (!m_Device) return;
    m_Cancel.store(true);
    const std::int32_t code = m_Device->Close();
    m_Device.reset();
    m_Cancel.store(false);
    if (code != kErrNone) Fail(code);
}

std::size_t CUsbHostStream::Read(void* buffer, std::size_t count) {
    BeginRead(m_Device != nullptr);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::size_t packet = std::max<std::size_t>(m_Device->InPacketSize(), 1);
    while (done < count) {
        if (const std::size_t n = TakeBuffered(m_Rest, m_RestAt, out + done, count - done)) {
            done += n;
            continue;
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        if (m_ReadMs >= 0 && elapsed >= m_ReadMs) {
            SetLastError(kErrTimeout);
            break;
        }
        if (Stopped()) break;
        // Whole packets, so that a device never sends more than was asked for.
        const std::size_t ask = ((count - done + packet - 1) / packet) * packet;
        m_Rest.resize(ask);
        m_RestAt = 0;
        const SUsbIo io =
            m_Device->BulkIn(m_Rest.data(), ask, Slice(m_ReadMs < 0 ? -1 : m_ReadMs - std::int32_t(elapsed)));
        m_Rest.resize(std::min(io.count, ask));
        if (io.code == kErrTimeout) continue;
        if (io.code != kErrNone) {
            m_Rest.clear();
            Fail(io.code);
        }
        if (io.count == 0) {
            SetLastError(kErrEndOfData);
            break;
        }
    }
    return EndRead(done, count);
}

std::size_t CUsbHostStream::Write(const void* buffer, std::size_t count) {
    BeginWrite(m_Device != nullptr);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    while (done < count) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        if ((m_WriteMs >= 0 && elapsed >= m_WriteMs) || Stopped()) break;
        const SUsbIo io = m_Device->BulkOut(in + done, count - done,
                                            Slice(m_WriteMs < 0 ? -1 : m_WriteMs - std::int32_t(elapsed)));
        done += std::min(io.count, count - done);
        if (io.code != kErrNone && io.code != kErrTimeout) Fail(io.code);
    }
    if (done == 0 && count > 0) SetLastError(kErrTimeout);
    return done;
}

}  // namespace StreamIO
