#pragma once
// One file of the in-memory disk. Either a plain byte array with an end point, or
// (pipe mode) a ring buffer whose read and write points chase each other, one byte
// always left free so that "full" and "empty" differ. The capacity grows in steps
// of 512 bytes and never shrinks while the file lives.
//
// The file's own lock guards the data and the points, so one thread can write a
// pipe while another reads it. The user count and the reader/writer marks belong
// to the disk and are guarded by the disk's lock (taken before this one).
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace StreamIO {

class CRamFile {
  public:
    static constexpr std::size_t kGrowStep = 512;

    // flags: the sharing and pipe bits of the request that created the file.
    CRamFile(std::string name, std::uint32_t flags);
    CRamFile(const CRamFile&) = delete;
    CRamFile& operator=(const CRamFile&) = delete;

    const std::string& Name() const { return m_Name; }
    std::uint32_t Flags() const { return m_Flags; }
    bool IsPipe() const;

    // Plain form. Reading stops at the end; writing grows the file and fills any
    // gap between the end and the position with zeros. Growth failures throw
    // std::bad_alloc or std::length_error.
    std::size_t ReadAt(std::uint64_t position, void* buffer, std::size_t count);
    std::size_t WriteAt(std::uint64_t position, const void* buffer, std::size_t count);
    void SetLength(std::uint64_t length);

    // Pipe form: reading consumes, writing grows the ring as needed.
    std::size_t PipeRead(void* buffer, std::size_t count);
    std::size_t PipeWrite(const void* buffer, std::size_t count);

    // File length, or in pipe mode the bytes waiting.
    std::uint64_t Length();
    // Empties the file (pipe: discards what waits).
    void Clear();
    // Grows the capacity to at least `capacity` bytes; false when memory runs out.
    bool Reserve(std::size_t capacity);
    std::size_t Capacity();

  private:
    friend class CRamDisk;

    static std::size_t RoundUp(std::size_t needed);
    std::size_t Waiting() const;
    void GrowPlain(std::size_t needed);
    void GrowRing(std::size_t needed);

    const std::string m_Name;
    const std::uint32_t m_Flags;

    // Guarded by the disk's lock.
    int m_Users = 0;
    bool m_HasReader = false;
    bool m_HasWriter = false;

    std::mutex m_Lock;
    std::vector<std::uint8_t> m_Data;  // its size is the capacity
    std::size_t m_Start = 0;           // pipe: read point; plain: 0
    std::size_t m_End = 0;             // pipe: write point; plain: length
};

}  // namespace StreamIO
