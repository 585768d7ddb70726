#pragma once
// The simulated hammer's line: a pseudo-terminal whose slave side the program
// opens like a serial port. Carries bytes between the pty master and a
// CSimHammer, paces the hammer's output at a line rate, and keeps serving when
// the program closes the port and opens it again.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "SimHammer.h"

namespace Sim {

class CSimPty {
  public:
    struct SOptions {
        // Bytes per second of the hammer's output; 0 sends as fast as the pty takes it.
        std::uint32_t LineRate = 0;
        // A symbolic link to the slave, made by Open and removed again at the end.
        std::string LinkPath;
        // Each request is described on standard error.
        bool Verbose = false;
        // "HOST:PORT": serve on TCP instead of a pseudo-terminal, as a hammer
        // behind a serial-to-network bridge; port 0 lets the system choose.
        std::string TcpAddress;
    };

    CSimPty(CSimHammer& hammer, SOptions options);
    ~CSimPty();
    CSimPty(const CSimPty&) = delete;
    CSimPty& operator=(const CSimPty&) = delete;

    // Creates the pty in raw mode and the link (or the listening socket);
    // false with a message on failure.
    bool Open(std::string& error);
    // The pty's path, or "IP:host:port" of the TCP line.
    const std::string& SlavePath() const { return m_SlavePath; }

    // Serves until RequestStop. Open must have succeeded.
    void Run();
    // Safe to call from a signal handler and from any thread.
    void RequestStop();

    // Open, then Run on a thread of its own; Stop ends and joins it.
    bool Start(std::string& error);
    void Stop();

    // Bytes sent to the program so far (the noise of faults included).
    std::uint64_t BytesSent() const { return m_BytesSent.load(); }

  private:
    void Close();
    bool OpenTcp(std::string& error);
    bool Tcp() const { return !m_Options.TcpAddress.empty(); }

    CSimHammer& m_Hammer;
    SOptions m_Options;
    int m_Master = -1;    // the pty master, or the connected TCP peer
    int m_Listener = -1;  // TCP only
    int m_WakeRead = -1;
    int m_WakeWrite = -1;
    std::string m_SlavePath;
    bool m_Linked = false;
    std::atomic<bool> m_Stop{false};
    std::atomic<std::uint64_t> m_BytesSent{0};
    std::thread m_Thread;
};

}  // namespace Sim
