#pragma once
// Values shared by the whole measurement model: the no-value marker, the
// averaging modes, the units and the ranges of curve identifiers.
#include <cstdint>

// The program-wide "no value" marker: a conversion that is not possible or a
// statistic that is not available. It is never shown as a number.
inline constexpr float kNoValue = 65535.0f;

inline bool IsNoValue(float v) {
    return v == kNoValue;
}

enum EAveragingMode : std::uint8_t {
    kModeSingle = 0,
    kModeMedianEN = 1,
    kModeMean = 2,
    kModeMeanOutlier = 3,
    kModeMeanASTM = 4,
    kModeMedianOnly = 5,
    kModeMeanJIS = 6,
    kModeMeanJGJ = 7,
    kModeMeanRUS = 8,
};

enum EUnit : std::uint8_t {
    kUnitR = 0,
    kUnitQ = 1,
    kUnitNmm2 = 2,
    kUnitKgCm2 = 3,
    kUnitPSI = 4,
    kUnitMPa = 5,
};

// Custom curves live in the process-wide store under these identifiers.
inline constexpr int kFirstCustomCurveId = 50;
inline constexpr int kLastAssignableCurveId = 250;  // highest id a new curve normally gets
inline constexpr int kOverflowCurveId = 251;        // taken when 50..250 are all in use
inline constexpr int kLastPurgedCurveId = 249;      // purge and project writer walk 50..249

inline bool IsCustomCurveId(int id) {
    return id >= kFirstCustomCurveId && id <= kLastAssignableCurveId;
}
