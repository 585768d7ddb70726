#pragma once
// Typed, buffered reading or writing of one stream: the encoding of project files,
// curve files and the clipboard exchange.
//
// Values: bytes as they are; 16- and 32-bit integers little-endian (big-endian
// with the big-endian flag); floats as the 32 bits of their IEEE single; strings
// as a marker byte 0xFE, a 16-bit count of UTF-16 code units, then the code units.
// Reading also accepts the marker 0xFF, followed by that many bytes of
// Windows-1252 text.
//
// The stream is called only when the buffer is full (storing) or empty (loading).
// Every failure raises CFileException.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace StreamIO {

class CIoStream;

class CZVArchive {
  public:
    // Mode flags.
    static constexpr std::uint16_t kStore = 0x0000;
    static constexpr std::uint16_t kLoad = 0x0001;
    static constexpr std::uint16_t kAbandon = 0x0002;    // destruction discards unwritten data
    static constexpr std::uint16_t kBigEndian = 0x0090;  // either bit sets both

    static constexpr std::size_t kMinBufferSize = 16;
    static constexpr std::size_t kDefaultBufferSize = 1024;
    static constexpr std::size_t kMaxBlock = 65535;  // strings and ReadBytes
    static constexpr std::uint8_t kWideMarker = 0xFE;
    static constexpr std::uint8_t kNarrowMarker = 0xFF;

    // Opens the stream by name: read with shared read when loading, read/write
    // create-or-truncate with shared read when storing. Loading fills the buffer.
    CZVArchive(const std::string& name, std::uint16_t mode, std::size_t bufferSize = kDefaultBufferSize);
    // Works on a registered, open stream (else 6), from position 0; storing empties
    // it first. Closing the archive closes the stream through CloseStream.
    CZVArchive(std::uint32_t streamHandle, std::uint16_t mode, std::size_t bufferSize = kDefaultBufferSize);
    // Still open: Abort with the abandon flag, else Close (an error there is
    // swallowed after aborting).
    ~CZVArchive();
    CZVArchive(const CZVArchive&) = delete;
    CZVArchive& operator=(const CZVArchive&) = delete;

    void WriteByte(std::uint8_t value);
    void WriteWord(std::uint16_t value);
    void WriteDword(std::uint32_t value);
    void WriteFloat(float value);
    void WriteWords(const std::uint16_t* values, std::size_t count);
    // More than 65535 code units raises 122 before anything is written.
    void WriteString(std::u16string_view text);

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDword();
    float ReadFloat();
    void ReadWords(std::uint16_t* values, std::size_t count);
    // A raw block of at most 65535 bytes (more raises 122).
    void ReadBytes(void* buffer, std::size_t count);
    std::u16string ReadString();

    // Loading: true when no byte is left, neither buffered nor in the stream. Reads
    // ahead into the buffer but consumes nothing.
    bool IsAtEnd();

    // Storing: writes the buffer out and flushes the stream; durable also waits for
    // a file to reach the medium (see CFileStream::Sync).
    void Flush(bool durable = false);
    // Storing: writes the buffer out. Then closes the stream (built on a name: and
    // deletes it). A stream that fails to close raises its code.
    void Close();
    // Closes without writing the buffer. Never raises.
    void Abort();

    bool IsOpen() const { return m_Stream != nullptr; }
    bool IsLoading() const { return (m_Mode & kLoad) != 0; }
    bool IsBigEndian() const { return (m_Mode & kBigEndian) != 0; }
    std::uint16_t GetMode() const { return m_Mode; }
    // Changes the abandon and byte-order flags; the direction stays.
    void SetMode(std::uint16_t mode);
    std::uint32_t GetStreamHandle() const { return m_StreamHandle; }
    CIoStream* GetStream() const { return m_Stream; }
    std::size_t GetBufferSize() const { return m_Buffer.size(); }
    // Bytes moved between buffer and stream so far.
    std::uint64_t GetTotal() const { return m_Total; }
    // Bytes of values read or written so far (the stream offset of the next value).
    std::uint64_t GetOffset() const;

  private:
    void Init(std::uint16_t mode, std::size_t bufferSize);
    [[noreturn]] void Fail(std::int32_t code) const;
    void Room(std::size_t bytes);  // storing: space for a value
    void Fill(std::size_t bytes);  // loading: a whole value buffered
    void WriteOut();
    void Put16(std::uint16_t value);
    void Put32(std::uint32_t value);
    std::uint16_t Get16();
    std::uint32_t Get32();
    void Release(bool quietly);

    std::uint32_t m_StreamHandle = 0;
    std::unique_ptr<CIoStream> m_Owned;   // built on a name
    std::shared_ptr<CIoStream> m_Shared;  // built on a handle
    CIoStream* m_Stream = nullptr;        // either of them while open
    std::string m_Name;
    std::uint16_t m_Mode = 0;
    std::vector<std::uint8_t> m_Buffer;
    std::size_t m_Point = 0;  // read or write point
    std::size_t m_Limit = 0;  // storing: buffer end; loading: end of the data read
    std::uint64_t m_Total = 0;
};

}  // namespace StreamIO
