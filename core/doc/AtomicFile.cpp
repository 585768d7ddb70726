#include "doc/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"

namespace fs = std::filesystem;

namespace Doc {

namespace {

std::atomic<unsigned> g_tempCounter{0};

// A symbolic link is replaced by its target's new contents, not by a plain file.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

void SyncFolder(const fs::path& folder) {
    // Makes the rename itself durable. Some file systems refuse fsync on a
    // folder; the data are safe in any case, so a failure here is not one of the save.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

CAtomicFile::CAtomicFile(fs::path target) : m_target(ResolveTarget(target)) {}

CAtomicFile::~CAtomicFile() {
    if (!m_committed) Discard();
}

void CAtomicFile::FailErrno(int err) const {
    throw StreamIO::CFileException(StreamIO::ErrorFromErrno(err), m_target.string(), err);
}

StreamIO::CZVArchive& CAtomicFile::Begin(std::size_t bufferSize) {
    using namespace StreamIO;
    const fs::path folder = m_target.parent_path();
    const std::string leaf = m_target.filename().string();
    if (leaf.empty()) FailErrno(EISDIR);
    // Room for the suffix within the usual 255-byte limit of a file name.
    const std::string stem = leaf.substr(0, std::min<std::size_t>(leaf.size(), 200));

    // Hidden and unique, in the target's own folder so that the rename stays on
    // one file system.
    for (int attempt = 0; !m_stream; ++attempt) {
        const fs::path temp = folder / ("." + stem + ".tmp-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(g_tempCounter.fetch_add(1)));
        auto stream = std::make_unique<CFileStream>();
        try {
            stream->Open(temp.string(), kOpenRead | kOpenWrite | kCreateNew);
        } catch (const CFileException& e) {
            if (e.Code() == kErrExists && attempt < 100) continue;
            throw CFileException(e.Code(), m_target.string(), e.SystemError());
        }
        m_temp = temp;
        m_stream = std::move(stream);
    }

    // The new file keeps the permissions of the one it replaces.
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        ::chmod(m_temp.c_str(), info.st_mode & 07777);

    const std::uint32_t handle = m_stream->GetHandle();
    if (handle == 0) throw CFileException(kErrTooManyOpen, m_target.string());
    m_archive = std::make_unique<CZVArchive>(handle, CZVArchive::kStore, bufferSize);
    return *m_archive;
}

void CAtomicFile::Commit() {
    using namespace StreamIO;
    if (!m_archive) throw CFileException(kErrInvalidHandle, m_target.string());
    try {
        m_archive->Flush(true);
        m_archive->Close();
    } catch (const CFileException& e) {
        throw CFileException(e.Code(), m_target.string(), e.SystemError());
    }
    m_archive.reset();
    m_stream.reset();

    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) FailErrno(errno);
    m_committed = true;
    SyncFolder(m_target.parent_path());
}

void CAtomicFile::Discard() noexcept {
    if (m_archive) m_archive->Abort();
    m_archive.reset();
    if (m_stream) m_stream->CloseQuietly();
    m_stream.reset();
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

void WriteFileAtomically(const fs::path& target, std::size_t bufferSize,
                         const std::function<void(StreamIO::CZVArchive&)>& write) {
    CAtomicFile file(target);
    write(file.Begin(bufferSize));
    file.Commit();
}

std::string DescribeFailure(const StreamIO::CFileException& e) {
    if (e.SystemError() != 0) return std::error_code(e.SystemError(), std::generic_category()).message();
    return StreamIO::DescribeError(e.Code());
}

}  // namespace Doc
