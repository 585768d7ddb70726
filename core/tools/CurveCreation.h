#pragma once
// A new custom conversion curve: the curve function as it is being entered,
// the checks a curve must pass before it is created, and the record it becomes.
// The create-curve dialog and `brelvantor-cli curves create` both use these, so
// a curve refused by one is refused by the other with the same message.
//
// Coefficients are entered in a display unit (N/mm², kg/cm², PSI or MPa) and
// stored in N/mm²; the record remembers the unit of entry in its flags so the
// curve can be shown again as it was typed.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ConvCust.h"
#include "model/CurveRecord.h"
#include "model/ModelTypes.h"

namespace Tools {

// Flag bits of the unit of entry (the hammer type bits are TConvCust's).
inline constexpr std::uint8_t kFlagEnteredNmm2 = 0x08;
inline constexpr std::uint8_t kFlagEnteredKgCm2 = 0x10;
inline constexpr std::uint8_t kFlagEnteredPSI = 0x20;
inline constexpr std::uint8_t kFlagEnteredMPa = 0x40;

inline constexpr std::size_t kMaxCurveNameLength = 10;
inline constexpr int kMinQSpan = 10;
inline constexpr int kLowestQ = 0;
inline constexpr int kHighestQ = 100;
inline constexpr double kHighestStrength = 300.0;  // N/mm² at the top of the range

// Message ids of the checks.
inline constexpr unsigned kIdCurveNameInvalid = 59524;
inline constexpr unsigned kIdCurveRangeTooSmall = 59525;
inline constexpr unsigned kIdCurveNegative = 59526;
inline constexpr unsigned kIdCurveNotIncreasing = 59527;
inline constexpr unsigned kIdCurveCreated = 59528;
inline constexpr unsigned kIdCurveNameTooLong = 59531;
inline constexpr unsigned kIdCurveNameLetters = 59539;
inline constexpr unsigned kIdCurveNameTypedTooLong = 59540;
inline constexpr unsigned kIdCurveOutOfRange = 59554;
inline constexpr unsigned kIdCurveQRangeLimits = 62602;

// What the user entered for a new curve.
struct TNewCurveInput {
    std::u16string name;
    std::uint8_t kind = kCurvePolynomial;  // or kCurveExponential
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
    double qMin = 10.0;
    double qMax = 90.0;
    bool typeN = true;              // made for the type N hammer, else type L
    std::uint8_t unit = kUnitNmm2;  // unit of entry: kUnitNmm2, kUnitKgCm2, kUnitPSI or kUnitMPa
};

struct TNewCurveCheck {
    unsigned messageId = 0;  // the first failing check's message; 0 when every check passed
    TConvCust curve;         // the record to store; only meaningful when messageId is 0
    bool Passed() const { return messageId == 0; }
};

// Whether `unit` is one of the four units a curve can be entered in.
bool IsCurveEntryUnit(std::uint8_t unit);
// The factor that brings coefficients entered in `unit` to N/mm².
double CurveUnitFactor(std::uint8_t unit);
// The factor that converts coefficients from one unit of entry to another.
double CurveUnitChangeFactor(std::uint8_t from, std::uint8_t to);

// The curve function for the entered coefficients, scaled by `t`: the
// polynomial t·a·Q³ + t·b·Q² + t·c·Q + t·d (0 beyond 1e11), or the exponential
// t·a·e^(Q·b) with the power rounded to single precision (0 when that power
// reaches 1e13).
double NewCurveValue(const TNewCurveInput& input, double q, double t);

// The number an entry field holds, read as far as it is one ("12.5 Q" is 12.5,
// "-.5" is -0.5); text that does not start with a number counts as 0. Always
// with a full stop, in every locale.
double CurveFieldNumber(std::u16string_view text);

// Letters a curve name may hold: A-Z, a-z, 0-9, "_", "#", "%", "-", "." and the blank.
bool IsCurveNameChar(char16_t c);
// The name without the characters it may not hold; `removed` tells whether any went.
std::u16string FilterCurveName(std::u16string_view name, bool& removed);
// The hint shown while a name is typed: 59539 when characters had to be
// removed, else 59540 when the name is longer than 10 characters, else 0.
unsigned CurveNameHint(std::u16string_view typed);

// The Q range as the entry fields show it after editing: the minimum moved
// down to keep a span of 10, never below 0; the maximum at least 10 above the
// minimum and shown at most as 100.
struct TQRange {
    int qMin = 0;
    int qMax = 0;
};
TQRange NormaliseQRange(double qMin, double qMax);

// Every check of Create in order; the first failing one decides the message.
// Beyond what the dialog's fields already guarantee, a name holding a letter
// that is not allowed is refused with 59539 and a range outside 0 to 100 with
// 62602, since a caller without those fields (the command line) can pass them.
TNewCurveCheck CheckNewCurve(const TNewCurveInput& input);

// The unit a stored curve was entered in, from its flags (N/mm² when none is set).
std::uint8_t CurveEntryUnit(const TConvCust& curve);
// The stored N/mm² coefficients a, b, c, d in the curve's unit of entry, as
// the view of an existing curve shows them (b, c, d of an exponential stay).
std::array<double, 4> CoefficientsInEntryUnit(const TConvCust& curve);

}  // namespace Tools
