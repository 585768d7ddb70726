#pragma once
// The hammer's custom statistics rule from the program's side: building a
// rule from what the user entered, reading and writing it, and explaining a
// rule the hammer refused. The hammer alone decides whether a rule is
// acceptable; the program only picks the message that explains a refusal.
#include <cstdint>
#include <optional>
#include <string>

#include "device/CurveSlot.h"

namespace Device {
class CVantrelDevice;
}

namespace Text {
class IUserPrompt;
}

namespace Tools {

inline constexpr unsigned kIdStatsUnknownError = 59588;
inline constexpr unsigned kIdStatsMinAboveMax = 59589;
inline constexpr unsigned kIdStatsTooManyOutliers = 59590;
inline constexpr unsigned kIdStatsMaxTooLarge = 59591;
inline constexpr unsigned kIdStatsMinZero = 59592;
inline constexpr unsigned kIdStatsNotSupported = 59593;
inline constexpr unsigned kIdStatsReadFailed = 59594;
inline constexpr unsigned kIdStatsValueRange = 62601;

// The two methods a custom rule may use (averaging mode codes).
inline constexpr std::uint8_t kStatsMethodMean = 2;
inline constexpr std::uint8_t kStatsMethodMedianOnly = 5;

// "Mean" or "Median only"; empty for any other code.
std::u16string StatisticsMethodName(std::uint8_t method);

// The rule for the entered numbers. Nothing when one of them does not fit in
// the byte the hammer keeps it in: sending only its low byte would upload a
// different rule from the one the user typed.
std::optional<Device::SCustomStatistics> MakeCustomStatistics(std::uint8_t method, long minImpacts,
                                                              long maxImpacts, long upperOutliers,
                                                              long lowerOutliers);

// The message that explains why the hammer refused `rule`: of these checks,
// in this order, the last whose condition holds, else 59588:
//   59590 upper + lower >= minimum, or either count > maximum / 2 - 1;
//   59589 maximum < minimum;
//   59591 maximum >= 100;
//   59592 minimum = 0.
unsigned StatisticsRefusalMessage(const Device::SCustomStatistics& rule);

struct TStatisticsRead {
    bool ok = false;
    unsigned messageId = 0;  // 59593 or 59594 when not ok
    Device::SCustomStatistics rule;
};

// Reads the stored rule. A hammer without the newer format (59593) or a failed
// read (59594) shows its message; the caller then lets the hammer go.
TStatisticsRead ReadCustomStatistics(Device::CVantrelDevice& hammer, Text::IUserPrompt& prompt);

// Writes `rule`. True when the hammer confirmed; otherwise the message chosen
// by StatisticsRefusalMessage is shown and returned in `messageId` (59593 for
// a hammer without the newer format, which takes no rule at all).
bool WriteCustomStatistics(Device::CVantrelDevice& hammer, const Device::SCustomStatistics& rule,
                           Text::IUserPrompt& prompt, unsigned* messageId = nullptr);

}  // namespace Tools
