#include "streamio/Rs232Stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"

namespace StreamIO {

namespace {

constexpr std::int64_t kWriteMsPerByte = 50;

std::mutex g_ResolverLock;
CRs232Stream::PortResolver g_Resolver;

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct SBaud {
    std::uint32_t rate;
    speed_t code;
};

constexpr SBaud kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

bool BaudCode(std::uint32_t rate, speed_t& code) {
    for (const SBaud& b : kBaudRates) {
        if (b.rate == rate) {
            code = b.code;
            return true;
        }
    }
    return false;
}

std::uint32_t BaudRate(speed_t code) {
    for (const SBaud& b : kBaudRates) {
        if (b.code == code) return b.rate;
    }
    return 0;
}

// Modem-line requests fail on ports without modem lines (pseudo-terminals); such
// a port simply has no lines to set.
bool NoModemLines(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOTSUP || err == ENOSYS || err == EIO;
}

bool SetModemLine(int fd, int line, bool on) {
    const int rc = ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
    return rc == 0 || NoModemLines(errno);
}

// "\\.\COM" + digits (any letter case); 0 when the name is not one.
unsigned PortFromDeviceName(const std::string& name) {
    constexpr std::string_view kPrefix = "\\\\.\\COM";
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 5) return 0;
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        const char c = name[i];
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != kPrefix[i]) return 0;
    }
    unsigned port = 0;
    for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        port = port * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return port;
}

}  // namespace

std::uint32_t SerialByteRate(const SSerialSettings& settings) {
    std::uint32_t frameBits = 10;
    if (settings.Parity != SSerialSettings::kParityNone) ++frameBits;
    if (settings.StopBits != SSerialSettings::kStopOne) ++frameBits;
    return settings.BaudRate / frameBits * settings.DataBits / 8;
}

CRs232Stream::CRs232Stream() {
    m_CancelFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CRs232Stream::~CRs232Stream() {
    Unregister();
    if (IsOpen()) {
        m_Closing = true;
        try {
            Flush();
        } catch (...) {
            // Destruction goes on whatever the port says.
        }
        ReleaseClaim();
    }
    if (m_CancelFd >= 0) ::close(m_CancelFd);
    // CFileStream's destructor closes the descriptor.
}

void CRs232Stream::SetPortResolver(PortResolver resolver) {
    std::lock_guard lock(g_ResolverLock);
    g_Resolver = std::move(resolver);
}

std::optional<std::string> CRs232Stream::ResolvePort(unsigned port) {
    PortResolver resolver;
    {
        std::lock_guard lock(g_ResolverLock);
        resolver = g_Resolver;
    }
    if (!resolver || port == 0) return std::nullopt;
    return resolver(port);
}

std::string CRs232Stream::PortName(unsigned port) {
    return "\\\\.\\COM" + std::to_string(port);
}

bool CRs232Stream::Readable() const {
    return (GetOpenFlags() & kOpenRead) != 0;
}

bool CRs232Stream::Writable() const {
    return (GetOpenFlags() & kOpenWrite) != 0;
}

void CRs232Stream::RequirePort() {
    SetLastError(kErrNone);
    if (!IsOpen()) Fail(kErrInvalidHandle);
}

int CRs232Stream::OpenDescriptor(const std::string& name, std::uint32_t flags) {
    std::string path = name;
    unsigned port = PortFromDeviceName(name);
    if (port == 0) port = SerialPortFromName(name);
    if (port != 0 && !m_FixedPath.empty()) {
        path = m_FixedPath;
    } else if (port != 0) {
        std::optional<std::string> resolved = ResolvePort(port);
        if (!resolved) FailErrno(ENOENT);
        path = *resolved;
    }

    const bool reads = (flags & kOpenRead) != 0;
    const bool writes = (flags & kOpenWrite) != 0;
    const int access = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), access | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) FailErrno(errno);

    auto failWith = [&](int err) {
        ::close(fd);
        FailErrno(err);
    };
    if (!::isatty(fd)) failWith(ENOTTY);

    // Exclusive: TIOCEXCL keeps other programs out, the lock also keeps out a
    // privileged opener (TIOCEXCL does not stop root).
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        Fail(kErrSharing);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) failWith(errno);

    // Raw 8-bit transfer, no line discipline processing, reads never block in
    // the driver (the waiting is done with poll()).
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        failWith(err);
    }
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        failWith(err);
    }
    m_DevicePath = path;
    return fd;
}

