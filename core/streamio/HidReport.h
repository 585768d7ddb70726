#pragma once
// The report framing of the HID probe streams (our own; the device firmware
// follows it).
//
// Control channel, feature reports of the device's feature length L
// (report number included), in both directions:
//
//   byte 0   report number, kHidControlReport
//   byte 1   status: bit 7 consumed, bit 6 data, bits 5-3 sequence,
//            bits 2-0 toggle
//   byte 2   length: bits 5-0 count the payload bytes (at most L - 3 and 63),
//            bits 7-6 are zero
//   byte 3.. payload, the rest of the report is padding
//
// Data channel, input reports of the device's input length L:
//
//   byte 0   report number, kHidDataReport
//   byte 1   status as above
//   byte 2.. payload, all L - 2 bytes
//
// The sequence counts the reports a side sends with data, modulo 8. The
// toggle is the sequence of the last data report the sender has taken from
// its peer, and the consumed flag says that the toggle means it. So:
//
// - The host writes by setting a feature report with the data flag, its next
//   sequence and its payload, and then polls the device's feature report
//   until it shows consumed with the toggle equal to that sequence.
// - The host reads by polling the device's feature report: a report with the
//   data flag and a sequence other than the last one taken is new. Its
//   payload may be handed out over several reads; once it is all taken the
//   host sets a report without data, with consumed and the toggle equal to
//   its sequence, and the device may offer the next one.
// - On the data channel every input report with the data flag is new; the
//   sequence must follow the previous one, and a gap means reports were lost.
//
// A report shorter than its header, or whose length byte claims more
// payload than the report carries, is refused before anything is read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace StreamIO {

inline constexpr std::uint8_t kHidControlReport = 1;
inline constexpr std::uint8_t kHidDataReport = 2;
inline constexpr std::uint8_t kHidConsumed = 0x80;
inline constexpr std::uint8_t kHidData = 0x40;
inline constexpr std::size_t kHidControlHeader = 3;
inline constexpr std::size_t kHidDataHeader = 2;
inline constexpr std::size_t kHidMaxControlPayload = 63;

struct SHidStatus {
    bool consumed = false;
    bool data = false;
    std::uint8_t sequence = 0;  // 0 to 7
    std::uint8_t toggle = 0;    // 0 to 7
};

std::uint8_t EncodeHidStatus(const SHidStatus& status);
SHidStatus DecodeHidStatus(std::uint8_t byte);
// The next sequence number after `sequence`, modulo 8.
inline std::uint8_t NextHidSequence(std::uint8_t sequence) {
    return static_cast<std::uint8_t>((sequence + 1) & 7);
}

// Payload bytes one control report of `reportLength` can carry.
std::size_t HidControlCapacity(std::size_t reportLength);

// A whole control report of `reportLength`; the payload must fit.
std::vector<std::uint8_t> EncodeHidControl(std::size_t reportLength, const SHidStatus& status,
                                           std::span<const std::uint8_t> payload);

struct SHidReport {
    SHidStatus status;
    std::span<const std::uint8_t> payload;  // inside the report given
};

// Reads a control report of `length` received bytes; nothing when it is
// too short, names another report or claims more payload than it carries.
std::optional<SHidReport> DecodeHidControl(std::span<const std::uint8_t> report);
std::optional<SHidReport> DecodeHidData(std::span<const std::uint8_t> report);

}  // namespace StreamIO
