#pragma once
// The three check sums of the wire protocol, table-driven, least significant bit
// first. Each returns 0 for empty data.
//   Crc8:  reflected polynomial 0x8C, initial 0, no final inversion (Dallas/Maxim)
//   Crc16: reflected polynomial 0xA001, initial 0, no final inversion (ARC)
//   Crc32: reflected polynomial 0xEDB88320, initial and final inversion (IEEE 802.3)
#include <cstddef>
#include <cstdint>
#include <span>

namespace Device {

// `previous` continues a check over data that arrives in pieces: pass the
// result for the bytes before `data` (0 for the first piece).
std::uint8_t Crc8(std::span<const std::uint8_t> data, std::uint8_t previous = 0);
std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t previous = 0);
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t previous = 0);

// Check kinds of an extended reply and of the update data: the number of check
// bytes. Any other kind value means "no check".
inline constexpr std::uint8_t kCheckNone = 0;
inline constexpr std::uint8_t kCheckCrc8 = 1;
inline constexpr std::uint8_t kCheckCrc16 = 2;
inline constexpr std::uint8_t kCheckCrc32 = 4;

// The number of check bytes that follow data checked with `kind` (0 for an
// unknown kind).
std::size_t CheckLength(std::uint8_t kind);
// The check of `data` for `kind`, least significant byte first, into `out`
// (CheckLength(kind) bytes). Nothing is written for an unknown kind.
void ComputeCheck(std::uint8_t kind, std::span<const std::uint8_t> data, std::uint8_t* out);
// Whether `check` (CheckLength(kind) bytes) is the check of `data`. Always true
// for an unknown kind.
bool VerifyCheck(std::uint8_t kind, std::span<const std::uint8_t> data, const std::uint8_t* check);

}  // namespace Device