bool CRs232Stream::Open(const std::string& name, std::uint32_t flags) {
    // A port is always an existing device, never shared.
    const std::uint32_t portFlags = flags & ~(kCreationMask | kShareRead | kShareWrite);
    return CFileStream::Open(name, portFlags);
}

bool CRs232Stream::OpenPort(unsigned port, std::uint32_t mode, const SSerialSettings* settings,
                            const std::string& devicePath) {
    if (settings != nullptr && settings->Magic != SSerialSettings::kMagic) {
        SetLastError(kErrInvalidParameter);
        return false;
    }
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    m_FixedPath = devicePath;
    return OpenNamed(PortName(port), mode, settings);
}

bool CRs232Stream::OpenPath(const std::string& path, std::uint32_t mode, const SSerialSettings* settings) {
    if (settings != nullptr && settings->Magic != SSerialSettings::kMagic) {
        SetLastError(kErrInvalidParameter);
        return false;
    }
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    m_FixedPath.clear();
    return OpenNamed(path, mode, settings);
}

bool CRs232Stream::OpenNamed(const std::string& name, std::uint32_t mode, const SSerialSettings* settings) {
    if (!Open(name, mode)) return false;
    if (settings != nullptr) {
        ApplyPortSettings(*settings);
    } else {
        SSerialSettings current;
        if (GetPortSettings(current)) m_Settings = current;
    }
    return GetLastError() == kErrNone;
}

bool CRs232Stream::Reopen() {
    if (GetName().empty()) return false;
    const SSerialSettings stored = m_Settings;
    const std::string name = GetName();
    if (!Open(name, GetOpenFlags())) return false;
    ApplyPortSettings(stored);
    return GetLastError() == kErrNone;
}

void CRs232Stream::ReleaseClaim() {
    if (Descriptor() >= 0) ::ioctl(Descriptor(), TIOCNXCL);
}

void CRs232Stream::Close() {
    SetLastError(kErrNone);
    if (!IsOpen()) return;
    m_Closing = true;
    try {
        Flush();
    } catch (...) {
        // Closing matters more than the last bytes of a stalled line.
    }
    m_Closing = false;
    ReleaseClaim();
    m_DevicePath.clear();
    CFileStream::Close();
}

void CRs232Stream::ClearInput() {
    RequirePort();
    if (!Readable()) return;
    if (::tcflush(Descriptor(), TCIFLUSH) != 0) FailErrno(errno);
}

std::size_t CRs232Stream::GetInputCount() {
    RequirePort();
    if (!Readable()) return 0;
    int count = 0;
    if (::ioctl(Descriptor(), FIONREAD, &count) != 0) FailErrno(errno);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CRs232Stream::Flush() {
    SetLastError(kErrNone);
    if (!IsOpen() || !Writable()) return;
    int queued = 0;
    if (::ioctl(Descriptor(), TIOCOUTQ, &queued) != 0) {
        if (NoModemLines(errno)) return;
        FailErrno(errno);
    }
    if (queued <= 0) return;
    const std::int64_t allowance = m_WriteTimeout < 0 ? 2000 : m_WriteTimeout;
    const std::int64_t deadline = SteadyMs() + kWriteMsPerByte * queued + allowance;
    // Linux has no drain with a time limit; the queue is watched instead.
    while (queued > 0 && SteadyMs() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (::ioctl(Descriptor(), TIOCOUTQ, &queued) != 0) break;
    }
    if (queued > 0 && !m_Closing) Fail(kErrTimeout);
}

std::uint32_t CRs232Stream::GetByteRate() {
    return SerialByteRate(m_Settings);
}

bool CRs232Stream::GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) {
    readMs = -1;
    writeMs = -1;
    RequirePort();
    readMs = m_ReadTimeout;
    writeMs = m_WriteTimeout;
    return true;
}

bool CRs232Stream::SetTimeouts(std::int32_t readMs, std::int32_t writeMs) {
    RequirePort();
    if (readMs < -1 || writeMs < -1) {
        SetLastError(kErrInvalidParameter);
        return false;
    }
    m_ReadTimeout = readMs;
    m_WriteTimeout = writeMs;
    m_Settings.ReadTimeout = static_cast<std::uint32_t>(readMs);
    m_Settings.WriteTimeout = static_cast<std::uint32_t>(writeMs);
    return true;
}

bool CRs232Stream::CancelIo() {
    RequirePort();
    m_CancelGeneration.fetch_add(1);
    if (m_CancelFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_CancelFd, &one, sizeof one);
    }
    if (::tcflush(Descriptor(), TCIOFLUSH) != 0) FailErrno(errno);
    return true;
}

