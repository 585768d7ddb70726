#pragma once
// The hammer's side of the byte layouts: series records in both layouts, curve
// slots, extended replies and their check values. Written from the device's
// point of view and independently of the program's readers, so that the two
// check each other.
#include <cstdint>
#include <span>
#include <vector>

#include "SimState.h"

namespace Sim {

inline constexpr std::size_t kRecordHeaderSize = 18;
inline constexpr std::size_t kSlotNewSize = 30;
inline constexpr std::size_t kSlotOldSize = 25;

std::vector<std::uint8_t> EncodeRecordOld(const SSimSeries& s);
std::vector<std::uint8_t> EncodeRecordNew(const SSimSeries& s);

std::vector<std::uint8_t> EncodeSlotNew(const SSimCurveSlot& slot);
std::vector<std::uint8_t> EncodeSlotOld(const SSimCurveSlot& slot);
// `bytes` must hold kSlotNewSize or kSlotOldSize bytes.
SSimCurveSlot DecodeSlotNew(std::span<const std::uint8_t> bytes);
SSimCurveSlot DecodeSlotOld(std::span<const std::uint8_t> bytes);

// 0xEF, the check kind, the length (24 bits), the data and the check bytes.
// `corrupt` flips the check value.
std::vector<std::uint8_t> EncodeExtendedReply(std::span<const std::uint8_t> data, std::uint8_t checkKind,
                                              bool corrupt);

// Bit-by-bit check values (the program uses tables; both must agree).
std::uint8_t SimCrc8(std::span<const std::uint8_t> data);
std::uint16_t SimCrc16(std::span<const std::uint8_t> data);
std::uint32_t SimCrc32(std::span<const std::uint8_t> data);

}  // namespace Sim
