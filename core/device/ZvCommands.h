#pragma once
// The protocol engine every device object owns: it frames requests on the
// device's open stream and reads the replies.
//
// Binary request: a length byte 0xC0 + n, the command byte, n payload bytes
// (n = 0 to 47); no check sum. The receive queue is purged before every request
// so that stale bytes never pass for a reply. The first reply byte L decides the
// reply's form:
//   0           acknowledged, no data
//   1 to 238    L data bytes follow
//   0xEF        extended: check kind k, 24-bit length n (least significant byte
//               first), n data bytes, then the check bytes of kind k
//               (1: CRC-8, 2: CRC-16, 4: CRC-32, least significant byte first;
//               other kinds have none)
//   0xF0..0xFF  a device error code; nothing follows
//
// Text command: the byte 0x10, a one-byte answer from the device (not examined),
// the command text and CR. The reply is one line: with echo on, the echoed
// command, a space and the answer, ending in CR LF; with echo off the answer
// alone, ending in CR. A device answers a command it rejects with a text that
// contains "?".
//
// Every operation is synchronous and takes its time-outs in milliseconds. Stream
// failures (file exceptions) and time-outs (short reads) become the operation's
// failure result: no exception leaves the engine. An engine is used by one thread
// at a time and takes no lock.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/TrafficLog.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

class CCallback;

// Wire constants.
inline constexpr std::uint8_t kFrameBase = 0xC0;             // length byte = kFrameBase + payload length
inline constexpr int kMaxPayload = 47;                       // payload bytes of a request frame
inline constexpr std::uint8_t kCmdApplication = 0xD1;        // first payload byte is a sub-command
inline constexpr std::uint8_t kCmdDeviceCode = 0xF1;         // 4-byte reply, least significant first
inline constexpr std::uint8_t kCmdControl = 0xF4;            // payload: sub-code, argument
inline constexpr std::uint8_t kCmdResync = 0xF6;             // resynchronisation frame
inline constexpr std::uint8_t kCmdUpdate = 0xF8;             // update transfer
inline constexpr std::uint8_t kReplyExtended = 0xEF;         // first byte of an extended reply
inline constexpr std::uint8_t kReplyFirstDeviceCode = 0xF0;  // 0xF0..0xFF: device error codes
inline constexpr std::uint8_t kTextStart = 0x10;             // starts a text command

// Sub-codes of the control request 0xF4.
inline constexpr std::uint8_t kCtlModeExists = 0x00;   // [0x00, m] -> 1 byte, 1 = yes
inline constexpr std::uint8_t kCtlModeActive = 0x01;   // [0x01, m] -> 1 byte, 1 = yes
inline constexpr std::uint8_t kCtlModeSwitch = 0x02;   // [0x02, m] -> no reply
inline constexpr std::uint8_t kCtlModeTime = 0x03;     // [0x03, m] -> 3 bytes, ms, least significant first
inline constexpr std::uint8_t kCtlLinkOn = 0x10;       // [0x10, seconds] -> 1 byte
inline constexpr std::uint8_t kCtlLinkOff = 0x11;      // [0x11, 0] -> 1 byte
inline constexpr std::uint8_t kCtlSlowRequest = 0x12;  // [0x12, 0xD0] -> 1 byte

// Results of Transact (besides reply lengths and device codes 0xF0..0xFF).
inline constexpr int kTransactCheckMismatch = 250;
inline constexpr int kTransactCommFailure = 252;
inline constexpr int kTransactBadArguments = 254;

// Results of ReceiveData.
inline constexpr int kReceiveOk = 0;
inline constexpr int kReceiveBadArguments = 1;
inline constexpr int kReceiveCommFailure = 6;  // also a device code, left in buffer[0]
inline constexpr int kReceiveOverflow = 12;
inline constexpr int kReceiveCheckMismatch = 13;

namespace ZvDetail {
class CLogScope;
}

