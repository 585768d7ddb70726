#pragma once
// Conversion of rebound values Q into the series' unit: built-in and custom
// curves, form and carbonation factors, rounding by unit, and the display texts
// of curves, units, modes, forms and carbonation.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/CurveRecord.h"

struct TVantrelObject;

namespace Model {

// Q converted into `unit` with the curve `curveId` of the hammer type that
// `deviceType` carries; kNoValue when the conversion is not possible (Q outside
// the curve's range with the check on, or a result that is no number).
float Convert(float q, std::uint8_t unit, std::uint8_t curveId, std::u16string_view deviceType,
              float carbonation, std::uint8_t formCode, bool rangeCheck);

// Built-in ids 0-3 and 10-15 from the table of the hammer type, every other id
// from the custom curve store; an all-zero record when there is none.
TCurveRecord GetCurveRecord(std::uint8_t curveId, std::u16string_view deviceType);

// The curve lookup's hammer type: "L" at index 15, else at 16, means type L.
// A text too short to hold the letter carries none (type N tables).
bool UsesTypeLCurves(std::u16string_view deviceType);

bool IsBuiltInCurve(int curveId);

// Form factor of a form code; code 20 picks the cylinder factor of the
// strength class of `strength` (N/mm²; no number or kNoValue counts as below 30).
double GetFormFactor(std::uint8_t formCode, double strength);
double GetCarbonationFactor(std::uint8_t code);

// Display decimals of a unit: R, Q, N/mm² and MPa 1; kg/cm², PSI and unknown 0.
int GetDisplayDecimals(std::uint8_t unit);
int GetDisplayDecimals(const TVantrelObject& series);

std::u16string GetUnitText(std::uint8_t unit);
std::u16string GetModeName(std::uint8_t mode);
std::u16string GetCurveName(int curveId);
std::u16string GetHammerTypeName(bool typeN);

// "Cube 150mm", "Cylinder (83%)" for code 20 with its factor, "%d%%" for codes
// outside the table. Inch sizes when `inch` (unit PSI).
std::u16string GetFormText(std::uint8_t formCode, bool inch, double factor);
// The shape name alone ("Cube"), empty for codes outside the table.
std::u16string GetFormShapeName(std::uint8_t formCode);
// "2.0 mm", "8/100\"" (inch) or "0.85" for a factor code.
std::u16string GetCarbonationText(std::uint8_t code, bool inch);
std::u16string GetCarbonationText(const TVantrelObject& series);

// The "Conversion not possible" explanation (59453 too low / 59454 too high)
// for a mean Q outside the curve's range.
struct TConversionMessage {
    unsigned titleId = 0;
    unsigned textId = 0;
    std::u16string text;
};
TConversionMessage GetConversionFailure(float meanQ, std::uint8_t curveId, std::u16string_view deviceType);

// Rounds to a multiple of 0.5: (v + 0.25) * 2 cut to an integer, halved.
// Negative values (a spread converted below a curve's range) and values beyond
// a 16-bit integer still round to the nearest half instead of wrapping around.
double RoundToHalf(double v);

}  // namespace Model
