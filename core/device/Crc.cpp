#include "device/Crc.h"

#include <array>

namespace Device {

namespace {

// Reflected tables: entry i is the remainder of byte i shifted out LSB first.
template <class T>
constexpr std::array<T, 256> MakeTable(T polynomial) {
    std::array<T, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        T value = static_cast<T>(i);
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1) != 0 ? static_cast<T>((value >> 1) ^ polynomial) : static_cast<T>(value >> 1);
        }
        table[i] = value;
    }
    return table;
}

constexpr auto kTable8 = MakeTable<std::uint8_t>(0x8C);
constexpr auto kTable16 = MakeTable<std::uint16_t>(0xA001);
constexpr auto kTable32 = MakeTable<std::uint32_t>(0xEDB88320u);

}  // namespace

std::uint8_t Crc8(std::span<const std::uint8_t> data, std::uint8_t previous) {
    std::uint8_t crc = previous;
    for (std::uint8_t byte : data) crc = kTable8[crc ^ byte];
    return crc;
}

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t previous) {
    std::uint16_t crc = previous;
    for (std::uint8_t byte : data)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable16[(crc ^ byte) & 0xFF]);
    return crc;
}

std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t previous) {
    if (data.empty()) return previous;
    // The register holds the inverted value between pieces; 0 (no data yet) thus
    // starts from the standard initial value.
    std::uint32_t crc = ~previous;
    for (std::uint8_t byte : data) crc = (crc >> 8) ^ kTable32[(crc ^ byte) & 0xFF];
    return ~crc;
}

std::size_t CheckLength(std::uint8_t kind) {
    switch (kind) {
        case kCheckCrc8:
            return 1;
        case kCheckCrc16:
            return 2;
        case kCheckCrc32:
            return 4;
        default:
            return 0;
    }
}

void ComputeCheck(std::uint8_t kind, std::span<const std::uint8_t> data, std::uint8_t* out) {
    std::uint32_t value = 0;
    switch (kind) {
        case kCheckCrc8:
            value = Crc8(data);
            break;
        case kCheckCrc16:
            value = Crc16(data);
            break;
        case kCheckCrc32:
            value = Crc32(data);
            break;
        default:
            return;
    }
    for (std::size_t i = 0; i < CheckLength(kind); ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool VerifyCheck(std::uint8_t kind, std::span<const std::uint8_t> data, const std::uint8_t* check) {
    std::uint8_t expected[4] = {};
    const std::size_t length = CheckLength(kind);
    if (length == 0) return true;
    ComputeCheck(kind, data, expected);
    for (std::size_t i = 0; i < length; ++i) {
        if (expected[i] != check[i]) return false;
    }
    return true;
}

}  // namespace Device