void CRs232Stream::Interrupt() {
    m_Interrupted.store(true);
    if (m_CancelFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_CancelFd, &one, sizeof one);
    }
}

CRs232Stream::EWait CRs232Stream::WaitPort(short events, std::int64_t deadlineMs, std::uint64_t generation) {
    for (;;) {
        if (m_CancelGeneration.load() != generation || m_Interrupted.load()) return EWait::Cancelled;
        int timeout = -1;
        if (deadlineMs >= 0) {
            const std::int64_t left = deadlineMs - SteadyMs();
            if (left <= 0) return EWait::TimedOut;
            timeout = static_cast<int>(std::min<std::int64_t>(left, 1 << 30));
        }
        pollfd fds[2] = {{Descriptor(), events, 0}, {m_CancelFd, POLLIN, 0}};
        const nfds_t count = m_CancelFd >= 0 ? 2 : 1;
        const int rc = ::poll(fds, count, timeout);
        if (rc < 0) {
            if (errno == EINTR) continue;
            FailErrno(errno);
        }
        if (rc == 0) return EWait::TimedOut;
        if (count == 2 && (fds[1].revents & POLLIN) != 0) {
            std::uint64_t value = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_CancelFd, &value, sizeof value);
            if (m_CancelGeneration.load() != generation || m_Interrupted.load()) return EWait::Cancelled;
        }
        if ((fds[0].revents & events) != 0) return EWait::Ready;
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return EWait::HungUp;
    }
}

std::size_t CRs232Stream::Read(void* buffer, std::size_t count) {
    RequirePort();
    if (!Readable()) Fail(kErrReadFault);
    if (count == 0) return 0;
    if (buffer == nullptr) {
        SetLastError(kErrInvalidParameter);
        return 0;
    }
    const std::uint64_t generation = m_CancelGeneration.load();
    const std::int64_t deadline = m_ReadTimeout < 0 ? -1 : SteadyMs() + m_ReadTimeout;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t total = 0;
    // Set once poll() has said "readable": a read that then finds nothing means
    // the other side has gone (a hang-up reads as end of data), not "wait more".
    bool promised = false;
    while (total < count) {
        const ssize_t n = ::read(Descriptor(), bytes + total, count - total);
        if (n > 0) {
            total += static_cast<std::size_t>(n);
            promised = false;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            if (total > 0) break;
            FailErrno(errno);
        }
        if (promised) break;
        const EWait outcome = WaitPort(POLLIN, deadline, generation);
        if (outcome == EWait::TimedOut || outcome == EWait::Cancelled) break;
        promised = true;
    }
    if (total == 0) SetLastError(kErrEndOfData);
    return total;
}

std::size_t CRs232Stream::Write(const void* buffer, std::size_t count) {
    RequirePort();
    if (!Writable()) Fail(kErrWriteFault);
    if (count == 0) return 0;
    if (buffer == nullptr) Fail(kErrInvalidParameter);
    const std::uint64_t generation = m_CancelGeneration.load();
    const std::int64_t perByte =
        std::min<std::int64_t>(static_cast<std::int64_t>(count), 1 << 24) * kWriteMsPerByte;
    const std::int64_t deadline = m_WriteTimeout < 0 ? -1 : SteadyMs() + perByte + m_WriteTimeout;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const ssize_t n = ::write(Descriptor(), bytes + total, count - total);
        if (n > 0) {
            total += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            if (total > 0) break;
            FailErrno(errno);
        }
        if (WaitPort(POLLOUT, deadline, generation) != EWait::Ready) break;
    }
    if (total == 0) SetLastError(kErrTimeout);
    return total;
}

