#include "device/PackageHeader.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "streamio/IoStream.h"

namespace Device {

namespace {

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Major, minor and build; the revision is 0.
CVersion Version3(const std::uint8_t* p) {
    return CVersion(U16(p), U16(p + 2), U16(p + 4), 0);
}

constexpr std::uint8_t kEntryHasCode = 0x02;
constexpr std::uint8_t kEntrySizeKb = 0x20;  // size byte counts 4 kB units
constexpr std::uint8_t kEntrySizeMb = 0x40;  // size byte counts tenths of a MB

}  // namespace

// Where the package bytes come from: a stream or memory. Read fills exactly
// `count` bytes or returns false.
class CPackageHeader::IByteSource {
  public:
    virtual ~IByteSource() = default;
    virtual bool Read(std::uint8_t* buffer, std::size_t count) = 0;
};

class CPackageHeader::CSpanSource : public IByteSource {
  public:
    explicit CSpanSource(std::span<const std::uint8_t> bytes) : m_Bytes(bytes) {}
    bool Read(std::uint8_t* buffer, std::size_t count) override {
        if (m_Bytes.size() - m_Pos < count) return false;
        std::memcpy(buffer, m_Bytes.data() + m_Pos, count);
        m_Pos += count;
        return true;
    }
    std::size_t Position() const { return m_Pos; }

  private:
    std::span<const std::uint8_t> m_Bytes;
    std::size_t m_Pos = 0;
};

class CPackageHeader::CStreamSource : public IByteSource {
  public:
    explicit CStreamSource(StreamIO::CIoStream& stream) : m_Stream(stream) {}
    bool Read(std::uint8_t* buffer, std::size_t count) override {
        // Files may hand out less than asked for in one call; only a read that
        // brings nothing means the end.
        std::size_t got = 0;
        while (got < count) {
            const std::size_t n = m_Stream.Read(buffer + got, count - got);
            if (n == 0) return false;
            got += n;
        }
        return true;
    }

  private:
    StreamIO::CIoStream& m_Stream;
};

void CPackageHeader::Reset() {
    *this = CPackageHeader();
}

bool CPackageHeader::Fail(EPackageError error) {
    m_Error = error;
    return false;
}

bool CPackageHeader::Read(StreamIO::CIoStream& stream) {
    Reset();
    try {
        CStreamSource source(stream);
        return ReadFrom(source);
    } catch (const std::exception&) {
        return Fail(EPackageError::ReadFailed);
    }
}

bool CPackageHeader::Parse(std::span<const std::uint8_t> bytes, std::size_t* consumed) {
    Reset();
    CSpanSource source(bytes);
    const bool ok = ReadFrom(source);
    if (ok && consumed) *consumed = source.Position();
    return ok;
}

bool CPackageHeader::ReadFrom(IByteSource& source) {
    std::uint8_t header[kHeaderSize];
    if (!source.Read(header, sizeof header)) return Fail(EPackageError::Truncated);
    if (std::memcmp(header, "@Zv@", 4) != 0) return Fail(EPackageError::BadMagic);
    if (U32(header + 4) != 1 || U16(header + 8) != 1) return Fail(EPackageError::BadHeader);
    const std::uint32_t count = U32(header + 12);
    if (count < 1 || count > kMaxEntries) return Fail(EPackageError::BadEntryCount);
    m_Contents.SetFormatVersion(CVersion((std::uint64_t{1} << 32) | U16(header + 10)));

    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t e[kEntrySize];
        if (!source.Read(e, sizeof e)) return Fail(EPackageError::Truncated);
        SContentEntry entry;
        entry.FlagA = e[0];
        entry.FlagB = e[1];
        const std::uint16_t kind = U16(e + 2);
        entry.Version = Version3(e + 4);
        if (entry.FlagA & kEntryHasCode) entry.Code.assign(reinterpret_cast<const char*>(e + 10), 3);
        const std::uint8_t size = e[13];
        char text[32] = "";
        if (entry.FlagA & kEntrySizeKb) {
            std::snprintf(text, sizeof text, "%d kB", 4 * size);
        } else if (entry.FlagA & kEntrySizeMb) {
            std::snprintf(text, sizeof text, "%0.1f MB", size / 10.0);
        }
        entry.Size = text;
        entry.ValueA = U16(e + 14);
        entry.ValueB = U16(e + 16);
        if (kind >= 8 || entry.ValueB == 0) {
            m_FailedEntry = static_cast<int>(i);
            return Fail(EPackageError::BadEntry);
        }
        entry.Kind = kind;
        m_Contents.Add(std::move(entry));
    }

    // Trailer: device code, target version, a value, the check kind, 8 bytes,
    // two 16-bit values, 4 bytes, two bytes no reader uses, the preamble block.
    std::uint8_t t[kTrailerSize];
    if (!source.Read(t, sizeof t)) return Fail(EPackageError::Truncated);
    m_DeviceCode = U32(t);
    m_TargetVersion = Version3(t + 4);
    m_TrailerValue = U32(t + 10);
    m_CheckKind = t[14];
    std::memcpy(m_TrailerBytes.data(), t + 15, m_TrailerBytes.size());
    m_WordA = U16(t + 23);
    m_WordB = U16(t + 25);
    std::memcpy(m_TrailerTail.data(), t + 27, m_TrailerTail.size());
    std::memcpy(m_Preamble.data(), t + kTrailerSize - kPreambleSize, m_Preamble.size());
    if (m_DeviceCode == 0) return Fail(EPackageError::BadTrailer);
    if (m_CheckKind != 0 && m_CheckKind != 1 && m_CheckKind != 2 && m_CheckKind != 4) {
        return Fail(EPackageError::BadTrailer);
    }
    m_Error = EPackageError::None;
    return true;
}

}  // namespace Device
