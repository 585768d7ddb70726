#include "device/CurveSlot.h"

#include <cstring>

namespace Device {

namespace {

float GetFloat(const std::uint8_t* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                               static_cast<std::uint32_t>(p[2]) << 16 |
                               static_cast<std::uint32_t>(p[3]) << 24;
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void PutFloat(std::vector<std::uint8_t>& out, float f) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void ReadSlot(const std::uint8_t* p, bool newFormat, SCurveSlot& slot) {
    slot.QMin = p[0];
    slot.QMax = p[1];
    if (newFormat) {
        slot.Kind = p[2];
        slot.A = GetFloat(p + 3);
        p += 7;
    } else {
        // The older format knows only quadratic polynomials: Kind and A keep
        // their prepared 0.
        p += 2;
    }
    slot.B = GetFloat(p);
    slot.C = GetFloat(p + 4);
    slot.D = GetFloat(p + 8);
    std::memcpy(slot.Name.data(), p + 12, slot.Name.size());
    slot.Flags = p[22];
    slot.Empty = 0;
}

}  // namespace

bool DecodeCurveSlots(int result, std::span<const std::uint8_t> reply, bool newFormat,
                      std::array<SCurveSlot, 3>& slots) {
    slots.fill(SCurveSlot::Prepared());
    // 240 and above are device codes and the engine's failures, never lengths
    // of this reply; a length above what the buffer holds was cut short.
    if (result <= 0 || result >= 240 || static_cast<std::size_t>(result) > reply.size()) return false;
    const auto r = static_cast<std::size_t>(result);
    const std::size_t flagsAt = newFormat ? 1 : 0;
    if (r < flagsAt + 1) return false;
    // A bare "1" where the flags would be is the hammer's refusal.
    if (r == flagsAt + 1 && reply[flagsAt] == 1) return false;
    const std::uint8_t flags = reply[flagsAt];
    const std::size_t size = newFormat ? SCurveSlot::kNewWireSize : SCurveSlot::kOldWireSize;
    std::size_t pos = flagsAt + 1;
    std::array<SCurveSlot, 3> read = slots;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if ((flags & (1u << i)) == 0) continue;
        if (r - pos < size) {
            return false;
        }
        ReadSlot(reply.data() + pos, newFormat, read[i]);
        pos += size;
    }
    slots = read;
    return true;
}

std::vector<std::uint8_t> EncodeCurveSlot(const SCurveSlot& slot, bool newFormat) {
    std::vector<std::uint8_t> out{slot.QMin, slot.QMax};
    out.reserve(SCurveSlot::kNewWireSize);
    if (newFormat) {
        out.push_back(slot.Kind);
        PutFloat(out, slot.A);
    }
    PutFloat(out, slot.B);
    PutFloat(out, slot.C);
    PutFloat(out, slot.D);
    for (const char c : slot.Name) out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(slot.Flags);
    return out;
}

}  // namespace Device
