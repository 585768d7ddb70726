#pragma once
// One rebound reading as the hammer delivers it.
#include <cstdint>

#pragma pack(push, 1)
struct TMeas {
    std::uint8_t QHalf = 0;    // Q in half units: Q = QHalf / 2 (0 to 127.5)
    std::uint16_t Energy = 0;  // rebound energy in thousandths
    std::uint8_t Extra = 0;    // device byte, kept and saved, never interpreted

    float Q() const { return static_cast<float>(QHalf) / 2.0f; }
    bool operator==(const TMeas&) const = default;
};
#pragma pack(pop)

static_assert(sizeof(TMeas) == 4, "TMeas is a packed 4-byte record");
