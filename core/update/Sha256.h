#pragma once
// SHA-256 (FIPS 180-4), fed in pieces, for checking a downloaded installer
// against the digest published beside it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Update {

class CSha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    CSha256();
    void Add(std::span<const std::uint8_t> bytes);
    void Add(std::string_view bytes);
    // The digest of everything added; the object starts afresh afterwards.
    Digest Finish();

    static Digest Of(std::string_view bytes);
    // 64 lower-case hexadecimal digits.
    static std::string ToHex(const Digest& digest);
    // The digest at the start of a checksum file: 64 hexadecimal digits (either
    // case), then the end or white space (and usually the file's name, which is
    // not looked at). Nothing for anything else.
    static std::optional<Digest> ParseDigestFile(std::string_view text);

  private:
    void Reset();
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state{};
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;  // bytes added
};

}  // namespace Update
