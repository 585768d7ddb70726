#include "device/UpdateBlock.h"

namespace Device {

namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
           (std::uint32_t{b[at + 3]} << 24);
}

}  // namespace

std::optional<SUpdateBlock> SUpdateBlock::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSize) return std::nullopt;
    SUpdateBlock block;
    block.Length = Le32(bytes, 0);
    block.Address = Le32(bytes, 4);
    block.EntryMode = bytes[8];
    block.ExitMode = bytes[9];
    block.Flags = static_cast<std::uint16_t>(bytes[10] | (bytes[11] << 8));
    block.Check = Le32(bytes, 12);
    return block;
}

}  // namespace Device
