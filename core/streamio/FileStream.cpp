#include "streamio/FileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include "streamio/StreamErrors.h"

namespace StreamIO {

namespace {

// Keep single transfers well inside ssize_t on every platform.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

void CloseKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

}  // namespace

CFileStream::~CFileStream() {
    Unregister();
    if (m_Fd >= 0) ::close(m_Fd);
}

int CFileStream::LockFor(std::uint32_t flags) {
    const bool sharesRead = (flags & kShareRead) != 0;
    const bool sharesWrite = (flags & kShareWrite) != 0;
    const bool writes = (flags & kOpenWrite) != 0;
    return (!sharesRead || (writes && !sharesWrite)) ? LOCK_EX : LOCK_SH;
}

bool CFileStream::Open(const std::string& name, std::uint32_t flags) {
    if (IsOpen()) {
        SetLastError(kErrNotSupported);
        return false;
    }
    SetName(name);
    SetOpenFlags(flags);
    SetLastError(kErrNone);
    m_Fd = OpenDescriptor(name, flags);
    return true;
}

int CFileStream::OpenDescriptor(const std::string& name, std::uint32_t flags) {
    const bool reads = (flags & kOpenRead) != 0;
    const bool writes = (flags & kOpenWrite) != 0;
    int oflags = O_CLOEXEC | (writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY);
    const std::uint32_t creation = flags & kCreationMask;
    if (creation == kOpenAlways || creation == kCreateAlways) oflags |= O_CREAT;
    if (creation == kCreateNew) oflags |= O_CREAT | O_EXCL;

    int fd = -1;
    do {
        fd = ::open(name.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) FailErrno(errno);

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        CloseKeepingErrno(fd);
        FailErrno(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        FailErrno(EISDIR);
    }

    int rc = 0;
    do {
        rc = ::flock(fd, LockFor(flags) | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        // Our own words: "resource temporarily unavailable" would puzzle a user.
        ::close(fd);
        Fail(kErrSharing);
    }
    // Any other flock failure means the file system cannot lock: go on unlocked.

    if (creation == kCreateAlways && ::ftruncate(fd, 0) != 0) {
        CloseKeepingErrno(fd);
        FailErrno(errno);
    }
    return fd;
}

void CFileStream::Close() {
    SetLastError(kErrNone);
    if (m_Fd < 0) return;
    Flush();
    const int fd = m_Fd;
    m_Fd = -1;
    // On Linux the descriptor is gone even when close reports EINTR; never retry.
    if (::close(fd) != 0 && errno != EINTR) FailErrno(errno);
}

void CFileStream::Flush() {
    SetLastError(kErrNone);
}

void CFileStream::Sync() {
    RequireOpen();
    int rc = 0;
    do {
        rc = ::fsync(m_Fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) FailErrno(errno);
}

bool CFileStream::GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) {
    readMs = -1;
    writeMs = -1;
    SetLastError(kErrNotSupported);
    return false;
}

bool CFileStream::SetTimeouts(std::int32_t, std::int32_t) {
    SetLastError(kErrNotSupported);
    return false;
}

bool CFileStream::CancelIo() {
    SetLastError(kErrNotSupported);
    return false;
}

void CFileStream::RequireOpen() {
    SetLastError(kErrNone);
    if (m_Fd < 0) Fail(kErrInvalidHandle);
}

std::size_t CFileStream::Read(void* buffer, std::size_t count) {
    RequireOpen();
    if ((GetOpenFlags() & kOpenRead) == 0) Fail(kErrReadFault);
    if (count == 0) return 0;
    if (buffer == nullptr) {
        SetLastError(kErrInvalidParameter);
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const ssize_t n = ::read(m_Fd, bytes + total, std::min(count - total, kMaxChunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            // Hand out what arrived; the failure shows again on the next read.
            if (total > 0) break;
            FailErrno(errno);
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    if (total == 0) SetLastError(kErrEndOfData);
    return total;
}

std::size_t CFileStream::Write(const void* buffer, std::size_t count) {
    RequireOpen();
    if ((GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    if (count == 0) return 0;
    if (buffer == nullptr) Fail(kErrInvalidParameter);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const ssize_t n = ::write(m_Fd, bytes + total, std::min(count - total, kMaxChunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            FailErrno(errno);
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    if (total == 0) SetLastError(kErrTimeout);
    return total;
}

std::uint64_t CFileStream::GetLength() {
    RequireOpen();
    struct stat info {};
    if (::fstat(m_Fd, &info) != 0) FailErrno(errno);
    return static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t CFileStream::GetPosition() {
    RequireOpen();
    const off_t position = ::lseek(m_Fd, 0, SEEK_CUR);
    if (position < 0) FailErrno(errno);
    return static_cast<std::uint64_t>(position);
}

std::uint64_t CFileStream::Seek(std::int64_t offset, int origin) {
    RequireOpen();
    int whence = SEEK_SET;
    switch (origin) {
        case kSeekCurrent:
            whence = SEEK_CUR;
            break;
        case kSeekBegin:
            whence = SEEK_SET;
            break;
        case kSeekEnd:
            whence = SEEK_END;
            break;
        default:
            Fail(kErrSeek);
    }
    if (offset < 0) {
        // lseek would only say "invalid argument"; tell a seek before the start apart.
        const std::uint64_t base = origin == kSeekBegin ? 0
                                   : origin == kSeekEnd ? GetLength()
                                                        : GetPosition();
        if (static_cast<std::uint64_t>(-(offset + 1)) + 1 > base) Fail(kErrNegativeSeek);
    }
    const off_t position = ::lseek(m_Fd, static_cast<off_t>(offset), whence);
    if (position < 0) FailErrno(errno);
    return static_cast<std::uint64_t>(position);
}

std::uint64_t CFileStream::SetPosition(std::uint64_t position) {
    RequireOpen();
    if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) Fail(kErrInvalidParameter);
    return Seek(static_cast<std::int64_t>(position), kSeekBegin);
}

void CFileStream::Truncate() {
    RequireOpen();
    if ((GetOpenFlags() & kOpenWrite) == 0) Fail(kErrWriteFault);
    const std::uint64_t position = GetPosition();
    if (::ftruncate(m_Fd, static_cast<off_t>(position)) != 0) FailErrno(errno);
}

}  // namespace StreamIO
