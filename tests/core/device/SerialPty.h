#pragma once
// A pseudo-terminal pair for serial port tests: the test holds the master side
// and plays the device; the code under test opens the slave path as its port.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class CPtyPair {
  public:
    CPtyPair() {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_Master < 0 || ::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        char name[128] = {};
        if (::ptsname_r(m_Master, name, sizeof name) != 0) throw std::runtime_error("no slave name");
        m_SlavePath = name;
    }
    ~CPtyPair() {
        if (m_Master >= 0) ::close(m_Master);
    }
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    const std::string& SlavePath() const { return m_SlavePath; }
    // The device goes away: the port sees a hang-up.
    void CloseMaster() {
        if (m_Master >= 0) ::close(m_Master);
        m_Master = -1;
    }
    int Master() const { return m_Master; }

    void Send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_Master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("pty write failed");
            done += static_cast<std::size_t>(n);
        }
    }

    // Reads what the port sent until `count` bytes came or `limitMs` passed
    // without a byte (a safety net; tests judge the bytes, not the time).
    std::vector<std::uint8_t> Receive(std::size_t count, int limitMs = 5000) const {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            pollfd p{m_Master, POLLIN, 0};
            if (::poll(&p, 1, limitMs) <= 0) break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(m_Master, buffer, std::min(sizeof buffer, count - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

  private:
    int m_Master = -1;
    std::string m_SlavePath;
};
