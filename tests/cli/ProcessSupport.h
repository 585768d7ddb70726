#pragma once
// Running the built programs from a test: brelvantor-sim as a child process
// serving a real pseudo-terminal, and brelvantor-cli with pipes (or on a
// pseudo-terminal of its own, where it may ask questions and draw its
// progress bar). Children are stopped by their process id only.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace CliTest {

using Env = std::map<std::string, std::string>;

struct SRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::vector<std::string> Environment(const Env& overrides) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::size_t eq = entry.find('=');
        if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : overrides) env[k] = v;
    std::vector<std::string> out;
    for (const auto& [k, v] : env) out.push_back(k + "=" + v);
    return out;
}

[[noreturn]] inline void ExecChild(const std::string& program, const std::vector<std::string>& args,
                                   const std::vector<std::string>& env) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
}

inline int WaitExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

// Runs `program` to its end; standard input is `input` (or empty), output
// and error are collected.
inline SRun Run(const std::string& program, const std::vector<std::string>& args, const Env& env = {},
                const std::string& input = {}) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe failed");
    const std::vector<std::string> environment = Environment(env);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
        ExecChild(program, args, environment);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    // The input is small: it fits in the pipe before the child reads it.
    if (!input.empty()) {
        const ssize_t written = ::write(in[1], input.data(), input.size());
        (void)written;
    }
    ::close(in[1]);

    SRun run;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    run.exitCode = WaitExit(pid);
    return run;
}

// Runs `program` on a pseudo-terminal of its own (standard input, output and
// error all on it). Whenever the output so far ends a step's `waitFor` text,
// the step's `send` is typed. Returns everything the program wrote.
struct SStep {
    std::string waitFor;
    std::string send;
};

inline SRun RunOnTerminal(const std::string& program, const std::vector<std::string>& args, const Env& env,
                          std::vector<SStep> steps) {
    const std::vector<std::string> environment = Environment(env);
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) ExecChild(program, args, environment);

    SRun run;
    std::size_t step = 0;
    std::size_t searchFrom = 0;
    while (true) {
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // EIO once the program and its children have closed the terminal
        run.out.append(buffer, static_cast<std::size_t>(n));
        while (step < steps.size()) {
            const std::size_t at = run.out.find(steps[step].waitFor, searchFrom);
            if (at == std::string::npos) break;
            searchFrom = at + steps[step].waitFor.size();
            const std::string& send = steps[step].send;
            const ssize_t written = ::write(master, send.data(), send.size());
            (void)written;
            ++step;
        }
    }
    ::close(master);
    run.exitCode = WaitExit(pid);
    return run;
}

// brelvantor-sim serving one pseudo-terminal until the test stops it.
class CSimProcess {
  public:
    CSimProcess(const std::string& program, const std::vector<std::string>& args) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
        const std::vector<std::string> environment = Environment({});
        m_pid = ::fork();
        if (m_pid < 0) throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            const int null = ::open("/dev/null", O_WRONLY);
            if (null >= 0) ::dup2(null, 2);
            ::close(out[0]);
            ::close(out[1]);
            ExecChild(program, args, environment);
        }
        ::close(out[1]);
        m_out = out[0];
        // The first line is the terminal's path; the simulator serves from then on.
        char c = 0;
        while (true) {
            const ssize_t n = ::read(m_out, &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Stop();
                throw std::runtime_error("brelvantor-sim ended before naming its terminal");
            }
            if (c == '\n') break;
            m_path.push_back(c);
        }
    }
    ~CSimProcess() { Stop(); }
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    const std::string& Path() const { return m_path; }

    // The next line it printed (the TCP line's address after the terminal's
    // path, with --pty); empty when it printed no more.
    std::string NextLine() {
        std::string line;
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(m_out, &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0 || c == '\n') return line;
            line.push_back(c);
        }
    }

    // Ends the simulator (which writes its --dump file on the way out).
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            WaitExit(m_pid);
            m_pid = -1;
        }
        if (m_out >= 0) {
            ::close(m_out);
            m_out = -1;
        }
    }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_path;
};

}  // namespace CliTest
