#pragma once
// Replaces a file so that it holds either its old contents or the complete new
// ones, never a mixture: the data go to a temporary file beside the target,
// which is flushed to the medium and then renamed over the target. Anything
// that fails on the way leaves the target as it was and raises a
// StreamIO::CFileException that names the target. Devices, FIFOs and
// read-only files are treated as Text::CFileReplacement treats them.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace StreamIO {
class CFileException;
class CFileStream;
class CZVArchive;
}  // namespace StreamIO

namespace Doc {

class CAtomicFile {
  public:
    explicit CAtomicFile(std::filesystem::path target);
    // Removes the temporary file unless Commit succeeded.
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file and returns a storing archive on it.
    StreamIO::CZVArchive& Begin(std::size_t bufferSize);
    // Flushes the archive to the medium, closes it and renames the temporary
    // file over the target.
    void Commit();

    // The file that is replaced (a symbolic link is followed, so the link stays).
    const std::filesystem::path& Target() const { return m_target; }

  private:
    void Discard() noexcept;
    void CopyThrough();
    [[noreturn]] void FailErrno(int err) const;

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::unique_ptr<StreamIO::CFileStream> m_stream;
    std::unique_ptr<StreamIO::CZVArchive> m_archive;
    bool m_through = false;
    bool m_committed = false;
};

// Runs `write` on a storing archive and commits the result as above.
void WriteFileAtomically(const std::filesystem::path& target, std::size_t bufferSize,
                         const std::function<void(StreamIO::CZVArchive&)>& write);

// The reason a file operation failed, in the system's words where it gave any.
std::string DescribeFailure(const StreamIO::CFileException& e);

}  // namespace Doc
