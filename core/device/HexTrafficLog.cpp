#include "device/HexTrafficLog.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace Device {

namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr char kHex[] = "0123456789ABCDEF";

std::string TimeStamp(std::int64_t unixMs) {
    std::int64_t seconds = unixMs / 1000;
    std::int64_t millis = unixMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) local = std::tm{};
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

}  // namespace

std::string CHexTrafficLog::FormatLines(ETrafficDirection direction, std::int64_t unixMs,
                                        std::span<const std::uint8_t> bytes) {
    const std::string stamp = TimeStamp(unixMs);
    const char arrow = direction == ETrafficDirection::Sent ? '>' : '<';
    std::string out;
    for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const std::size_t count = std::min(kBytesPerLine, bytes.size() - start);
        out += stamp;
        out += ' ';
        out += arrow;
        std::string ascii;
        for (std::size_t i = 0; i < kBytesPerLine; ++i) {
            if (i < count) {
                const std::uint8_t b = bytes[start + i];
                out += ' ';
                out += kHex[b >> 4];
                out += kHex[b & 0x0F];
                ascii += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
            } else {
                out += "   ";
            }
        }
        out += "  ";
        out += ascii;
        out += '\n';
    }
    return out;
}

void CHexTrafficLog::OnTraffic(ETrafficDirection direction, std::int64_t unixMs,
                               std::span<const std::uint8_t> bytes) {
    const std::string lines = FormatLines(direction, unixMs, bytes);
    std::lock_guard lock(m_Lock);
    *m_Out << lines;
    m_Out->flush();
}

}  // namespace Device
