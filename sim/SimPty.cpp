#include "SimPty.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace Sim {

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// While nobody has the slave open the master reports a hang-up on every poll;
// it is looked at again after this pause instead of spinning.
constexpr int kHangUpRecheckMs = 20;

int MsUntil(Clock::time_point now, Clock::time_point when) {
    if (when <= now) return 0;
    const auto ms = std::chrono::ceil<Ms>(when - now).count();
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

void SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

}  // namespace

CSimPty::CSimPty(CSimHammer& hammer, SOptions options) : m_Hammer(hammer), m_Options(std::move(options)) {}

CSimPty::~CSimPty() {
    Stop();
    Close();
}

bool CSimPty::OpenTcp(std::string& error) {
    const std::string& address = m_Options.TcpAddress;
    const std::size_t colon = address.rfind(':');
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    const std::string host = colon == std::string::npos ? "127.0.0.1" : address.substr(0, colon);
    const std::string port = colon == std::string::npos ? address : address.substr(colon + 1);
    char* end = nullptr;
    const unsigned long number = std::strtoul(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || number > 65535 || ::inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1) {
        error = "--tcp takes HOST:PORT with a dotted address, not " + address;
        return false;
    }
    sa.sin_port = htons(static_cast<std::uint16_t>(number));
    m_Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_Listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t len = sizeof sa;
    if (m_Listener < 0 || ::bind(m_Listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(m_Listener, 1) != 0 || ::getsockname(m_Listener, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        error = "cannot listen on " + address + ": " + std::strerror(errno);
        Close();
        return false;
    }
    m_SlavePath = "IP:" + host + ":" + std::to_string(ntohs(sa.sin_port));
    return true;
}

bool CSimPty::Open(std::string& error) {
    if (m_Master >= 0 || m_Listener >= 0) return true;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    m_WakeRead = pipeFds[0];
    m_WakeWrite = pipeFds[1];
    if (Tcp()) return OpenTcp(error);
    m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_Master < 0 || ::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    char name[128];
    if (::ptsname_r(m_Master, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        Close();
        return false;
    }
    m_SlavePath = name;
    // Raw 8-bit line: no echo, no line editing, no character translation, so
    // that every byte reaches the other side as it was written.
    termios tio{};
    if (::tcgetattr(m_Master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B38400);
        ::tcsetattr(m_Master, TCSANOW, &tio);
    }
    SetNonBlocking(m_Master);
    if (!m_Options.LinkPath.empty()) {
        struct stat st {};
        if (::lstat(m_Options.LinkPath.c_str(), &st) == 0) {
            // An old link (from a simulator that was killed) is replaced; any
            // other file is left alone.
            if (!S_ISLNK(st.st_mode)) {
                error = m_Options.LinkPath + " exists and is not a symbolic link";
                Close();
                return false;
            }
            ::unlink(m_Options.LinkPath.c_str());
        }
        if (::symlink(m_SlavePath.c_str(), m_Options.LinkPath.c_str()) != 0) {
            error = "cannot link " + m_Options.LinkPath + ": " + std::strerror(errno);
            Close();
            return false;
        }
        m_Linked = true;
    }
    return true;
}

void CSimPty::Close() {
    if (m_Linked) {
        // Only our own link is removed: another simulator may have taken the name.
        char target[256];
        const ssize_t n = ::readlink(m_Options.LinkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_SlavePath) {
            ::unlink(m_Options.LinkPath.c_str());
        }
        m_Linked = false;
    }
    for (int* fd : {&m_Master, &m_Listener, &m_WakeRead, &m_WakeWrite}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void CSimPty::RequestStop() {
    m_Stop.store(true);
    if (m_WakeWrite >= 0) {
        const char c = 'x';
        [[maybe_unused]] const ssize_t n = ::write(m_WakeWrite, &c, 1);
    }
}

bool CSimPty::Start(std::string& error) {
    if (!Open(error)) return false;
    m_Stop.store(false);
    m_Thread = std::thread([this] { Run(); });
    return true;
}

void CSimPty::Stop() {
    if (m_Thread.joinable()) {
        RequestStop();
        m_Thread.join();
    }
}

void CSimPty::Run() {
    if (m_Master < 0 && m_Listener < 0) return;
    if (m_Options.Verbose) {
        m_Hammer.SetRequestObserver([](const SSimRequest& r) {
            std::string line;
            switch (r.Kind) {
                case SSimRequest::Text:
                    line = "text \"" + r.TextCommand + "\"";
                    break;
                case SSimRequest::Resync:
                    line = "resynchronisation";
                    break;
                default: {
                    char head[48];
                    std::snprintf(head, sizeof head, "%s %02X",
                                  r.Kind == SSimRequest::Long ? "long frame" : "frame", r.Command);
                    line = head;
                    for (std::size_t i = 0; i < r.Payload.size() && i < 48; ++i) {
                        char b[4];
                        std::snprintf(b, sizeof b, " %02X", r.Payload[i]);
                        line += b;
                    }
                    if (r.Payload.size() > 48) line += " ...";
                }
            }
            std::fprintf(stderr, "brelvantor-sim: %s\n", line.c_str());
        });
    }

    std::deque<SSimOutput> queue;
    std::size_t sentOfFront = 0;
    bool pausing = false;
    Clock::time_point pauseUntil{};
    Clock::time_point nextByteAt = Clock::now();  // pacing: when the next byte may leave
    Clock::time_point lastInput = Clock::now();
    // A TCP line starts without a peer: it waits for the program to connect.
    bool hungUp = Tcp();
    // Whether the line brought bytes since it last went quiet: only then has a
    // hang-up something of the hammer's to reset. A terminal that nobody opens
    // must not cut into a request that arrives on the other line.
    bool carried = false;
    const std::uint32_t rate = m_Options.LineRate;
    // Paced output leaves in slices of about 10 ms, which a serial line's
    // receive queue would deliver just as unevenly.
    const std::size_t slice = rate == 0 ? SIZE_MAX : std::max<std::size_t>(1, rate / 100);
    std::vector<SSimOutput> produced;
    std::vector<std::uint8_t> buffer(4096);

    auto enqueue = [&](bool fromInput) {
        if (produced.empty()) return;
        if (fromInput && !queue.empty()) {
            // A new request while a reply is still pending (a stalled one): the
            // hammer gives up the old reply rather than mix it into the new one.
            queue.clear();
            sentOfFront = 0;
            pausing = false;
        }
        if (queue.empty()) nextByteAt = std::max(nextByteAt, Clock::now());
        for (auto& o : produced) queue.push_back(std::move(o));
        produced.clear();
    };

    while (!m_Stop.load()) {
        const auto now = Clock::now();
        int timeout = -1;
        auto consider = [&](Clock::time_point when) {
            const int ms = MsUntil(now, when);
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        };
        bool wantWrite = false;
        if (hungUp) consider(now + Ms(kHangUpRecheckMs));
        if (const int quiet = m_Hammer.QuietTimeoutMs(); quiet >= 0 && !hungUp)
            consider(lastInput + Ms(quiet));
        if (!queue.empty() && !hungUp) {
            if (pausing) {
                consider(pauseUntil);
            } else if (rate != 0 && now < nextByteAt) {
                consider(nextByteAt);
            } else {
                wantWrite = true;
            }
        }

        pollfd fds[2] = {{m_WakeRead, POLLIN, 0}, {m_Master, 0, 0}};
        nfds_t count = 1;
        if (!hungUp) {
            fds[1].events = static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0));
            count = 2;
        } else if (Tcp()) {
            fds[1] = {m_Listener, POLLIN, 0};
            count = 2;
            timeout = -1;
        }
        const int ready = ::poll(fds, count, timeout);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_WakeRead, drain, sizeof drain) > 0) {
            }
        }
        if (m_Stop.load()) break;

        if (hungUp && Tcp()) {
            if (ready > 0 && (fds[1].revents & POLLIN)) {
                const int peer = ::accept4(m_Listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (peer >= 0) {
                    const int on = 1;
                    ::setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                    m_Master = peer;
                    hungUp = false;
                    lastInput = Clock::now();
                }
            }
            continue;
        }
        if (hungUp) {
            // Is somebody there again?
            pollfd probe{m_Master, POLLIN, 0};
            if (::poll(&probe, 1, 0) >= 0 && !(probe.revents & POLLHUP)) {
                hungUp = false;
                lastInput = Clock::now();
            }
            continue;
        }

        const short rev = ready > 0 ? fds[1].revents : 0;
        if (rev & POLLIN) {
            const ssize_t n = ::read(m_Master, buffer.data(), buffer.size());
            if (n > 0) {
                carried = true;
                lastInput = Clock::now();
                m_Hammer.Receive(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                                 produced);
                enqueue(true);
            } else if ((n < 0 && errno == EIO) || (n == 0 && Tcp())) {
                hungUp = true;
            }
        } else if (rev & (POLLHUP | POLLERR)) {
            hungUp = true;
        }
        if (hungUp) {
            // The program closed the port: what it did not read is lost, as on a
            // serial line whose other end went away.
            queue.clear();
            sentOfFront = 0;
            pausing = false;
            if (carried) m_Hammer.OnHangUp();
            carried = false;
            if (Tcp()) {
                // The peer is gone for good: the next one connects anew.
                ::close(m_Master);
                m_Master = -1;
            }
            continue;
        }

        if (const int quiet = m_Hammer.QuietTimeoutMs();
            quiet >= 0 && Clock::now() >= lastInput + Ms(quiet)) {
            m_Hammer.OnQuiet(produced);
            enqueue(false);
        }

        // Send what is due.
        while (!queue.empty()) {
            auto& front = queue.front();
            const auto t = Clock::now();
            if (sentOfFront == 0 && front.PauseMs > 0) {
                if (!pausing) {
                    pausing = true;
                    pauseUntil = t + Ms(front.PauseMs);
                }
                if (t < pauseUntil) break;
                pausing = false;
                front.PauseMs = 0;
                nextByteAt = std::max(nextByteAt, t);
            }
            if (sentOfFront >= front.Bytes.size()) {
                queue.pop_front();
                sentOfFront = 0;
                continue;
            }
            if (rate != 0) {
                if (t < nextByteAt) break;
                // Behind schedule (a late wake-up, or the program read slowly): a
                // line cannot send faster than its rate, so at most a little of
                // the lost time is made up.
                nextByteAt = std::max(nextByteAt, t - Ms(20));
            }
            const std::size_t want = std::min(front.Bytes.size() - sentOfFront, slice);
            const ssize_t n = ::write(m_Master, front.Bytes.data() + sentOfFront, want);
            if (n <= 0) break;  // the slave's queue is full (or gone): wait for POLLOUT
            sentOfFront += static_cast<std::size_t>(n);
            m_BytesSent.fetch_add(static_cast<std::uint64_t>(n));
            if (rate != 0) {
                nextByteAt += std::chrono::duration_cast<Clock::duration>(
                    std::chrono::duration<double>(static_cast<double>(n) / static_cast<double>(rate)));
            }
        }
    }
}

}  // namespace Sim
