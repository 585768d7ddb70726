#pragma once
// A stream on a file of the in-memory disk "RAM:". Each stream has its own
// position; several streams on one shared file see each other's data. In pipe mode
// the file is a ring buffer: reading consumes, and positions mean nothing.
#include <cstdint>
#include <memory>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CRamDisk;
class CRamFile;

class CRamStream : public CIoStream {
  public:
    CRamStream() = default;
    ~CRamStream() override;

    void Close() override;
    void ClearInput() override;
    bool IsOpen() const override { return m_File != nullptr; }
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    bool IsRandomAccess() const override;
    std::uint64_t GetLength() override;
    std::uint64_t GetPosition() override;
    std::uint64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t SetPosition(std::uint64_t position) override;
    void Truncate() override;
    // The name may carry the prefix "RAM:" in any letter case.
    bool Open(const std::string& name, std::uint32_t flags) override;

    // Grows the file's capacity to at least `capacity` bytes; false when memory runs
    // out. Raises 6 when the stream is not open.
    virtual bool Reserve(std::size_t capacity);
    // The file's current capacity (multiples of 512); 0 when not open.
    std::size_t GetCapacity() const;

  private:
    void RequireOpen();
    bool IsPipe() const;

    std::shared_ptr<CRamDisk> m_Disk;
    std::shared_ptr<CRamFile> m_File;
    std::uint64_t m_Position = 0;
};

}  // namespace StreamIO
