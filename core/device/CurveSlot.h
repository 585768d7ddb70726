#pragma once
// The hammer's custom conversion curve slots C1 to C3 and its custom statistics
// rule, as they travel on the wire.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace Device {

#pragma pack(push, 1)
// One curve slot. The first 30 bytes are the slot as the newer format sends it
// and equal bytes 1 to 30 of a TConvCust record; Empty is never sent.
struct SCurveSlot {
    std::uint8_t QMin = 0;
    std::uint8_t QMax = 0;
    std::uint8_t Kind = 0;  // 0 polynomial, 1 exponential
    float A = 0.0f;
    float B = 0.0f;
    float C = 0.0f;
    float D = 0.0f;
    std::array<char, 10> Name{};  // 8-bit characters, zero bytes are padding
    std::uint8_t Flags = 9;
    std::uint8_t Empty = 1;  // 1: the hammer holds no curve in this slot

    static constexpr std::size_t kNewWireSize = 30;
    static constexpr std::size_t kOldWireSize = 25;  // without Kind and A

    // The state a slot is prepared in before a read: all zero, flags 9, empty.
    static SCurveSlot Prepared() { return SCurveSlot{}; }

    bool operator==(const SCurveSlot&) const = default;
};

// The custom statistics rule, 5 bytes in wire order.
struct SCustomStatistics {
    std::uint8_t AveragingMode = 0;  // 2 Mean, 5 Median only
    std::uint8_t MinImpacts = 0;
    std::uint8_t MaxImpacts = 0;
    std::uint8_t UpperOutliers = 0;
    std::uint8_t LowerOutliers = 0;

    bool operator==(const SCustomStatistics&) const = default;
};
#pragma pack(pop)

static_assert(sizeof(SCurveSlot) == 31, "SCurveSlot is the 30 wire bytes and the empty marker");
static_assert(sizeof(SCustomStatistics) == 5, "SCustomStatistics is 5 wire bytes");

// Slot presence bits, shared by the read reply and the delete mask.
inline constexpr std::uint8_t kSlotC1 = 1;
inline constexpr std::uint8_t kSlotC2 = 2;
inline constexpr std::uint8_t kSlotC3 = 4;

// Decodes the reply to the slot read. `result` is what Transact returned (a
// reply length, or a code of 240 and above) and `reply` the buffer it filled.
// Each slot is prepared as empty first; true when the reply was a valid slot
// list. Device codes, a communication failure, the refusal forms and a reply
// whose present slots do not fit in it all fail.
bool DecodeCurveSlots(int result, std::span<const std::uint8_t> reply, bool newFormat,
                      std::array<SCurveSlot, 3>& slots);

// The bytes of one slot in the wire form of the given format (30 or 25 bytes).
std::vector<std::uint8_t> EncodeCurveSlot(const SCurveSlot& slot, bool newFormat);

}  // namespace Device
