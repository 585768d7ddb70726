#pragma once
// A device line over TCP or UDP: "IP:host:port" (the prefix in any letter
// case, and optional) connects to a host; a name without a host ("IP::4001" or
// "4001") listens on the port and takes the first connection, as a hammer
// behind a serial-to-network bridge may also be reached the other way round.
// Open flag kOpenUdp selects UDP. Time-outs and empty reads are reported
// through LastError (1460, 38) without raising, like the serial port; a
// connection that was aborted or reset is opened again and the transfer goes
// on; other socket failures raise a CFileException with the stream's name.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CIpSocket;

inline constexpr std::uint32_t kOpenUdp = 0x8000;

// Host and port of an IP stream name; nothing when the name has no port.
struct SIpAddress {
    std::string host;  // empty: listen
    std::string port;
};
std::optional<SIpAddress> ParseIpName(std::string_view name);
// Whether `name` names an IP stream ("IP:" in any letter case).
bool IsIpName(std::string_view name);

class CIpStream : public CIoStream {
  public:
    CIpStream();
    ~CIpStream() override;

    bool Open(const std::string& name, std::uint32_t flags) override;
    void Close() override;
    bool IsOpen() const override;
    void ClearInput() override;
    std::size_t GetInputCount() override;
    bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) override;
    bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs) override;
    bool CancelIo() override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    void Interrupt() override;

    // The port a listening stream was given by the system (after port 0).
    std::uint16_t ListeningPort() const;

  private:
    std::unique_ptr<CIpSocket> MakeSocket() const;
    void Connect();
    void ReopenKeepingTimeouts();

    // Replaced only by the thread that uses the stream, under the lock, so that
    // Interrupt from another thread always meets a whole socket.
    std::mutex m_SocketLock;
    std::unique_ptr<CIpSocket> m_Socket;
    std::atomic<bool> m_Interrupted{false};
    SIpAddress m_Address;
    std::int32_t m_ReadMs = 500;
    std::int32_t m_WriteMs = 100;
};

}  // namespace StreamIO
