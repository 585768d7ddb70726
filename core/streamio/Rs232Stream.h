#pragma once
// The byte stream over a serial port (termios). The hammer's only transport; a
// hammer plugged in by USB presents itself as a serial port too.
//
// Ports are named by number. The stream's name is "\\.\COM" and the number (the
// name the device layer and its users know); the device path behind a number
// comes from the port resolver that the serial transport installs (the port
// table, device/PortTable.h). Open also accepts "COMn:" and a plain device path.
//
// The port is opened exclusively (TIOCEXCL and an flock lock, so that even a
// privileged second opener is refused), non-blocking, and switched to raw 8-bit
// transfer. Reads wait with poll() for a total time-out; writes get 50 ms per
// byte plus the write time-out. What Linux cannot do (driver queue sizes, DSR
// handshake, one and a half stop bits) is said where it matters below.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "streamio/FileStream.h"

struct termios;

namespace StreamIO {

// The serial settings a device carries and hands to the port.
struct SSerialSettings {
    static constexpr std::uint32_t kMagic = 0xA500;

    // Flow bits.
    static constexpr std::uint8_t kFlowXonXoff = 1;
    static constexpr std::uint8_t kFlowDsr = 2;  // DSR handshake
    static constexpr std::uint8_t kFlowCts = 4;  // CTS handshake (RTS/CTS)
    static constexpr std::uint8_t kFlowRtsOff = 8;

    // Parity and stop-bit values.
    static constexpr std::uint32_t kParityNone = 0, kParityEven = 1, kParityOdd = 2, kParityMark = 3,
                                   kParitySpace = 4;
    static constexpr std::uint32_t kStopOne = 0, kStopOneHalf = 1, kStopTwo = 2;

    std::uint32_t Magic = kMagic;  // a record with another value is refused (87)
    std::uint32_t BaudRate = 9600;
    std::uint8_t DataBits = 8;
    std::uint32_t Parity = kParityNone;
    std::uint32_t StopBits = kStopOne;
    std::uint8_t Flow = 0;
    std::uint16_t RxBufferSize = 1024;
    std::uint16_t TxBufferSize = 256;
    std::uint32_t ReadTimeout = 500;  // ms
    std::uint32_t WriteTimeout = 10;  // ms

    bool operator==(const SSerialSettings&) const = default;
};

// Bytes per second for the settings: baud / frame bits * data bits / 8, with
// 10 frame bits, one more with parity and one more for stop bits other than one.
std::uint32_t SerialByteRate(const SSerialSettings& settings);

class CRs232Stream : public CFileStream {
  public:
    // Maps a port number to its device path; nothing when the number has none.
    using PortResolver = std::function<std::optional<std::string>(unsigned port)>;

    CRs232Stream();
    ~CRs232Stream() override;

    // Installs the process-wide resolver (an empty function removes it; every
    // port number then fails to open with 2, not found).
    static void SetPortResolver(PortResolver resolver);
    // The device path of a port number through the resolver.
    static std::optional<std::string> ResolvePort(unsigned port);
    // "\\.\COM" and the number.
    static std::string PortName(unsigned port);

