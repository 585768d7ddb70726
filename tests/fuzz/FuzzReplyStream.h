#pragma once
// A stream that plays a device for the fuzz targets of device replies: it
// takes every request and serves the given bytes as the replies, in order;
// reads never wait.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"

namespace FuzzSupport {

// Serves the reply bytes once the request is written; reads never wait.
class CReplyStream : public StreamIO::CIoStream {
  public:
    CReplyStream(const std::uint8_t* data, std::size_t size) : m_Reply(data, data + size) {}
    // More reply bytes after those given so far.
    void Append(const std::uint8_t* data, std::size_t size) {
        m_Reply.insert(m_Reply.end(), data, data + size);
    }
    ~CReplyStream() override { Unregister(); }

    void Close() override { m_Open = false; }
    bool Reopen() override { return m_Open = true; }
    bool IsOpen() const override { return m_Open; }
    bool Open(const std::string&, std::uint32_t) override { return m_Open = true; }
    void ClearInput() override {}
    bool SetTimeouts(std::int32_t, std::int32_t) override { return true; }
    bool GetTimeouts(std::int32_t& r, std::int32_t& w) override {
        r = 1;
        w = 1;
        return true;
    }
    std::uint32_t GetByteRate() override { return 3840; }
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, m_Reply.size());
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = m_Reply.front();
            m_Reply.pop_front();
        }
        SetLastError(n == 0 ? StreamIO::kErrEndOfData : StreamIO::kErrNone);
        return n;
    }
    std::size_t Write(const void*, std::size_t count) override { return count; }

  private:
    std::deque<std::uint8_t> m_Reply;
    bool m_Open = true;
};

}  // namespace FuzzSupport