class CZvCommands {
  public:
    // Consulted between the blocks of a transfer; true abandons the work.
    using AbortCheck = bool (*)(void* userData);

    // The stream is not owned; it must outlive the engine.
    explicit CZvCommands(StreamIO::CIoStream* stream);
    virtual ~CZvCommands();
    CZvCommands(const CZvCommands&) = delete;
    CZvCommands& operator=(const CZvCommands&) = delete;

    StreamIO::CIoStream* GetStream() const { return m_Stream; }

    void SetAbortCheck(AbortCheck check, void* userData);
    bool IsAbortRequested() const;

    // Every byte written and read goes to `log` (not owned; nullptr: off).
    void SetTrafficLog(ITrafficLog* log) { m_Log = log; }
    ITrafficLog* GetTrafficLog() const { return m_Log; }

    // ---- Binary requests -------------------------------------------------

    // Sends `command` with the first `payloadLength` bytes of `buffer` and reads
    // the reply into `buffer` (at most `capacity` bytes). Returns:
    //   0           acknowledged without data
    //   1..238      a short reply of that length; a reply longer than the
    //               capacity fills the buffer, the rest is read and dropped, and
    //               the announced length is returned (greater than capacity)
    //   n           an extended reply of n data bytes; one longer than the
    //               capacity (counting its check bytes) fills the buffer, the rest
    //               is dropped and the capacity is returned
    //   240..255    the device's error code, passed through; besides:
    //   250         check sum mismatch (the data stays in the buffer)
    //   252         communication failure (write, read, time-out, stream error,
    //               also a surplus that does not arrive in full)
    //   254         bad arguments: payload above 47 bytes or above the capacity,
    //               negative capacity or time-out, no buffer for a payload
    // The caller tells a length from a code by its range: lengths stay below 240
    // except for extended replies.
    int Transact(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity, int timeoutMs);

    // As Transact, for long replies: the time-out applies to each read and the
    // optional budget (ms, negative: none) bounds the whole reception when it is
    // at least twice the time-out. With the callback's progress flag set, every
    // read of an extended reply reports OnProgress(received * 100 / total, 1, 0).
    // `received` gets the data length. Returns:
    //   0   data received (or acknowledged without data)
    //   1   bad arguments (payload above 47 bytes or above the capacity, negative
    //       time-out or capacity, no buffer)
    //   6   communication failure, or a device code (left in buffer[0])
    //   12  the reply did not fit; the surplus was read and dropped, `received`
    //       holds the announced length
    //   13  check sum mismatch (the data stays in the buffer)
    int ReceiveData(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                    int capacity, int timeoutMs, int budgetMs, CCallback* callback);

    // A counted exchange: sends `command` with `payloadLength` (at most 30) bytes
    // of `buffer`; with `expected` 0 returns 0 right after writing. Otherwise
    // reads the count byte C (above 239: -1; differing from `expected` when that
    // is positive: -1) and then the C bytes one at a time into `buffer`, at most
    // `capacity` (a C above the capacity: -1). After the first byte the time-outs
    // drop to 50 ms so that a short reply ends promptly; they are restored
    // afterwards. Returns the number of bytes read, or -1 on any failure.
    int Control(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity, int expected,
                int timeoutMs);

    // Up to three rounds of the resynchronisation frame C8 F6 00 05 55 5A AA AF FF
    // F0; success when 0xF0 is among the first three bytes of a round's answer.
    // A frame that cannot be written in full fails at once.
    bool ResyncLink();

    // The long frame: 0xC1, the command, then the whole payload (any length), and
    // one status byte. Returns it when it is 0 or at least 0xF0, else 252 (also
    // for every failure). No reply data is read.
    int TransactLong(std::uint8_t command, std::span<const std::uint8_t> payload, int timeoutMs);

    // ---- Text commands ---------------------------------------------------

