// Device replies, as arbitrary bytes, through every reply reader of the protocol
// engine. The first bytes choose the reader's arguments; the rest is what the
// device "sends". Readers must return a result code: no crash, no hang, no read
// or write outside their buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzReplyStream.h"
#include "device/Callback.h"
#include "device/ZvCommands.h"

namespace {

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

    FuzzSupport::CReplyStream stream(data, size);
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
