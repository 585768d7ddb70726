#pragma once
// A custom conversion curve as the hammer's slots, the curve files and the
// project files carry it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/CurveRecord.h"

#pragma pack(push, 1)
struct TConvCust {
    std::uint8_t Tag = 3;  // 3 when set up by the program or read from the hammer, 0 from curve files
    std::uint8_t QMin = 0;
    std::uint8_t QMax = 0;
    std::uint8_t Kind = 0;
    float A = 0.0f;
    float B = 0.0f;
    float C = 0.0f;
    float D = 0.0f;
    std::array<char, 10> CurveName{};  // zero-padded, Windows-1252
    std::uint8_t Flags = 9;            // bit 0 usable on type N, bit 1 on type L, bits 3-6 entry unit
    std::int32_t OnDevice = 0;         // non-zero: read from the connected hammer, never purged
    std::uint8_t Id = 0;               // identifier, filled when the curve is stored

    static constexpr std::uint8_t kFlagTypeN = 0x01;
    static constexpr std::uint8_t kFlagTypeL = 0x02;

    TCurveRecord Curve() const;
    void SetCurve(const TCurveRecord& curve);

    // The non-zero characters of the name.
    std::string Name8() const;
    std::u16string Name() const;
    // Keeps at most 10 characters; the rest of the field is zeroed.
    void SetName8(std::string_view name);
    void SetName(std::u16string_view name);

    bool UsableOnTypeN() const { return (Flags & kFlagTypeN) != 0; }
    bool UsableOnTypeL() const { return (Flags & kFlagTypeL) != 0; }

    // Same curve for the store and the library: name, kind, coefficients, Q
    // range and the two type bits. Tag, OnDevice and Id do not count.
    bool IsEqualCurve(const TConvCust& other) const;
};
#pragma pack(pop)

static_assert(sizeof(TConvCust) == 36, "TConvCust is a packed 36-byte record");
