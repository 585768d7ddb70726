#pragma once
// The simulator program as a child process for the benchmarks that talk to a
// hammer over a pseudo-terminal: brelvantor-sim beside the benchmark (or the one
// named by BRELVANTOR_SIM), so that the CPU time measured is the benchmark's.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace Bench {

inline std::string SimProgram() {
    if (const char* env = std::getenv("BRELVANTOR_SIM")) return env;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "brelvantor-sim").string();
}

// The simulator as a child process; ended with SIGTERM when the object goes.
class CSimProcess {
  public:
    // An empty `state` runs the simulator's default hammer; a `lineRate` of 0
    // leaves the line unpaced. `tcp` serves on a TCP port of the loopback
    // instead, and Path() is then its "IP:127.0.0.1:PORT".
    CSimProcess(const std::string& state, std::uint32_t lineRate, bool tcp = false) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe");
        const std::string program = SimProgram();
        const std::string rate = std::to_string(lineRate);
        std::vector<const char*> argv{program.c_str()};
        if (!state.empty()) argv.insert(argv.end(), {"--state", state.c_str()});
        if (lineRate != 0) argv.insert(argv.end(), {"--line-rate", rate.c_str()});
        if (tcp) argv.insert(argv.end(), {"--tcp", "127.0.0.1:0"});
        argv.push_back(nullptr);
        m_Pid = ::fork();
        if (m_Pid < 0) throw std::runtime_error("fork");
        if (m_Pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(program.c_str(), const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
        ::close(out[1]);
        char c = 0;
        pollfd pfd{out[0], POLLIN, 0};
        while (::poll(&pfd, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') m_Path += c;
        ::close(out[0]);
        if (m_Path.empty()) throw std::runtime_error("no pty path from " + program);
    }
    ~CSimProcess() {
        ::kill(m_Pid, SIGTERM);
        ::waitpid(m_Pid, nullptr, 0);
    }
    const std::string& Path() const { return m_Path; }

  private:
    pid_t m_Pid = -1;
    std::string m_Path;
};

}  // namespace Bench