    // Sends a text command; its answer goes to GetReply(). True for an empty
    // command once the exchange worked, and for an answer without "?" (an empty
    // answer included); false on failure, for a rejected command and for an
    // answer longer than 1023 characters.
    bool SendText(std::string_view command, int timeoutMs);
    // The answer of the last SendText (8-bit text, at most 1023 characters).
    const std::string& GetReply() const { return m_Reply; }

    // Sends a text command and copies its answer into `destination` (`size`
    // bytes, zero-terminated, truncated). Returns the answer's full length; 0
    // without an exchange when `size` is 1 or less, for a line without an answer,
    // for a failing time-out setting and a stream error; -1 when the device's
    // answer byte or line does not come. An empty command stores "?" and returns 1.
    // The answer is not tested for "?".
    int QueryText(std::string_view command, char* destination, int size, int timeoutMs);
    // The same into a string (at most `maxLength` characters kept).
    int QueryText(std::string_view command, std::string& answer, int maxLength, int timeoutMs);

    // Reads one line into `buffer` (`size` bytes, zero-terminated): up to a line
    // feed, or with echo off up to a carriage return (either kept), or until
    // size - 1 bytes are stored. A byte that does not come ends the line
    // successfully only after a carriage return. Returns the bytes stored, 0 on
    // failure.
    int ReadLine(char* buffer, int size);

    // Without probe only sets the echo flag. With probe asks the device ("EC?")
    // whether it echoes and switches echo to `on` ("EC1"/"EC0") when it differs.
    bool SetEcho(bool on, bool probe);
    bool GetEcho() const { return m_Echo != 0; }

    // Sets both time-outs for a transfer of count * size bytes at the stream's
    // line speed (16000 bytes/s when it reports none) with 200 ms to spare and at
    // least 4000 ms. False when the stream refuses them.
    bool TransferTimeout(std::uint32_t count, std::uint32_t size);
    static std::int32_t ComputeTransferTimeout(std::uint64_t count, std::uint64_t size,
                                               std::uint32_t bytesPerSecond);

    // Switches the device to operating mode `mode & 0x0F`. Bit 0x10: the device
    // leaves and re-enters the port during the switch (the stream is closed and
    // reopened); bit 0x20 with mode 1: do not wait for the switch. `switched` is
    // set once the switch request went out. The wait is the device's announced
    // duration scaled by `timeFactor` percent (0 means 100); with the progress
    // flag set and a duration above 100 ms, OnProgress(0, 1, duration + 100).
    bool ChangeMode(std::uint8_t mode, bool& switched, CCallback* callback, int timeFactor);

    // ---- File commands (text commands on a device file system) -----------
    // Paths are converted to the 8-bit code page with every "\" doubled. Each
    // command switches the echo flag off first (no exchange).

    // "DIRS %04X": the listing after its "%08X;" length prefix, the final ";"
    // dropped. Up to 1000000 characters within 120000 ms; the time-outs are
    // restored afterwards.
    virtual bool ListDirectory(std::uint16_t selector, std::string& listing);
    // "LOAD": the device sends a 32-bit length (at most 0x5000000) and the data,
    // which go to `destination`. `length` (optional) gets the file's length.
    virtual bool LoadFile(std::u16string_view devicePath, StreamIO::CIoStream& destination,
                          std::uint32_t* length = nullptr);
    // "SAVE": sends `length` bytes from `source`; the device confirms with "y".
    virtual bool SaveFile(std::u16string_view devicePath, StreamIO::CIoStream& source, std::uint32_t length);
    // "MOVF"; each path at most 256 characters.
    virtual bool RenameFile(std::u16string_view oldPath, std::u16string_view newPath);
    // "DELF".
    virtual bool DeleteFile(std::u16string_view devicePath);
    // "RLGI" with user and password, and the value when given.
    virtual bool RemoteLogin(std::u16string_view user, std::u16string_view password,
                             std::optional<std::uint32_t> value);
    // "RLGO".
    virtual bool RemoteLogout();

    // ---- Update transfer ---------------------------------------------------

