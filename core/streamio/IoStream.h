#pragma once
// The one byte-stream interface of the program: files, in-memory files and the
// device transports all derive from CIoStream.
//
// Failures store a code (StreamErrors.h) in LastError and raise CFileException.
// Two outcomes are reported through LastError alone: a Read that returns 0 bytes
// for a non-zero request (38, end of data / time-out) and a Write that writes 0
// bytes for a non-zero request (1460). Every operation that reaches the object
// starts by clearing LastError, so the code always belongs to the last operation.
//
// A stream is not locked: one thread uses it at a time.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace StreamIO {

// Open flags, shared by every stream kind.
inline constexpr std::uint32_t kOpenRead = 0x0001;
inline constexpr std::uint32_t kOpenWrite = 0x0002;
inline constexpr std::uint32_t kCreationMask = 0x0030;
inline constexpr std::uint32_t kOpenExisting = 0x0000;  // fail if missing
inline constexpr std::uint32_t kOpenAlways = 0x0010;    // open, or create if missing
inline constexpr std::uint32_t kCreateNew = 0x0020;     // create, fail if it exists
inline constexpr std::uint32_t kCreateAlways = 0x0030;  // create, or truncate if it exists
inline constexpr std::uint32_t kShareRead = 0x0100;
inline constexpr std::uint32_t kShareWrite = 0x0200;
inline constexpr std::uint32_t kPipe = 0x1000;  // in-memory files only

// Seek origins.
inline constexpr int kSeekCurrent = 1;
inline constexpr int kSeekBegin = 2;
inline constexpr int kSeekEnd = 3;

class CStreamRegistry;

class CIoStream {
  public:
    // Registers the stream in the process-wide registry (handle 0 when it is full).
    CIoStream();
    // Unregisters the stream if its registry entry still points at it.
    virtual ~CIoStream();
    CIoStream(const CIoStream&) = delete;
    CIoStream& operator=(const CIoStream&) = delete;

    // Operations in the order of the stream interface; transports override them.
    virtual bool Reopen();        // Open(Name, OpenFlags) again; false without a name
    virtual void CloseQuietly();  // Close, swallowing any exception
    virtual void Close() = 0;
    virtual void ClearInput() {}
    virtual std::size_t GetInputCount() { return 0; }
    virtual void Flush() {}
    virtual std::uint32_t GetByteRate() { return 0; }
    // Time-outs in ms, -1 = none. false = not supported by this stream.
    virtual bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs);
    virtual bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs);
    virtual bool CancelIo() { return false; }
    // Ends a wait in progress on another thread and every later one, for a
    // caller that no longer needs the stream. Safe from any thread while the
    // object exists. Streams that never wait ignore it.
    virtual void Interrupt() {}
    virtual bool IsOpen() const = 0;
    virtual bool HasError() const { return GetLastError() != 0; }
    virtual bool IsTimeout() const;
    virtual std::int32_t GetLastError() const { return m_LastError; }
    // One byte; when nothing was read LastError is 38 and the value means nothing.
    virtual std::uint8_t ReadByte();
    virtual void WriteByte(std::uint8_t value);
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual bool IsRandomAccess() const { return false; }
    virtual std::uint64_t GetLength() { return 0; }
    virtual std::uint64_t GetPosition() { return 0; }
    // origin: kSeekCurrent, kSeekBegin or kSeekEnd. Returns the new position.
    virtual std::uint64_t Seek(std::int64_t offset, int origin);
    virtual std::uint64_t SetPosition(std::uint64_t position);
    virtual void Truncate() {}
    // Every concrete stream opens by name. Returns true once the attempt was made
    // (a failure raises); false without raising when the stream is already open (50).
    virtual bool Open(const std::string& name, std::uint32_t flags) = 0;

    const std::string& GetName() const { return m_Name; }
    std::uint32_t GetOpenFlags() const { return m_OpenFlags; }
    // Registry handle, 0 when not registered.
    std::uint32_t GetHandle() const { return m_Handle.load(); }
    // Set once the registry owns the stream (AdoptStream): closing it through its
    // handle then also deletes it.
    bool IsAutoDelete() const { return m_AutoDelete.load(); }

  protected:
    void SetLastError(std::int32_t code) { m_LastError = code; }
    void SetName(std::string name) { m_Name = std::move(name); }
    void SetOpenFlags(std::uint32_t flags) { m_OpenFlags = flags; }
    // Stores the code and raises it with the stream's name.
    [[noreturn]] void Fail(std::int32_t code);
    // Same for a failed system call: maps errno and keeps it for the message.
    [[noreturn]] void FailErrno(int err);
    // Takes the stream out of the registry. The base destructor does it too, but by
    // then the derived parts are gone; a concrete destructor calls this first so that
    // FindStream never hands out a stream whose destruction has begun.
    void Unregister();

  private:
    friend class CStreamRegistry;

    std::string m_Name;
    std::uint32_t m_OpenFlags = 0;
    std::int32_t m_LastError = 0;
    // Written by the registry under its lock; read by anyone.
    std::atomic<std::uint32_t> m_Handle{0};
    std::atomic<bool> m_AutoDelete{false};
};

}  // namespace StreamIO
