#pragma once
// The head of a firmware update package file: a 16-byte header, one 18-byte
// entry per component and a 161-byte trailer, all numbers least significant
// byte first. The package body (block descriptors and data) follows; the
// update job reads it.
#include <array>
#include <cstdint>
#include <span>

#include "device/Contents.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

enum class EPackageError {
    None,
    Truncated,      // the file ends inside the header, an entry or the trailer
    ReadFailed,     // the stream raised
    BadMagic,       // not "@Zv@"
    BadHeader,      // the two header values that must be 1 are not
    BadEntryCount,  // not 1 to 2000 entries
    BadEntry,       // an entry's kind is 8 or more, or its value B is 0
    BadTrailer,     // the trailer's first value is 0 or its check kind is not 0, 1, 2 or 4
};

class CPackageHeader {
  public:
    static constexpr std::size_t kHeaderSize = 16;
    static constexpr std::size_t kEntrySize = 18;
    static constexpr std::size_t kTrailerSize = 161;
    static constexpr std::size_t kPreambleSize = 128;
    static constexpr std::uint32_t kMaxEntries = 2000;

    // Reads the header, the entries and the trailer from the stream's current
    // position; true when all three pass. No exception leaves it.
    bool Read(StreamIO::CIoStream& stream);
    // The same over bytes in memory; `consumed` gets the bytes read on success.
    bool Parse(std::span<const std::uint8_t> bytes, std::size_t* consumed = nullptr);

    EPackageError GetError() const { return m_Error; }
    // The index of the entry that failed (BadEntry), else -1.
    int GetFailedEntry() const { return m_FailedEntry; }

    // The components the package carries, with the contents format version.
    const CContents& GetContents() const { return m_Contents; }

    // Trailer values.
    std::uint32_t GetDeviceCode() const { return m_DeviceCode; }  // the device code the package is for
    CVersion GetTargetVersion() const { return m_TargetVersion; }
    std::uint32_t GetTrailerValue() const { return m_TrailerValue; }
    std::uint8_t GetCheckKind() const { return m_CheckKind; }
    const std::array<std::uint8_t, 8>& GetTrailerBytes() const { return m_TrailerBytes; }
    std::uint16_t GetTrailerWordA() const { return m_WordA; }
    std::uint16_t GetTrailerWordB() const { return m_WordB; }
    const std::array<std::uint8_t, 4>& GetTrailerTail() const { return m_TrailerTail; }
    // The 128-byte block the update sends as its preamble.
    const std::array<std::uint8_t, kPreambleSize>& GetPreamble() const { return m_Preamble; }

  private:
    class IByteSource;
    class CSpanSource;
    class CStreamSource;

    bool ReadFrom(IByteSource& source);
    bool Fail(EPackageError error);
    void Reset();

    EPackageError m_Error = EPackageError::None;
    int m_FailedEntry = -1;
    CContents m_Contents;
    std::uint32_t m_DeviceCode = 0;
    CVersion m_TargetVersion;
    std::uint32_t m_TrailerValue = 0;
    std::uint8_t m_CheckKind = 0;
    std::array<std::uint8_t, 8> m_TrailerBytes{};
    std::uint16_t m_WordA = 0;
    std::uint16_t m_WordB = 0;
    std::array<std::uint8_t, 4> m_TrailerTail{};
    std::array<std::uint8_t, kPreambleSize> m_Preamble{};
};

}  // namespace Device