    // Opens the stored name again with the stored mode and applies the stored
    // settings. Raises what Open raises; true when LastError is 0.
    bool Reopen() override;
    // Flushes (bounded, see Flush) if open for writing, then closes; raises on a
    // failing close.
    void Close() override;
    // Discards the driver's receive queue (not the transmit queue). Raises.
    void ClearInput() override;
    // Bytes in the driver's receive queue; 0 when not open for reading. Raises.
    std::size_t GetInputCount() override;
    // Waits until the transmit queue is empty, at most 50 ms per queued byte plus
    // the write time-out (a stalled handshake line must not hang a close). Raises.
    void Flush() override;
    std::uint32_t GetByteRate() override;
    // ms, -1 for none. Raise 6 when the port is not open.
    bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) override;
    bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs) override;
    // Ends a read or write that is waiting on another thread (it returns what it
    // has) and discards both queues. Raises.
    bool CancelIo() override;
    // Ends every wait of this stream at once, the one in progress on another
    // thread and all later ones: reads return what they have, writes what they
    // wrote. For a search that no longer needs a port it is still trying. Safe
    // from any thread while the stream object exists (it touches only an atomic
    // flag and the wake-up event, never the port).
    void Interrupt() override;
    // Waits at most the read time-out in total for `count` bytes and returns what
    // came; none sets 38. Raises 30 when not open for reading.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Writes within 50 ms per byte plus the write time-out; none written sets 1460.
    // Raises 29 when not open for writing.
    std::size_t Write(const void* buffer, std::size_t count) override;
    bool IsRandomAccess() const override { return false; }
    std::uint64_t GetLength() override { return 0; }
    std::uint64_t GetPosition() override { return 0; }
    std::uint64_t Seek(std::int64_t, int) override { return 0; }
    std::uint64_t SetPosition(std::uint64_t) override { return 0; }
    void Truncate() override {}
    // Opens the port `name` (see the header comment); the creation bits are
    // ignored and a port is never shared. Fails with 50 when already open;
    // raises a file exception when the port cannot be opened. The stream's
    // current settings are then read from the port.
    bool Open(const std::string& name, std::uint32_t flags) override;

    // Opens port `port` with `mode` and, when given, `settings` (applied), else
    // takes the port's current settings. A record with a wrong marker sets 87 and
    // opens nothing. Open failures raise. True when LastError is 0.
    // `devicePath` is the device behind the number when the caller knows it (it
    // is kept for Reopen); empty asks the port resolver.
    bool OpenPort(unsigned port, std::uint32_t mode, const SSerialSettings* settings,
                  const std::string& devicePath = {});
    // The same for a device path given directly.
    bool OpenPath(const std::string& path, std::uint32_t mode, const SSerialSettings* settings);

    // Reads the port's settings into `settings`; on failure zeroes it, keeps the
    // code in LastError and returns false. Never raises.
    bool GetPortSettings(SSerialSettings& settings);
    // Applies `settings` to the open port and keeps them; any failing step stops,
    // keeps the code and returns false. Never raises. Refused with 87: a wrong
    // marker, data bits outside 5 to 8, parity above 4, one and a half stop bits
    // (Linux has none), a baud rate the port cannot be set to.
    bool ApplyPortSettings(const SSerialSettings& settings);
    // The settings kept by the stream (applied or read last).
    const SSerialSettings& GetSettings() const { return m_Settings; }
    // The device path the open port was found at (empty when closed).
    const std::string& GetDevicePath() const { return m_DevicePath; }

    // The line part of `settings` (baud rate, data bits, parity, stop bits, flow
    // control) in `tio`, raw 8-bit otherwise. False (87) for what Linux cannot do.
    static bool EncodeLine(const SSerialSettings& settings, termios& tio);
    // The line part read back from `tio` (marker set, the rest as in a new record).
    // Some ports fix parts of it: a pseudo-terminal always says 8 data bits and
    // no parity.
    static SSerialSettings DecodeLine(const termios& tio);

  protected:
    int OpenDescriptor(const std::string& name, std::uint32_t flags) override;

  private:
    bool OpenNamed(const std::string& name, std::uint32_t mode, const SSerialSettings* settings);
    bool Readable() const;
    bool Writable() const;
    void RequirePort();
    enum class EWait { Ready, TimedOut, Cancelled, HungUp };
    // Waits for `events` on the port until `deadlineMs` (steady clock ms, -1 none)
    // or until CancelIo moves the cancel generation past `generation`.
    EWait WaitPort(short events, std::int64_t deadlineMs, std::uint64_t generation);
    // Releases the exclusive claim before the descriptor goes.
    void ReleaseClaim();

    SSerialSettings m_Settings;
    std::string m_DevicePath;
    std::string m_FixedPath;  // the device behind a "\\.\COMn" name, when given to OpenPort
    std::int32_t m_ReadTimeout = 500;
    std::int32_t m_WriteTimeout = 10;
    int m_CancelFd = -1;  // eventfd that wakes a waiting read or write
    std::atomic<std::uint64_t> m_CancelGeneration{0};
    std::atomic<bool> m_Interrupted{false};
    bool m_Closing = false;  // a flush during close must not keep the port open
};

}  // namespace StreamIO