bool CRs232Stream::EncodeLine(const SSerialSettings& settings, termios& tio) {
    speed_t speed = B0;
    if (!BaudCode(settings.BaudRate, speed)) return false;
    if (settings.DataBits < 5 || settings.DataBits > 8) return false;
    if (settings.Parity > SSerialSettings::kParitySpace) return false;
    if (settings.StopBits != SSerialSettings::kStopOne && settings.StopBits != SSerialSettings::kStopTwo)
        return false;

    ::cfmakeraw(&tio);
    // cfmakeraw leaves input flow control (IXOFF) as it was.
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[settings.DataBits - 5];
    switch (settings.Parity) {
        case SSerialSettings::kParityEven:
            tio.c_cflag |= PARENB;
            break;
        case SSerialSettings::kParityOdd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case SSerialSettings::kParityMark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SSerialSettings::kParitySpace:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (settings.Parity != SSerialSettings::kParityNone) tio.c_iflag |= INPCK;
    if (settings.StopBits == SSerialSettings::kStopTwo) tio.c_cflag |= CSTOPB;
    if ((settings.Flow & SSerialSettings::kFlowXonXoff) != 0) tio.c_iflag |= IXON | IXOFF;
    if ((settings.Flow & SSerialSettings::kFlowCts) != 0) tio.c_cflag |= CRTSCTS;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0;
}

SSerialSettings CRs232Stream::DecodeLine(const termios& tio) {
    SSerialSettings out;
    out.BaudRate = BaudRate(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            out.DataBits = 5;
            break;
        case CS6:
            out.DataBits = 6;
            break;
        case CS7:
            out.DataBits = 7;
            break;
        default:
            out.DataBits = 8;
            break;
    }
    out.Parity = SSerialSettings::kParityNone;
    if ((tio.c_cflag & PARENB) != 0) {
        const bool odd = (tio.c_cflag & PARODD) != 0;
        if ((tio.c_cflag & CMSPAR) != 0) {
            out.Parity = odd ? SSerialSettings::kParityMark : SSerialSettings::kParitySpace;
        } else {
            out.Parity = odd ? SSerialSettings::kParityOdd : SSerialSettings::kParityEven;
        }
    }
    out.StopBits = (tio.c_cflag & CSTOPB) != 0 ? SSerialSettings::kStopTwo : SSerialSettings::kStopOne;
    out.Flow = 0;
    if ((tio.c_iflag & (IXON | IXOFF)) != 0) out.Flow |= SSerialSettings::kFlowXonXoff;
    if ((tio.c_cflag & CRTSCTS) != 0) out.Flow |= SSerialSettings::kFlowCts;
    return out;
}

bool CRs232Stream::ApplyPortSettings(const SSerialSettings& settings) {
    SetLastError(kErrNone);
    auto fail = [this](std::int32_t code) {
        SetLastError(code);
        return false;
    };
    if (settings.Magic != SSerialSettings::kMagic) return fail(kErrInvalidParameter);
    if (!IsOpen()) return fail(kErrInvalidHandle);
    // Linux keeps its own queue sizes; the requested sizes are only kept.

    const int fd = Descriptor();
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return fail(ErrorFromErrno(errno));
    if (!EncodeLine(settings, tio)) return fail(kErrInvalidParameter);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail(ErrorFromErrno(errno));

    // Modem lines. Linux has no DSR handshake: DTR stays on for every choice.
    if (!SetModemLine(fd, TIOCM_DTR, true)) return fail(ErrorFromErrno(errno));
    if ((settings.Flow & SSerialSettings::kFlowRtsOff) != 0) {
        if (!SetModemLine(fd, TIOCM_RTS, false)) return fail(ErrorFromErrno(errno));
    } else if ((settings.Flow & SSerialSettings::kFlowCts) == 0) {
        if (!SetModemLine(fd, TIOCM_RTS, true)) return fail(ErrorFromErrno(errno));
    }

    const std::uint32_t keepReadMs = m_Settings.ReadTimeout;
    const std::uint32_t keepWriteMs = m_Settings.WriteTimeout;
    m_Settings = settings;
    if (settings.ReadTimeout == 0 && settings.WriteTimeout == 0) {
        m_Settings.ReadTimeout = keepReadMs;
        m_Settings.WriteTimeout = keepWriteMs;
    } else if (!SetTimeouts(static_cast<std::int32_t>(settings.ReadTimeout),
                            static_cast<std::int32_t>(settings.WriteTimeout))) {
        return false;
    }
    SetLastError(kErrNone);
    return true;
}

bool CRs232Stream::GetPortSettings(SSerialSettings& settings) {
    SetLastError(kErrNone);
    termios tio{};
    if (!IsOpen() || ::tcgetattr(Descriptor(), &tio) != 0) {
        SetLastError(IsOpen() ? ErrorFromErrno(errno) : kErrInvalidHandle);
        settings = SSerialSettings{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        return false;
    }
    SSerialSettings out = DecodeLine(tio);
    // The DSR handshake exists only as our record of the request.
    out.Flow |= m_Settings.Flow & SSerialSettings::kFlowDsr;
    out.RxBufferSize = m_Settings.RxBufferSize;
    out.TxBufferSize = m_Settings.TxBufferSize;
    out.ReadTimeout = static_cast<std::uint32_t>(m_ReadTimeout);
    out.WriteTimeout = static_cast<std::uint32_t>(m_WriteTimeout);
    settings = out;
    return true;
}

}  // namespace StreamIO
