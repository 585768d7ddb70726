#pragma once
// One block descriptor of an update package body (16 bytes, least significant
// byte first): which bytes of the body go to the device and in which operating
// modes the device takes them.
#include <cstdint>
#include <optional>
#include <span>

namespace Device {

struct SUpdateBlock {
    static constexpr std::size_t kSize = 16;
    // Exit mode bit: the device must be told to program the block (WriteUpdate).
    static constexpr std::uint8_t kExitWrite = 0x40;

    std::uint32_t Length = 0;    // data bytes of the block in the package body
    std::uint32_t Address = 0;   // target address in the device; not interpreted here
    std::uint8_t EntryMode = 0;  // ChangeMode byte before the transfer
    std::uint8_t ExitMode = 0;   // ChangeMode byte after it
    std::uint16_t Flags = 0;     // not interpreted here
    std::uint32_t Check = 0;     // not interpreted here

    // Reads a descriptor; nothing when fewer than 16 bytes are given.
    static std::optional<SUpdateBlock> Parse(std::span<const std::uint8_t> bytes);
};

}  // namespace Device
