#include "streamio/IpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "streamio/StreamErrors.h"

namespace StreamIO {
namespace {

// How long a client waits for a connection when the read time-out says "no
// limit": a host that does not answer must not hold a search for minutes.
constexpr std::int32_t kConnectLimitMs = 10000;
constexpr int kPurgePauseMs = 50;

int PollMs(std::int32_t ms) {
    return ms < 0 ? -1 : ms;
}

// Resolves host and port to IPv4 addresses; 0 or a socket code.
std::int32_t Resolve(const std::string& host, const std::string& port, int type, addrinfo*& out) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = type;
    if (host.empty()) hints.ai_flags = AI_PASSIVE;
    const int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &out);
    if (rc == 0) return 0;
    if (rc == EAI_SYSTEM) return SocketErrorFromErrno(errno);
    return kErrHostNotFound;
}

int CurrentError(int fd) {
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
    return err;
}

void SetFlag(int fd, int level, int option) {
    const int on = 1;
    ::setsockopt(fd, level, option, &on, sizeof on);
}

}  // namespace

std::int32_t SocketErrorFromErrno(int err) {
    // One table: the socket codes the stream's rules are written in, for the
    // errno values a POSIX socket layer reports with the same meaning.
    switch (err) {
        case EADDRINUSE:
            return kErrAddrInUse;
        case EADDRNOTAVAIL:
            return kErrAddrNotAvailable;
        case ENETUNREACH:
        case ENETDOWN:
            return kErrNetUnreachable;
        case ENETRESET:
            return kErrNetReset;
        case ECONNABORTED:
            return kErrConnAborted;
        case ECONNRESET:
        case EPIPE:
            return kErrConnReset;
        case ENOTCONN:
            return kErrNotConnected;
        case ETIMEDOUT:
            return kErrConnTimedOut;
        case ECONNREFUSED:
            return kErrConnRefused;
        case EHOSTUNREACH:
        case EHOSTDOWN:
            return kErrHostUnreachable;
        default:
            return ErrorFromErrno(err);
    }
}

CIpSocket::CIpSocket(std::string host, std::string port) : m_Host(std::move(host)), m_Port(std::move(port)) {}

CIpSocket::~CIpSocket() {
    CloseSocket(m_Socket);
}

void CIpSocket::CloseSocket(std::atomic<int>& fd) {
    const int old = fd.exchange(-1);
    if (old >= 0) ::close(old);
}

void CIpSocket::Close() {
    const int fd = m_Socket.load();
    if (fd >= 0 && m_Connected) ::shutdown(fd, SHUT_RDWR);
    CloseSocket(m_Socket);
    m_Connected = false;
}

std::size_t CIpSocket::Pending() {
    int count = 0;
    const int fd = m_Socket.load();
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<std::size_t>(count);
}

void CIpSocket::Interrupt() {
    m_Interrupted.store(true);
    // Wakes a poll on another thread; the descriptor stays ours to close.
    const int fd = m_Socket.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

std::int32_t CIpSocket::Wait(int fd, short events, std::int32_t ms) {
    if (m_Interrupted.load()) return kErrTimeout;
    pollfd p{fd, events, 0};
    while (true) {
        const int rc = ::poll(&p, 1, PollMs(ms));
        if (rc > 0) return 0;
        if (rc == 0) return kErrTimeout;
        if (errno != EINTR) return SocketErrorFromErrno(errno);
    }
}

void CIpSocket::PurgePause() const {
    if (m_Purge) std::this_thread::sleep_for(std::chrono::milliseconds(kPurgePauseMs));
}

// ---- TCP ----

CTcpSocket::~CTcpSocket() {
    CloseSocket(m_Listener);
}

std::int32_t CTcpSocket::Connect() {
    Close();
    return IsServer() ? Listen() : ConnectClient();
}

void CTcpSocket::Close() {
    CIpSocket::Close();
    CloseSocket(m_Listener);
}

std::int32_t CTcpSocket::ConnectClient() {
    addrinfo* found = nullptr;
    if (const std::int32_t rc = Resolve(m_Host, m_Port, SOCK_STREAM, found)) return rc;
    std::int32_t last = kErrHostNotFound;
    // Every address the name stands for is tried until one answers.
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            last = SocketErrorFromErrno(errno);
            continue;
        }
        int err = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        if (err == EINPROGRESS) {
            const std::int32_t limit = m_ReadMs < 0 ? kConnectLimitMs : std::max(m_ReadMs, 1000);
            const std::int32_t waited = Wait(fd, POLLOUT, limit);
            // SO_ERROR is cleared by reading it: read it once.
            err = waited == kErrTimeout ? ETIMEDOUT : waited != 0 ? EIO : CurrentError(fd);
        }
        if (err != 0) {
            last = SocketErrorFromErrno(err);
            ::close(fd);
            continue;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        SetFlag(fd, SOL_SOCKET, SO_OOBINLINE);
        SetFlag(fd, IPPROTO_TCP, TCP_NODELAY);
        m_Socket.store(fd);
        m_Connected = true;
        ::freeaddrinfo(found);
        return 0;
    }
    ::freeaddrinfo(found);
    return last;
}

