#pragma once
// What the two halves of the protocol engine (ZvCommands.cpp: the line, binary
// and text requests; ZvFileCommands.cpp: files and update transfers) share.
// Private to the engine.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/ZvCommands.h"
#include "text/Encoding.h"

namespace Device::ZvDetail {

inline constexpr int kShortCommandTimeoutMs = 4000;

inline std::uint32_t Le24(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16);
}

inline std::uint32_t Le32(const std::uint8_t* b) {
    return Le24(b) | (std::uint32_t{b[3]} << 24);
}

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A device path as a text command argument: 8-bit code page, "\" doubled.
inline std::string PathArgument(std::u16string_view path) {
    const std::string narrow = Text::ToCp1252(path);
    std::string out;
    out.reserve(narrow.size());
    for (char c : narrow) {
        out += c;
        if (c == '\\') out += '\\';
    }
    return out;
}

// Flushes the received bytes gathered for the traffic log when an operation
// ends, so that a reply read byte by byte still shows as one entry.
class CLogScope {
  public:
    explicit CLogScope(CZvCommands& engine) : m_Engine(engine) {}
    ~CLogScope() { m_Engine.FlushLog(); }
    CLogScope(const CLogScope&) = delete;
    CLogScope& operator=(const CLogScope&) = delete;

  private:
    CZvCommands& m_Engine;
};

}  // namespace Device::ZvDetail
