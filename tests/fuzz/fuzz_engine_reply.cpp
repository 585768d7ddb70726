// Device replies, as arbitrary bytes, through every reply reader of the protocol
// engine. The first bytes choose the reader's arguments; the rest is what the
// device "sends". Readers must return a result code: no crash, no hang, no read
// or write outside their buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "device/Callback.h"
#include "device/ZvCommands.h"
#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"

namespace {

// Serves the reply bytes once the request is written; reads never wait.
class CReplyStream : public StreamIO::CIoStream {
  public:
    CReplyStream(const std::uint8_t* data, std::size_t size) : m_Reply(data, data + size) {}
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

class CProgress : public Device::CCallback {
  public:
    CProgress() { SetProgressEnabled(true); }
    void OnProgress(int percent, int, int) override {
        if (percent < 0 || percent > 100) __builtin_trap();
    }
};

// An engine that never sleeps, so that device-given durations cost nothing.
class CFastEngine : public Device::CZvCommands {
  public:
    using CZvCommands::CZvCommands;

  protected:
    void Sleep(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t selector = data[0];
    const int capacity = 1 + data[1] * 4;  // 1 to 1021
    const std::uint8_t payloadLength = data[2] % 48;
    data += 3;
    size -= 3;

    CReplyStream stream(data, size);
    CFastEngine engine(&stream);
    CProgress progress;
    // Sized exactly, so that a sanitizer sees any step past the capacity.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::max<int>(capacity, payloadLength)));

    switch (selector % 9) {
        case 0:
            engine.Transact(0xD1, std::min<int>(payloadLength, capacity), buffer.data(), capacity, 10);
            break;
        case 1: {
            int received = 0;
            const int result =
                engine.ReceiveData(0xD1, buffer.data(), std::min<int>(payloadLength, capacity), received,
                                   capacity, 10, (selector & 0x10) ? 25 : -1, &progress);
            if (result == Device::kReceiveOk && received > capacity) __builtin_trap();
            break;
        }
        case 2:
            engine.Control(0xF4, std::min<int>(payloadLength % 31, capacity), buffer.data(), capacity,
                           (selector & 0x10) ? -1 : payloadLength % 5, 10);
            break;
        case 3:
            engine.SetEcho((selector & 0x10) != 0, false);
            engine.SendText("@ID@", 10);
            if (engine.GetReply().size() > 1023) __builtin_trap();
            break;
        case 4: {
            engine.SetEcho((selector & 0x10) != 0, false);
            std::vector<char> answer(static_cast<std::size_t>(capacity));
            engine.QueryText("ID", answer.data(), capacity, 10);
            break;
        }
        case 5: {
            engine.SetEcho((selector & 0x10) != 0, false);
            std::vector<char> line(static_cast<std::size_t>(capacity));
            engine.ReadLine(line.data(), capacity);
            break;
        }
        case 6:
            engine.SetEcho((selector & 0x10) != 0, true);
            break;
        case 7: {
            std::string listing;
            engine.ListDirectory(0, listing);
            break;
        }
        case 8: {
            bool switched = false;
            engine.ChangeMode(selector, switched, &progress, 100);
            engine.ResyncLink();
            break;
        }
    }
    return 0;
}
