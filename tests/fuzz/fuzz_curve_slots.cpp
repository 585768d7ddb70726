// The curve slot reply decoder over arbitrary replies and Transact results.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "device/CurveSlot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First byte: the format; second: the result Transact reported (the reply
    // length or a code), so that lengths that disagree with the buffer occur.
    const bool newFormat = (data[0] & 1) != 0;
    const int result = (data[0] & 2) ? data[1] : static_cast<int>(size - 2);
    const std::span<const std::uint8_t> reply(data + 2, size - 2);
    std::array<Device::SCurveSlot, 3> slots;
    if (!Device::DecodeCurveSlots(result, reply, newFormat, slots)) {
        for (const auto& slot : slots) {
            if (!(slot == Device::SCurveSlot::Prepared())) std::abort();
        }
    } else if (result >= 240) {
        std::abort();  // a device code is never a slot list
    }
    return 0;
}
