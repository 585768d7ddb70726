#pragma once
// A stream on a file of the file system (POSIX descriptors). Also the base of the
// serial stream, which overrides OpenDescriptor and the transfer operations.
//
// Sharing bits become flock() locks, taken without waiting when the file is opened:
//   - a stream that does not let others read (no 0x0100), or that writes and does
//     not let others write (0x0002 without 0x0200), takes LOCK_EX;
//   - every other stream takes LOCK_SH.
// So a storing archive (read/write, shared read) refuses, and is refused by, any
// other stream of this program on the file, while loading archives (read, shared
// read) coexist. A conflict fails the open with 32. POSIX cannot say everything the
// sharing bits say: flock locks are advisory (programs that do not lock ignore
// them), they know only "shared" and "exclusive" rather than read and write access
// separately, and where a file system has no flock the file opens unlocked.
#include <cstdint>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CFileStream : public CIoStream {
  public:
    CFileStream() = default;
    ~CFileStream() override;

    void Close() override;
    // Data goes straight to the kernel, so there is nothing of ours to push; use
    // Sync to make a save durable.
    void Flush() override;
    // Plain files have no time-outs: these fail with 50 (not supported), unraised.
    bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) override;
    bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs) override;
    bool CancelIo() override;
    bool IsOpen() const override { return m_Fd >= 0; }
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    bool IsRandomAccess() const override { return true; }
    std::uint64_t GetLength() override;
    std::uint64_t GetPosition() override;
    std::uint64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t SetPosition(std::uint64_t position) override;
    void Truncate() override;
    // Stores name and flags, then opens; a failure raises and leaves the stream
    // closed with the code in LastError.
    bool Open(const std::string& name, std::uint32_t flags) override;

    // Waits until the file's data and size are on the medium (fsync). Raises.
    void Sync();

  protected:
    // Opens the system object for Open and returns its descriptor, or raises with
    // FailErrno. The default handles a file path: creation mode, sharing locks and
    // truncation (only once the lock is held, so a refused open never destroys a
    // file another stream is using).
    virtual int OpenDescriptor(const std::string& name, std::uint32_t flags);
    int Descriptor() const { return m_Fd; }
    // The flock operation for the sharing bits (see above).
    static int LockFor(std::uint32_t flags);

  private:
    void RequireOpen();

    int m_Fd = -1;
};

}  // namespace StreamIO
