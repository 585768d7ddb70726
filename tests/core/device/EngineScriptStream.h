#pragma once
// A scripted device for the protocol engine: records what the engine writes and
// makes reply bytes readable once the engine has written a given number of bytes
// (so a purge before the request cannot swallow them). Reads never wait: a read
// with nothing available returns what it has, as a serial read does after its
// time-out.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/Crc.h"
#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes Ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// An extended reply: 0xEF, kind, 24-bit length, data, the check bytes of `kind`
// (correct unless `corrupt`).
inline Bytes Extended(std::uint8_t kind, const Bytes& data, bool corrupt = false) {
    Bytes out;
    out.reserve(5 + data.size() + 4);
    for (std::uint8_t b : {std::uint8_t{0xEF}, kind, static_cast<std::uint8_t>(data.size()),
                           static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(data.size() >> 16)})
        out.push_back(b);
    out.insert(out.end(), data.begin(), data.end());
    std::uint8_t check[4] = {};
    Device::ComputeCheck(kind, data, check);
    if (corrupt) check[0] ^= 0x5A;
    out.insert(out.end(), check, check + Device::CheckLength(kind));
    return out;
}

inline Bytes Sequence(std::size_t count, std::uint8_t first = 1) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(first + i);
    return out;
}

class CScriptStream : public StreamIO::CIoStream {
  public:
    CScriptStream() { SetName("script"); }
    ~CScriptStream() override { Unregister(); }

    // Bytes that become readable once `written` bytes in all have been written.
    void ReplyAfter(std::size_t written, const Bytes& bytes) {
        m_Script.push_back({written, bytes});
        Release();
    }
    // Readable at once (a purge removes them).
    void Stale(const Bytes& bytes) { m_Input.insert(m_Input.end(), bytes.begin(), bytes.end()); }

    Bytes written;
    std::vector<std::pair<std::int32_t, std::int32_t>> timeouts;  // every SetTimeouts call
    int purges = 0;
    int closes = 0;
    int reopens = 0;
    std::size_t readChunk = 0;          // at most this many bytes per read (0: no limit)
    std::size_t writeLimit = SIZE_MAX;  // bytes accepted in all before writes come up short
    bool refuseTimeouts = false;
    bool throwOnRead = false;
    bool throwOnWrite = false;
    bool reopenFails = false;
    std::uint32_t byteRate = 3840;
    std::function<void()> onRead;  // called before every read (tests advance a clock)

    std::size_t Unread() const { return m_Input.size(); }

    void Close() override {
        ++closes;
        m_Open = false;
    }
    bool Reopen() override {
        ++reopens;
        if (reopenFails) return false;
        m_Open = true;
        return true;
    }
    bool IsOpen() const override { return m_Open; }
    bool Open(const std::string&, std::uint32_t) override {
        m_Open = true;
        return true;
    }
    void ClearInput() override {
        ++purges;
        m_Input.clear();
    }
    std::size_t GetInputCount() override { return m_Input.size(); }
    std::uint32_t GetByteRate() override { return byteRate; }
    bool SetTimeouts(std::int32_t readMs, std::int32_t writeMs) override {
        timeouts.emplace_back(readMs, writeMs);
        if (refuseTimeouts) return false;
        m_ReadMs = readMs;
        m_WriteMs = writeMs;
        return true;
    }
    bool GetTimeouts(std::int32_t& readMs, std::int32_t& writeMs) override {
        readMs = m_ReadMs;
        writeMs = m_WriteMs;
        return true;
    }
    std::size_t Read(void* buffer, std::size_t count) override {
        if (onRead) onRead();
        if (throwOnRead) Fail(StreamIO::kErrIoDevice);
        std::size_t n = std::min(count, m_Input.size());
        if (readChunk != 0) n = std::min(n, readChunk);
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = m_Input.front();
            m_Input.pop_front();
        }
        SetLastError(n == 0 ? StreamIO::kErrEndOfData : StreamIO::kErrNone);
        return n;
    }
    std::size_t Write(const void* buffer, std::size_t count) override {
        if (throwOnWrite) Fail(StreamIO::kErrIoDevice);
        const std::size_t room = writeLimit > written.size() ? writeLimit - written.size() : 0;
        const std::size_t n = std::min(count, room);
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        written.insert(written.end(), in, in + n);
        Release();
        SetLastError(n == 0 ? StreamIO::kErrTimeout : StreamIO::kErrNone);
        return n;
    }

  private:
    struct SStep {
        std::size_t after;
        Bytes bytes;
    };

    void Release() {
        while (!m_Script.empty() && written.size() >= m_Script.front().after) {
            m_Input.insert(m_Input.end(), m_Script.front().bytes.begin(), m_Script.front().bytes.end());
            m_Script.pop_front();
        }
    }

    std::deque<std::uint8_t> m_Input;
    std::deque<SStep> m_Script;
    bool m_Open = true;
    std::int32_t m_ReadMs = -1;
    std::int32_t m_WriteMs = -1;
};
