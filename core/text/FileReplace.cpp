#include "text/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace Text {

fs::path FollowLinks(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

fs::path TempNameBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string leaf = target.filename().string();
    // Room for the suffix within the 255 bytes a folder entry may have.
    leaf.resize(std::min<std::size_t>(leaf.size(), 200));
    return target.parent_path() /
           ("." + leaf + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)));
}

namespace {

// A replaced file keeps the permissions the user gave it.
void KeepPermissions(const fs::path& target, int tempDescriptor) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(tempDescriptor, info.st_mode & 07777);
}

}  // namespace

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string DescribeErrno(int errorNumber) {
    return std::system_category().message(errorNumber);
}

CFileReplacement::CFileReplacement(const fs::path& target, mode_t newFileMode)
    : m_target(FollowLinks(target)), m_newFileMode(newFileMode) {}

CFileReplacement::~CFileReplacement() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed && !m_temp.empty()) ::unlink(m_temp.c_str());
}

bool CFileReplacement::Fail(int errorNumber) {
    if (m_error == 0) m_error = errorNumber != 0 ? errorNumber : EIO;
    return false;
}

bool CFileReplacement::Open() {
    if (m_error != 0 || m_fd >= 0) return Fail(EINVAL);
    if (m_target.empty() || !m_target.has_filename()) return Fail(EINVAL);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path temp = TempNameBeside(m_target);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, m_newFileMode);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = temp;
            KeepPermissions(m_target, m_fd);
            return true;
        }
        if (errno != EEXIST && errno != EINTR) return Fail(errno);
    }
    return Fail(EEXIST);
}

bool CFileReplacement::Write(std::string_view bytes) {
    if (m_error != 0 || m_fd < 0) return Fail(EBADF);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (n == 0) return Fail(EIO);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CFileReplacement::Commit(const std::function<void()>& beforeRename) {
    if (m_error != 0 || m_fd < 0) return Fail(EBADF);
    if (::fsync(m_fd) != 0) return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) return Fail(errno);
    if (beforeRename) beforeRename();
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) return Fail(errno);
    m_committed = true;
    SyncFolder(m_target.parent_path());
    return true;
}

int ReplaceFile(const fs::path& target, std::string_view bytes, mode_t newFileMode) {
    CFileReplacement file(target, newFileMode);
    if (file.Open() && file.Write(bytes) && file.Commit()) return 0;
    return file.Error();
}

}  // namespace Text
