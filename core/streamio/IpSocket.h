#pragma once
// The sockets under CIpStream: a TCP client or server, or a UDP endpoint, with
// the time-outs of a device line. Results carry the stream layer's codes:
// 1460 for a time-out, 38 for a peer that closed, and the socket codes of
// SocketErrorFromErrno for everything else, so that the stream's rules read
// the same on every platform.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <netinet/in.h>

namespace StreamIO {

// Socket error codes as the stream layer and its callers know them (the
// numbering of one platform's socket library). POSIX errno values are mapped
// onto them in SocketErrorFromErrno, in one table.
enum : std::int32_t {
    kErrAddrInUse = 10048,
    kErrAddrNotAvailable = 10049,
    kErrNetUnreachable = 10051,
    kErrNetReset = 10052,
    kErrConnAborted = 10053,
    kErrConnReset = 10054,
    kErrNotConnected = 10057,
    kErrConnTimedOut = 10060,
    kErrConnRefused = 10061,
    kErrHostUnreachable = 10065,
    kErrSocketVersion = 10092,
    kErrHostNotFound = 11001,
};

// The socket code for an errno of a socket call (ErrorFromErrno for the rest).
std::int32_t SocketErrorFromErrno(int err);

struct SSocketIo {
    std::size_t count = 0;
    std::int32_t code = 0;  // 0, kErrTimeout, kErrEndOfData or a socket code
};

class CIpSocket {
  public:
    // `host` empty: a server (TCP) or a bound endpoint (UDP) on `port`.
    CIpSocket(std::string host, std::string port);
    virtual ~CIpSocket();
    CIpSocket(const CIpSocket&) = delete;
    CIpSocket& operator=(const CIpSocket&) = delete;

    // 0 or the socket code of the failure.
    virtual std::int32_t Connect() = 0;
    virtual SSocketIo Receive(void* buffer, std::size_t count) = 0;
    virtual SSocketIo Send(const void* buffer, std::size_t count) = 0;
    // Shuts a connection down and closes every socket.
    virtual void Close();
    // Bytes that can be read without waiting.
    virtual std::size_t Pending();

    bool IsServer() const { return m_Host.empty(); }
    bool IsConnected() const { return m_Connected; }
    // -1: no limit.
    void SetTimeouts(std::int32_t readMs, std::int32_t writeMs) {
        m_ReadMs = readMs;
        m_WriteMs = writeMs;
    }
    std::int32_t ReadTimeout() const { return m_ReadMs; }
    std::int32_t WriteTimeout() const { return m_WriteMs; }
    void SetPurge(bool on) { m_Purge = on; }
    // Wakes a wait on another thread and makes every later one end at once.
    void Interrupt();

  protected:
    // Waits for `events` on `fd` at most `ms`: 0, kErrTimeout or a socket code.
    std::int32_t Wait(int fd, short events, std::int32_t ms);
    void PurgePause() const;
    void CloseSocket(std::atomic<int>& fd);

    std::string m_Host;
    std::string m_Port;
    std::atomic<int> m_Socket{-1};
    bool m_Connected = false;
    std::int32_t m_ReadMs = 500;
    std::int32_t m_WriteMs = 100;
    bool m_Purge = false;
    std::atomic<bool> m_Interrupted{false};
};

class CTcpSocket : public CIpSocket {
  public:
    using CIpSocket::CIpSocket;
    ~CTcpSocket() override;
    std::int32_t Connect() override;
    SSocketIo Receive(void* buffer, std::size_t count) override;
    SSocketIo Send(const void* buffer, std::size_t count) override;
    void Close() override;
    // The port a server listens on (useful after binding port 0).
    std::uint16_t ListeningPort() const;

  private:
    std::int32_t ConnectClient();
    std::int32_t Listen();
    // The server takes its connection at the first read or write.
    std::int32_t AcceptIfNeeded();
    std::int32_t Reconnect();

    std::atomic<int> m_Listener{-1};
};

class CUdpSocket : public CIpSocket {
  public:
    using CIpSocket::CIpSocket;
    ~CUdpSocket() override;
    std::int32_t Connect() override;
    SSocketIo Receive(void* buffer, std::size_t count) override;
    SSocketIo Send(const void* buffer, std::size_t count) override;
    std::size_t Pending() override;

  private:
    std::vector<std::uint8_t> m_Rest;  // the unread part of the last datagram
    sockaddr_in m_Sender{};
    bool m_HaveSender = false;
};

}  // namespace StreamIO
