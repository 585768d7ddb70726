#include "AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

fs::path Resolve(const fs::path& target) {
    std::error_code ec;
    fs::path path = target;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

}  // namespace

CAtomicOutput::~CAtomicOutput() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

bool CAtomicOutput::Fail(int err) {
    if (!m_failed) m_reason = std::strerror(err);
    m_failed = true;
    return false;
}

bool CAtomicOutput::Open(const fs::path& target) {
    m_real = Resolve(target);
    const fs::path folder = m_real.parent_path().empty() ? fs::path(".") : m_real.parent_path();
    std::string temp = (folder / ("." + m_real.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkstemp(temp.data());
    if (m_fd < 0) return Fail(errno);
    m_temp = temp;

    // A replaced file keeps its permissions; a new one gets what the umask allows.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(m_real.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) return Fail(errno);
    return true;
}

bool CAtomicOutput::Write(std::string_view bytes) {
    if (m_failed || m_fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CAtomicOutput::Commit() {
    if (m_failed || m_fd < 0) return false;
    if (::fsync(m_fd) != 0) return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) return Fail(errno);
    if (::rename(m_temp.c_str(), m_real.c_str()) != 0) return Fail(errno);
    m_temp.clear();
    return true;
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string& reason) {
    CAtomicOutput out;
    const bool ok = out.Open(target) && out.Write(bytes) && out.Commit();
    if (!ok) reason = out.Reason();
    return ok;
}
