#include "streamio/IpStream.h"

#include <chrono>
#include <thread>

#include "streamio/FileException.h"
#include "streamio/IpSocket.h"
#include "streamio/StreamErrors.h"

namespace StreamIO {
namespace {

constexpr int kCancelPauseMs = 50;

bool IsDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

bool IsIpName(std::string_view name) {
    return name.size() >= 3 && (name[0] == 'I' || name[0] == 'i') && (name[1] == 'P' || name[1] == 'p') &&
           name[2] == ':';
}

std::optional<SIpAddress> ParseIpName(std::string_view name) {
    if (IsIpName(name)) name.remove_prefix(3);
    const std::size_t colon = name.rfind(':');
    SIpAddress address;
    if (colon == std::string_view::npos) {
        address.port = std::string(name);
    } else {
        std::string_view host = name.substr(0, colon);
        // "a:host:port": the host is what lies between the two.
        if (const std::size_t first = host.find(':'); first != std::string_view::npos)
            host.remove_prefix(first + 1);
        address.host = std::string(host);
        address.port = std::string(name.substr(colon + 1));
    }
    if (!IsDigits(address.port) || address.port.size() > 5 || std::stoul(address.port) > 65535)
        return std::nullopt;
    return address;
}

CIpStream::CIpStream() = default;

CIpStream::~CIpStream() {
    Unregister();
    std::lock_guard lock(m_SocketLock);
    if (m_Socket) m_Socket->Close();
}

std::unique_ptr<CIpSocket> CIpStream::MakeSocket() const {
    if ((GetOpenFlags() & kOpenUdp) != 0) return std::make_unique<CUdpSocket>(m_Address.host, m_Address.port);
    return std::make_unique<CTcpSocket>(m_Address.host, m_Address.port);
}

void CIpStream::Connect() {
    auto socket = MakeSocket();
    socket->SetTimeouts(m_ReadMs, m_WriteMs);
    if (const std::int32_t code = socket->Connect()) Fail(code);
    std::lock_guard lock(m_SocketLock);
    m_Socket = std::move(socket);
    if (m_Interrupted.load()) m_Socket->Interrupt();
}

bool CIpStream::Open(const std::string& name, std::uint32_t flags) {
    SetLastError(kErrNone);
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    const auto address = ParseIpName(name);
    SetName(IsIpName(name) ? name.substr(3) : name);
    SetOpenFlags(flags);
    if (!address) Fail(kErrInvalidName);
    m_Address = *address;
    Connect();
    return true;
}

void CIpStream::Close() {
    SetLastError(kErrNone);
    std::unique_ptr<CIpSocket> socket;
    {
        std::lock_guard lock(m_SocketLock);
        socket = std::move(m_Socket);
    }
    if (!socket) Fail(kErrInvalidHandle);
    socket->Close();
}

bool CIpStream::IsOpen() const {
    return m_Socket != nullptr;
}

void CIpStream::ClearInput() {
    SetLastError(kErrNone);
    if (!m_Socket) return;
    std::uint8_t sink[512];
    for (std::size_t pending = m_Socket->Pending(); pending > 0; pending = m_Socket->Pending()) {
        const SSocketIo io = m_Socket->Receive(sink, std::min(pending, sizeof sink));
        if (io.count == 0) break;
    }
}

std::size_t CIpStream::GetInputCount() {
    SetLastError(kErrNone);
    return m_Socket ? m_Socket->Pending() : 0;
}

bool CIpStream::GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) {
    SetLastError(kErrNone);
    readMs = m_ReadMs;
    writeMs = m_WriteMs;
    return true;
}

bool CIpStream::SetTimeouts(std::int32_t readMs, std::int32_t writeMs) {
    SetLastError(kErrNone);
    m_ReadMs = readMs;
    m_WriteMs = writeMs;
    if (m_Socket) m_Socket->SetTimeouts(readMs, writeMs);
    return true;
}

bool CIpStream::CancelIo() {
    SetLastError(kErrNone);
    if (!m_Socket) Fail(kErrInvalidHandle);
    m_Socket->SetPurge(true);
    m_Socket->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(kCancelPauseMs));
    if (const std::int32_t code = m_Socket->Connect()) Fail(code);
    m_Socket->SetPurge(false);
    return true;
}

void CIpStream::Interrupt() {
    m_Interrupted.store(true);
    std::lock_guard lock(m_SocketLock);
    if (m_Socket) m_Socket->Interrupt();
}

std::uint16_t CIpStream::ListeningPort() const {
    const auto* tcp = dynamic_cast<const CTcpSocket*>(m_Socket.get());
    return tcp ? tcp->ListeningPort() : 0;
}

void CIpStream::ReopenKeepingTimeouts() {
    {
        std::lock_guard lock(m_SocketLock);
        if (m_Socket) m_Socket->Close();
    }
    Connect();
}

std::size_t CIpStream::Read(void* buffer, std::size_t count) {
    SetLastError(kErrNone);
    if (!m_Socket) Fail(kErrInvalidHandle);
    if ((GetOpenFlags() & kOpenRead) == 0) Fail(kErrReadFault);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    while (done < count) {
        const SSocketIo io = m_Socket->Receive(bytes + done, count - done);
        done += io.count;
        if (io.code == kErrConnAborted || io.code == kErrConnReset) {
            if (m_Interrupted.load()) break;
            ReopenKeepingTimeouts();
            continue;
        }
        if (io.code == kErrTimeout) {
            SetLastError(kErrTimeout);
            break;
        }
        if (io.code == kErrEndOfData || (io.code == 0 && io.count == 0)) {
            SetLastError(kErrEndOfData);
            break;
        }
        if (io.code != 0) Fail(io.code);
        if (m_ReadMs >= 0 && done < count &&
            std::chrono::steady_clock::now() - start > std::chrono::milliseconds(m_ReadMs)) {
            SetLastError(kErrTimeout);
            break;
        }
    }
    if (done == 0 && count > 0 && GetLastError() == kErrNone) SetLastError(kErrEndOfData);
    return done;
}

std::size_t CIpStream::Write(const void* buffer, std::size_t count) {
    SetLastError(kErrNone);
    if (!m_Socket || (GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    SSocketIo io = m_Socket->Send(buffer, count);
    if ((io.code == kErrConnAborted || io.code == kErrConnReset) && !m_Interrupted.load()) {
        ReopenKeepingTimeouts();
        io = m_Socket->Send(buffer, count);
    }
    if (io.code != 0 && io.code != kErrTimeout && io.code != kErrConnAborted && io.code != kErrConnReset)
        Fail(io.code);
    if (io.count == 0 && count > 0) SetLastError(io.code == kErrTimeout ? kErrTimeout : kErrEndOfData);
    return io.count;
}

}  // namespace StreamIO
