#include "doc/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"
#include "text/FileReplace.h"

namespace fs = std::filesystem;

namespace Doc {

CAtomicFile::CAtomicFile(fs::path target) : m_target(Text::FollowLinks(std::move(target))) {}

CAtomicFile::~CAtomicFile() {
    if (!m_committed) Discard();
}

void CAtomicFile::FailErrno(int err) const {
    throw StreamIO::CFileException(StreamIO::ErrorFromErrno(err), m_target.string(), err);
}

StreamIO::CZVArchive& CAtomicFile::Begin(std::size_t bufferSize) {
    using namespace StreamIO;
    if (!m_target.has_filename()) FailErrno(EISDIR);
    Text::EWriteRoute route = Text::EWriteRoute::Replace;
    if (const int refused = Text::ChooseWriteRoute(m_target, route)) FailErrno(refused);
    // A device or FIFO is written into, never renamed over. The archive needs
    // a file it can seek in, so it is built in the temporary folder first.
    m_through = route == Text::EWriteRoute::Through;
    std::error_code ec;
    const fs::path besideOf = m_through ? fs::temp_directory_path(ec) / m_target.filename() : m_target;
    for (int attempt = 0; !m_stream; ++attempt) {
        const fs::path temp = Text::TempNameBeside(besideOf);
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
    if (!m_through && ::stat(m_target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
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
        // What a device or pipe took cannot be synced; it is on its way.
        m_archive->Flush(!m_through);
        m_archive->Close();
    } catch (const CFileException& e) {
        throw CFileException(e.Code(), m_target.string(), e.SystemError());
    }
    m_archive.reset();
    m_stream.reset();
    if (m_through) {
        CopyThrough();
        return;
    }

    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) FailErrno(errno);
    m_committed = true;
    Text::SyncFolder(m_target.parent_path());
}

void CAtomicFile::CopyThrough() {
    Text::CFileReplacement out(m_target);
    bool ok = out.Open();
    const int in = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0 && ok) FailErrno(errno);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(in);
            FailErrno(errno);
        }
        if (n == 0) break;
        ok = out.Write(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (in >= 0) ::close(in);
    if (!ok || !out.Commit()) FailErrno(out.Error());
    // The copy in the temporary folder has served; the destructor removes it.
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
    if (e.SystemError() != 0) return Text::DescribeErrno(e.SystemError());
    return StreamIO::DescribeError(e.Code());
}

}  // namespace Doc
