#include "tools/CustomStatistics.h"

#include "device/VantrelDevice.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"
#include "tools/ToolStrings.h"

namespace Tools {
namespace {

constexpr unsigned kIdMean = 59486;
constexpr unsigned kIdMedianOnly = 59562;

bool FitsInByte(long v) {
    return v >= 0 && v <= 255;
}

}  // namespace

std::u16string StatisticsMethodName(std::uint8_t method) {
    if (method == kStatsMethodMean) return Text::LoadString(kIdMean);
    if (method == kStatsMethodMedianOnly) return Text::LoadString(kIdMedianOnly);
    return {};
}

std::optional<Device::SCustomStatistics> MakeCustomStatistics(std::uint8_t method, long minImpacts,
                                                              long maxImpacts, long upperOutliers,
                                                              long lowerOutliers) {
    if (!FitsInByte(minImpacts) || !FitsInByte(maxImpacts) || !FitsInByte(upperOutliers) ||
        !FitsInByte(lowerOutliers))
        return std::nullopt;
    Device::SCustomStatistics rule;
    rule.AveragingMode = method;
    rule.MinImpacts = static_cast<std::uint8_t>(minImpacts);
    rule.MaxImpacts = static_cast<std::uint8_t>(maxImpacts);
    rule.UpperOutliers = static_cast<std::uint8_t>(upperOutliers);
    rule.LowerOutliers = static_cast<std::uint8_t>(lowerOutliers);
    return rule;
}

unsigned StatisticsRefusalMessage(const Device::SCustomStatistics& rule) {
    const int minimum = rule.MinImpacts;
    const int maximum = rule.MaxImpacts;
    const int upper = rule.UpperOutliers;
    const int lower = rule.LowerOutliers;
    const int half = maximum / 2 - 1;
    unsigned message = kIdStatsUnknownError;
    if (upper + lower >= minimum || upper > half || lower > half) message = kIdStatsTooManyOutliers;
    if (maximum < minimum) message = kIdStatsMinAboveMax;
    if (maximum >= 100) message = kIdStatsMaxTooLarge;
    if (minimum == 0) message = kIdStatsMinZero;
    return message;
}

TStatisticsRead ReadCustomStatistics(Device::CVantrelDevice& hammer, Text::IUserPrompt& prompt) {
    TStatisticsRead read;
    if (!hammer.IsNewFormat()) {
        read.messageId = kIdStatsNotSupported;
    } else if (!hammer.ReadCustomStatistics(read.rule)) {
        read.messageId = kIdStatsReadFailed;
    } else {
        read.ok = true;
        return read;
    }
    Text::ShowMessageId(prompt, read.messageId, Text::MsgIcon::Error);
    return read;
}

bool WriteCustomStatistics(Device::CVantrelDevice& hammer, const Device::SCustomStatistics& rule,
                           Text::IUserPrompt& prompt, unsigned* messageId) {
    // Such a hammer fails every write at once; explaining that as a refused
    // rule would send the user hunting for a fault in numbers that are fine.
    if (!hammer.IsNewFormat()) {
        Text::ShowMessageId(prompt, kIdStatsNotSupported, Text::MsgIcon::Error);
        if (messageId) *messageId = kIdStatsNotSupported;
        return false;
    }
    if (hammer.WriteCustomStatistics(rule)) {
        if (messageId) *messageId = 0;
        return true;
    }
    const unsigned id = StatisticsRefusalMessage(rule);
    ShowToolMessage(prompt, id, Text::MsgIcon::Warning);
    if (messageId) *messageId = id;
    return false;
}

}  // namespace Tools
