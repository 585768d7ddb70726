// The custom statistics rule as the hammer replies it: a hammer of the newer
// format identifies itself, then the fuzz bytes are its reply to the request.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "FuzzReplyStream.h"
#include "device/DeviceTypes.h"
#include "device/VantrelDevice.h"
#include "text/UserPrompt.h"
#include "tools/CustomStatistics.h"

namespace {

// The answer byte to 0x10, then a newer-format identification line.
constexpr std::string_view kIdentify = "\x06Talvenbrecker PCL;HW 1.4;TB-L-1;05010000;1.3.7;1.0.2\r";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto stream = std::make_unique<FuzzSupport::CReplyStream>(
        reinterpret_cast<const std::uint8_t*>(kIdentify.data()), kIdentify.size());
    FuzzSupport::CReplyStream* line = stream.get();
    Device::CVantrelDevice hammer;
    if (!hammer.Attach(std::move(stream), Device::PortSerial)) std::abort();
    Device::SShortIdentity identity;
    if (!hammer.Identify(identity) || !hammer.IsNewFormat()) std::abort();
    line->Append(data, size);

    Text::CSilentPrompt prompt;
    const Tools::TStatisticsRead read = Tools::ReadCustomStatistics(hammer, prompt);
    if (!read.ok) return 0;
    const Device::SCustomStatistics& rule = read.rule;
    (void)Tools::StatisticsMethodName(rule.AveragingMode);
    (void)Tools::StatisticsRefusalMessage(rule);
    // A rule read back from the hammer can be entered again unchanged.
    const auto entered = Tools::MakeCustomStatistics(rule.AveragingMode, rule.MinImpacts, rule.MaxImpacts,
                                                     rule.UpperOutliers, rule.LowerOutliers);
    if (!entered || !(*entered == rule)) std::abort();
    return 0;
}
