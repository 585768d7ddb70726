#pragma once
// The form in which every conversion curve is evaluated: a Q range and a
// polynomial or exponential function of Q giving fck in N/mm².
#include <cstdint>

#pragma pack(push, 1)
struct TCurveRecord {
    std::uint8_t QMin = 0;
    std::uint8_t QMax = 0;
    std::uint8_t Kind = 0;  // 0 polynomial, 1 exponential, anything else: fck = Q
    float A = 0.0f;
    float B = 0.0f;
    float C = 0.0f;
    float D = 0.0f;

    // fck at q, without the range check.
    double Evaluate(double q) const;
    bool InRange(double q) const { return q >= QMin && q <= QMax; }
};
#pragma pack(pop)

static_assert(sizeof(TCurveRecord) == 19, "TCurveRecord is a packed 19-byte record");

inline constexpr std::uint8_t kCurvePolynomial = 0;
inline constexpr std::uint8_t kCurveExponential = 1;
