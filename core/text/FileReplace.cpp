#include "text/FileReplace.h"

#include <fcntl.h>
#include <signal.h>
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

int ChooseWriteRoute(const fs::path& target, EWriteRoute& route) {
    route = EWriteRoute::Replace;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) {
        route = EWriteRoute::Through;
        return 0;
    }
    // The rename would succeed in a writable folder whatever the file's own
    // permissions say; ask the file. Root passes every access check, so for
    // root a file without any write permission counts as read-only too.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    return 0;
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
    struct stat first {}, second {};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists && secondExists) return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (firstExists != secondExists) return false;
    std::error_code ec1, ec2;
    const fs::path x = fs::weakly_canonical(fs::absolute(FollowLinks(a), ec1), ec1);
    const fs::path y = fs::weakly_canonical(fs::absolute(FollowLinks(b), ec2), ec2);
    return !ec1 && !ec2 && x == y;
}

CFileReplacement::CFileReplacement(const fs::path& target, mode_t newFileMode, bool regularOnly)
    : m_target(FollowLinks(target)), m_newFileMode(newFileMode), m_regularOnly(regularOnly) {}

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
    EWriteRoute route = EWriteRoute::Replace;
    if (const int refused = ChooseWriteRoute(m_target, route)) return Fail(refused);
    if (route == EWriteRoute::Through) {
        if (m_regularOnly) return Fail(EINVAL);
        int fd = -1;
        do {
            fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return Fail(errno);
        m_fd = fd;
        m_through = true;
        return true;
    }
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
    // Devices and pipes cannot be synced (EINVAL); what they took is theirs.
    if (::fsync(m_fd) != 0 && !(m_through && (errno == EINVAL || errno == ENOTSUP))) return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
    if (m_through) {
        m_committed = true;
        return true;
    }
    if (beforeRename) beforeRename();
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) return Fail(errno);
    m_committed = true;
    SyncFolder(m_target.parent_path());
    return true;
}

void FailWritesBeyondFileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
}

int ReplaceFile(const fs::path& target, std::string_view bytes, mode_t newFileMode) {
    CFileReplacement file(target, newFileMode);
    if (file.Open() && file.Write(bytes) && file.Commit()) return 0;
    return file.Error();
}

}  // namespace Text
