#pragma once
// A four-part version number (major, minor, build, revision; 16 bits each)
// packed into one unsigned 64-bit value, most significant part first, so that
// versions compare as plain unsigned numbers. 0 means "no version".
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

class CVersion {
  public:
    constexpr CVersion() = default;
    constexpr explicit CVersion(std::uint64_t value) : m_value(value) {}
    constexpr CVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build, std::uint16_t revision)
        : m_value((std::uint64_t{major} << 48) | (std::uint64_t{minor} << 32) | (std::uint64_t{build} << 16) |
                  std::uint64_t{revision}) {}

    constexpr std::uint64_t Value() const { return m_value; }
    constexpr bool IsNone() const { return m_value == 0; }
    constexpr std::uint16_t Major() const { return static_cast<std::uint16_t>(m_value >> 48); }
    constexpr std::uint16_t Minor() const { return static_cast<std::uint16_t>(m_value >> 32); }
    constexpr std::uint16_t Build() const { return static_cast<std::uint16_t>(m_value >> 16); }
    constexpr std::uint16_t Revision() const { return static_cast<std::uint16_t>(m_value); }

    // "major.minor.build.revision"
    std::u16string ToString4() const;
    // "major.minor.build"
    std::u16string ToString3() const;
    // "upper32.lower32"
    std::u16string ToString2() const;
    // the whole value as one decimal number
    std::u16string ToString1() const;

    // Reads one to four point-separated decimal parts after removing blanks and
    // turning commas into points. One part is the whole value (only when the
    // cleaned text is shorter than 20 characters); two parts are the 32-bit
    // halves; three or four parts are major, minor, build and revision. Anything
    // out of range, negative or without a part gives 0.
    static CVersion Parse(std::u16string_view text);
    static CVersion Parse(std::string_view text);

    friend constexpr auto operator<=>(CVersion, CVersion) = default;

  private:
    std::uint64_t m_value = 0;
};