    // Sends `length` bytes from `source` to the device: announced by a 0xF8
    // request ([0x01, length (32 bits), check mode, 0] for one block, [0x03,
    // length (32 bits), block size (32 bits)] for blocks), each block followed by
    // its CRC-16 (check mode 1) or CRC-32 (check mode 2) and acknowledged by one
    // byte 0. `blockSize` 0 sends everything as one block. The abort check is
    // consulted between blocks; a failed transfer is retried after ResyncLink, at
    // most three attempts in all (the source must be random access for a retry).
    // Returns the bytes the device acknowledged.
    std::uint64_t SendBlocks(StreamIO::CIoStream& source, std::uint32_t length, std::uint32_t blockSize,
                             int checkMode, CCallback* callback);
    // The update preamble: C1 F8 00, the 128 bytes and their CRC-16 (check mode
    // bit 0) or CRC-32 (bit 1); up to three attempts, each after the first
    // preceded by ResyncLink. True when the device answers 0.
    bool SendPreamble(std::span<const std::uint8_t> block, int checkMode);

  protected:
    // The clock of the time budget and the waits; tests replace them.
    virtual std::chrono::steady_clock::time_point Now() const;
    virtual void Sleep(int milliseconds);

  private:
    friend class ZvDetail::CLogScope;

    // Stream access that feeds the traffic log. They may raise.
    std::size_t ReadBytes(std::uint8_t* buffer, std::size_t count);
    bool ReadOne(std::uint8_t& value);
    std::size_t WriteBytes(const std::uint8_t* buffer, std::size_t count);
    bool WriteOne(std::uint8_t value);
    bool WriteText(std::string_view text);
    void Purge();
    bool SetBothTimeouts(std::int32_t ms);
    // Reads and drops `count` bytes; false when they do not all come.
    bool DropBytes(std::uint64_t count);
    // Sleeps in slices, ending early when the abort check turns true.
    void Wait(std::int64_t milliseconds);

    // Received bytes are gathered and logged as one entry when the operation
    // ends or the direction changes.
    void LogReceived(const std::uint8_t* bytes, std::size_t count);
    void LogSent(const std::uint8_t* bytes, std::size_t count);
    void FlushLog();
    void LogTraffic(ETrafficDirection direction, std::int64_t unixMs, const std::uint8_t* bytes,
                    std::size_t count);
    static std::int64_t UnixMs();

    int TransactImpl(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity,
                     int timeoutMs);
    int ReceiveImpl(std::uint8_t command, std::uint8_t* buffer, int payloadLength, int& received,
                    int capacity, int timeoutMs, int budgetMs, CCallback* callback);
    int ControlImpl(std::uint8_t command, int payloadLength, std::uint8_t* buffer, int capacity, int expected,
                    int timeoutMs, bool& lowered);
    int ReadLineImpl(char* buffer, int size);
    // Sends 0x10, takes the one-byte answer, writes `command` and CR, reads the
    // line into `line` (at most lineSize - 1 bytes). 1 success, 0 a failing
    // time-out setting, -1 a failed write or an answer byte or line that did not
    // come.
    int TextExchange(std::string_view command, int timeoutMs, std::vector<char>& line, int lineSize);
    // One control request 0xF4 [subCode, argument] with 4000 ms; true when
    // exactly `expected` bytes came (copied to `reply`).
    bool ControlByte(std::uint8_t subCode, std::uint8_t argument, int expected, std::uint8_t* reply);
    bool SendBlock(StreamIO::CIoStream& source, std::uint32_t length, int checkMode);

    StreamIO::CIoStream* m_Stream;
    std::string m_Reply;
    AbortCheck m_AbortCheck = nullptr;
    void* m_AbortData = nullptr;
    std::uint8_t m_Echo = 1;
    std::vector<std::uint8_t> m_TransferBuffer;  // block transfers, allocated on demand
    ITrafficLog* m_Log = nullptr;
    std::vector<std::uint8_t> m_LogPending;
    std::int64_t m_LogPendingMs = 0;
};

}  // namespace Device
