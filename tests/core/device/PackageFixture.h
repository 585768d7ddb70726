#pragma once
// Update packages built in memory, and a stream to read them from.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"

namespace PackageFixture {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Offsets of the parts in a package of Package().
constexpr std::size_t kEntry0 = 16;
constexpr std::size_t kTrailer = 16 + 2 * 18;
constexpr std::size_t kBody = kTrailer + 161;

// Two entries: the application 2.4.1 (code "APP", 4 x 50 kB, blocks 0..2) and
// the bootloader 1.2.0 (1.5 MB, block 3); then the trailer for `deviceCode`
// (target version 2.5.0, check kind 2, preamble bytes 0..127).
inline Bytes Package(std::uint32_t deviceCode = 0x05010000) {
    Bytes b{'@', 'Z', 'v', '@'};
    Put32(b, 1);
    Put16(b, 1);
    Put16(b, 7);  // contents format version 1.7
    Put32(b, 2);
    b.insert(b.end(), {0x22, 0x01});  // flags: code, size in kB; flag B 1
    Put16(b, 1);
    Put16(b, 2);
    Put16(b, 4);
    Put16(b, 1);
    b.insert(b.end(), {'A', 'P', 'P', 50});
    Put16(b, 0);
    Put16(b, 3);
    b.insert(b.end(), {0x40, 0x00});  // flags: size in tenths of a MB
    Put16(b, 3);
    Put16(b, 1);
    Put16(b, 2);
    Put16(b, 0);
    b.insert(b.end(), {'X', 'Y', 'Z', 15});
    Put16(b, 3);
    Put16(b, 1);
    Put32(b, deviceCode);
    Put16(b, 2);
    Put16(b, 5);
    Put16(b, 0);
    Put32(b, 0xCAFE);
    b.push_back(2);
    b.insert(b.end(), 8, 0x11);
    Put16(b, 0x2222);
    Put16(b, 0x3333);
    b.insert(b.end(), 4, 0x44);
    b.insert(b.end(), 2, 0x00);
    for (int i = 0; i < 128; ++i) b.push_back(static_cast<std::uint8_t>(i));
    return b;
}

// One block descriptor: `length` data bytes, taken in `entryMode`, left in `exitMode`.
inline Bytes Descriptor(std::uint32_t length, std::uint8_t entryMode, std::uint8_t exitMode) {
    Bytes b;
    Put32(b, length);
    Put32(b, 0x08000000);
    b.push_back(entryMode);
    b.push_back(exitMode);
    Put16(b, 0);
    Put32(b, 0);
    return b;
}

// A read-only stream over bytes that hands out at most `chunk` bytes per read
// and can be told to raise.
class CMemoryStream : public StreamIO::CIoStream {
  public:
    explicit CMemoryStream(Bytes bytes, std::size_t chunk = 4096, bool raise = false)
        : m_Bytes(std::move(bytes)), m_Chunk(chunk), m_Raise(raise) {}
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::size_t Read(void* buffer, std::size_t count) override {
        if (m_Raise) Fail(StreamIO::kErrReadFault);
        const std::size_t n = std::min({count, m_Chunk, m_Bytes.size() - m_Pos});
        std::memcpy(buffer, m_Bytes.data() + m_Pos, n);
        m_Pos += n;
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    bool Open(const std::string&, std::uint32_t) override { return true; }
    std::size_t Position() const { return m_Pos; }
    std::size_t Size() const { return m_Bytes.size(); }

  private:
    Bytes m_Bytes;
    std::size_t m_Chunk;
    bool m_Raise;
    std::size_t m_Pos = 0;
};

}  // namespace PackageFixture
