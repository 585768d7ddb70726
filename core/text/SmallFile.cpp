#include "text/SmallFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace Text {
namespace {

class CFd {
  public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

}  // namespace

SSmallFile ReadSmallFile(const std::filesystem::path& path, std::size_t maxBytes) {
    SSmallFile result;
    // O_NONBLOCK so that a FIFO put where the file should be cannot stall us
    // in open(); it is refused below as not a regular file.
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        result.errorNumber = errno;
        result.status =
            errno == ENOENT || errno == ENOTDIR ? ESmallFileStatus::Missing : ESmallFileStatus::ReadError;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        result.errorNumber = errno;
        result.status = ESmallFileStatus::ReadError;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.status = ESmallFileStatus::NotRegular;
        return result;
    }
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) {
        result.status = ESmallFileStatus::TooLarge;
        return result;
    }
    // The file may grow while we read it: never take more than the limit.
    result.bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (true) {
        if (done == result.bytes.size()) {
            if (result.bytes.size() >= maxBytes + 1) break;
            result.bytes.resize(std::min(maxBytes + 1, result.bytes.size() + 4096));
        }
        const ssize_t n = ::read(fd.get(), result.bytes.data() + done, result.bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.errorNumber = errno;
            result.bytes.clear();
            result.status = ESmallFileStatus::ReadError;
            return result;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxBytes) {
        result.bytes.clear();
        result.status = ESmallFileStatus::TooLarge;
        return result;
    }
    result.bytes.resize(done);
    result.status = ESmallFileStatus::Ok;
    return result;
}

}  // namespace Text
