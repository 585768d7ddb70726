#pragma once
// A real FTP server for the update tests: pyftpdlib (Debian python3-pyftpdlib)
// serving a folder made by the test to one user on 127.0.0.1, on a port the
// system picks. Stopped by its process id when the object goes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class CFtpServer {
  public:
    static constexpr const char* kUser = "update";
    static constexpr const char* kPassword = "s3cret-pw";

    struct SOptions {
        // The server ends itself once this many bytes of a file went out.
        long dieAfter = -1;
    };
    // FTPS: `mode` "implicit" or "explicit", the certificate and key in `pem`.
    struct STls {
        std::string mode;
        std::filesystem::path pem;
    };

    explicit CFtpServer(std::filesystem::path root) : CFtpServer(std::move(root), SOptions{}) {}
    CFtpServer(std::filesystem::path root, SOptions options, const STls& tls = {}) : m_root(std::move(root)) {
        std::filesystem::create_directories(m_root);
        m_portFile = m_root.parent_path() / (m_root.filename().string() + ".port");
        std::filesystem::remove(m_portFile);
        const std::string script = std::string(BRELVANTOR_SOURCE_DIR) + "/tests/support/ftp_server.py";
        std::vector<std::string> args{
            "/usr/bin/python3", script,    "--root",      m_root.string(),    "--user", kUser,
            "--password",       kPassword, "--port-file", m_portFile.string()};
        if (!tls.mode.empty()) args.insert(args.end(), {"--tls", tls.mode, "--cert", tls.pem.string()});
        if (options.dieAfter >= 0) {
            args.push_back("--die-after");
            args.push_back(std::to_string(options.dieAfter));
        }
        m_pid = ::fork();
        if (m_pid < 0) throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        // Python needs a moment to start; the port file says when it listens.
        for (int i = 0; i < 1000 && !std::filesystem::exists(m_portFile); ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                throw std::runtime_error("the FTP server did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::ifstream in(m_portFile);
        in >> m_port;
        if (m_port <= 0) throw std::runtime_error("the FTP server did not tell its port");
    }
    ~CFtpServer() { Stop(); }
    CFtpServer(const CFtpServer&) = delete;
    CFtpServer& operator=(const CFtpServer&) = delete;

    void Stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    // Waits for a server that ends itself (dieAfter).
    bool WaitExited() {
        if (m_pid <= 0) return true;
        int status = 0;
        const bool ok = ::waitpid(m_pid, &status, 0) == m_pid;
        m_pid = -1;
        return ok;
    }

    int Port() const { return m_port; }
    std::string Url(const std::string& password = kPassword, const std::string& scheme = "ftp") const {
        return scheme + "://" + kUser + ":" + password + "@127.0.0.1:" + std::to_string(m_port) + "/";
    }
    const std::filesystem::path& Root() const { return m_root; }

    // A file below the root, its folders made.
    std::filesystem::path Put(const std::string& relative, const std::string& bytes) const {
        const auto file = m_root / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    // Names the folder's listing shows besides its files (JSON string lines),
    // for names no file system can hold.
    void ListExtra(const std::string& folder, const std::vector<std::string>& jsonNames) const {
        std::string lines;
        for (const auto& n : jsonNames) lines += n + "\n";
        Put(folder + "/.listing-extra", lines);
    }

  private:
    std::filesystem::path m_root;
    std::filesystem::path m_portFile;
    pid_t m_pid = -1;
    int m_port = 0;
};