std::int32_t CTcpSocket::Listen() {
    addrinfo* found = nullptr;
    if (const std::int32_t rc = Resolve({}, m_Port, SOCK_STREAM, found)) return rc;
    const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    if (fd < 0) {
        ::freeaddrinfo(found);
        return SocketErrorFromErrno(errno);
    }
    SetFlag(fd, SOL_SOCKET, SO_REUSEADDR);
    const bool ok = ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 1) == 0;
    const int err = errno;
    ::freeaddrinfo(found);
    if (!ok) {
        ::close(fd);
        return SocketErrorFromErrno(err);
    }
    m_Listener.store(fd);
    // Port 0 lets the system choose; listening again later must use the same.
    if (m_Port == "0") m_Port = std::to_string(ListeningPort());
    return 0;
}

std::uint16_t CTcpSocket::ListeningPort() const {
    sockaddr_in address{};
    socklen_t len = sizeof address;
    const int fd = m_Listener.load();
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len) != 0) return 0;
    return ntohs(address.sin_port);
}

std::int32_t CTcpSocket::AcceptIfNeeded() {
    if (m_Connected) return 0;
    if (!IsServer()) return kErrNotConnected;
    if (m_Listener.load() < 0) {
        if (const std::int32_t rc = Listen()) return rc;
    }
    if (const std::int32_t rc = Wait(m_Listener.load(), POLLIN, m_ReadMs)) return rc;
    const int fd = ::accept4(m_Listener.load(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return SocketErrorFromErrno(errno);
    SetFlag(fd, SOL_SOCKET, SO_KEEPALIVE);
    SetFlag(fd, SOL_SOCKET, SO_OOBINLINE);
    SetFlag(fd, IPPROTO_TCP, TCP_NODELAY);
    // One connection at a time: nobody else may queue up behind it.
    CloseSocket(m_Listener);
    m_Socket.store(fd);
    m_Connected = true;
    return 0;
}

std::int32_t CTcpSocket::Reconnect() {
    CIpSocket::Close();
    return IsServer() ? Listen() : ConnectClient();
}

SSocketIo CTcpSocket::Receive(void* buffer, std::size_t count) {
    SSocketIo io;
    if ((io.code = AcceptIfNeeded()) != 0) return io;
    io.code = Wait(m_Socket.load(), POLLIN, m_ReadMs);
    if (io.code == 0) {
        const ssize_t n = ::recv(m_Socket.load(), buffer, count, 0);
        if (n > 0) {
            io.count = static_cast<std::size_t>(n);
        } else if (n == 0 || m_Interrupted.load()) {
            io.code = kErrEndOfData;
        } else {
            io.code = SocketErrorFromErrno(errno);
        }
    }
    const bool lost = io.code == kErrNetReset || io.code == kErrConnAborted || io.code == kErrConnReset ||
                      io.code == kErrNotConnected;
    if (!m_Interrupted.load()) {
        if (IsServer() && (lost || io.code == kErrEndOfData || io.code == kErrConnTimedOut)) {
            // The peer went away: wait for the next one instead.
            Reconnect();
            io.code = io.code == kErrEndOfData ? kErrTimeout : io.code;
        } else if (lost) {
            Reconnect();
        }
    }
    PurgePause();
    return io;
}

SSocketIo CTcpSocket::Send(const void* buffer, std::size_t count) {
    SSocketIo io;
    if ((io.code = AcceptIfNeeded()) != 0) return io;
    io.code = Wait(m_Socket.load(), POLLOUT, m_WriteMs);
    if (io.code == 0) {
        const ssize_t n = ::send(m_Socket.load(), buffer, count, MSG_NOSIGNAL);
        if (n >= 0) {
            io.count = static_cast<std::size_t>(n);
        } else {
            io.code = SocketErrorFromErrno(errno);
        }
    }
    const bool lost = io.code == kErrNetReset || io.code == kErrConnAborted || io.code == kErrConnReset ||
                      io.code == kErrNotConnected || io.code == kErrConnTimedOut;
    if (lost && IsServer() && !m_Interrupted.load()) Reconnect();
    PurgePause();
    return io;
}

// ---- UDP ----

CUdpSocket::~CUdpSocket() = default;

std::int32_t CUdpSocket::Connect() {
    Close();
    m_Rest.clear();
    m_HaveSender = false;
    addrinfo* found = nullptr;
    if (const std::int32_t rc = Resolve(m_Host, m_Port, SOCK_DGRAM, found)) return rc;
    const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    if (fd < 0) {
        ::freeaddrinfo(found);
        return SocketErrorFromErrno(errno);
    }
    const bool ok = IsServer() ? ::bind(fd, found->ai_addr, found->ai_addrlen) == 0
                               : ::connect(fd, found->ai_addr, found->ai_addrlen) == 0;
    const int err = errno;
    ::freeaddrinfo(found);
    if (!ok) {
        ::close(fd);
        return SocketErrorFromErrno(err);
    }
    m_Socket.store(fd);
    m_Connected = !IsServer();
    return 0;
}

std::size_t CUdpSocket::Pending() {
    return m_Rest.size() + CIpSocket::Pending();
}

SSocketIo CUdpSocket::Receive(void* buffer, std::size_t count) {
    SSocketIo io;
    if (m_Rest.empty()) {
        io.code = Wait(m_Socket.load(), POLLIN, m_ReadMs);
        if (io.code != 0) {
            PurgePause();
            return io;
        }
        // A datagram is taken whole, however little was asked for.
        std::vector<std::uint8_t> datagram(65536);
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(m_Socket.load(), datagram.data(), datagram.size(), 0,
                                     reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) {
            io.code = SocketErrorFromErrno(errno);
            PurgePause();
            return io;
        }
        datagram.resize(static_cast<std::size_t>(n));
        m_Rest = std::move(datagram);
        if (IsServer()) {
            // Replies go to whoever spoke last.
            m_Sender = from;
            m_HaveSender = true;
        }
    }
    io.count = std::min(count, m_Rest.size());
    std::copy_n(m_Rest.begin(), io.count, static_cast<std::uint8_t*>(buffer));
    m_Rest.erase(m_Rest.begin(), m_Rest.begin() + static_cast<std::ptrdiff_t>(io.count));
    PurgePause();
    return io;
}

SSocketIo CUdpSocket::Send(const void* buffer, std::size_t count) {
    SSocketIo io;
    if (IsServer() && !m_HaveSender) {
        io.code = kErrNotConnected;
        return io;
    }
    io.code = Wait(m_Socket.load(), POLLOUT, m_WriteMs);
    if (io.code == 0) {
        const ssize_t n = IsServer() ? ::sendto(m_Socket.load(), buffer, count, MSG_NOSIGNAL,
                                                reinterpret_cast<const sockaddr*>(&m_Sender), sizeof m_Sender)
                                     : ::send(m_Socket.load(), buffer, count, MSG_NOSIGNAL);
        if (n >= 0) {
            io.count = static_cast<std::size_t>(n);
        } else {
            io.code = SocketErrorFromErrno(errno);
            // A datagram that did not arrive is the line's loss, not a failure.
            if (io.code == kErrConnAborted || io.code == kErrConnReset || io.code == kErrConnTimedOut)
                io.code = 0;
        }
    }
    PurgePause();
    return io;
}

}  // namespace StreamIO
