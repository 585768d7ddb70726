#include "tools/HammerCommands.h"

#include <array>
#include <cstdint>

#include "device/Callback.h"
#include "device/SeriesDecoder.h"
#include "device/VantrelDevice.h"
#include "device/ZvCommands.h"
#include "doc/HammerDoc.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"
#include "tools/SlotUpload.h"
#include "tools/ToolStrings.h"

namespace Tools {
namespace {

constexpr int kFirstSlotCurveId = 50;
constexpr int kDeleteReplyCapacity = 16;
constexpr int kDeleteTimeoutMs = 2000;

// A message of the string table followed by one of the program's own lines.
void ShowWithHint(Text::IUserPrompt& prompt, unsigned id, unsigned hintId, Text::MsgIcon icon) {
    ShowToolText(prompt, id, Text::LoadString(id) + u"\n" + LoadToolString(hintId), icon);
}

void Progress(Device::CCallback* progress, int percent) {
    if (progress && progress->IsProgressEnabled()) progress->OnProgress(percent, 1, 0);
}

// The progress receiver is the hammer's callback only while the series travel.
class CCallbackScope {
  public:
    CCallbackScope(Device::CVantrelDevice& hammer, Device::CCallback* callback) : m_hammer(hammer) {
        m_previous = m_hammer.TakeCallback();
        if (callback) m_hammer.SetCallback(callback);
    }
    ~CCallbackScope() {
        m_hammer.TakeCallback();
        if (m_previous) m_hammer.SetCallback(m_previous);
    }
    CCallbackScope(const CCallbackScope&) = delete;
    CCallbackScope& operator=(const CCallbackScope&) = delete;

  private:
    Device::CVantrelDevice& m_hammer;
    Device::CCallback* m_previous = nullptr;
};

}  // namespace

TDownloadOutcome DownloadAllSeries(Device::CVantrelDevice& hammer, CHammerDoc& doc, Text::IUserPrompt& prompt,
                                   Device::CCallback* progress, std::time_t now) {
    TDownloadOutcome out;
    if (!hammer.SetClock(now)) {
        out.result = EDownloadResult::ClockNotSet;
        return out;
    }
    // Either refusal ends the session: nothing was downloaded, so nothing is left to save.
    const auto refuse = [&](unsigned id, Text::MsgIcon icon, EDownloadResult result) {
        Text::ShowMessageId(prompt, id, icon);
        doc.SetModified(false);
        out.result = result;
        out.disconnect = true;
        return out;
    };
    // Telling the user the model cannot download would send them to buy an
    // upgrade for what is a bad line.
    if (!hammer.IsDownloadSupportKnown())
        return refuse(kIdIdentificationUnreadable, Text::MsgIcon::Error,
                      EDownloadResult::IdentificationUnreadable);
    if (!hammer.SupportsDownload())
        return refuse(kIdNoDownloadSupport, Text::MsgIcon::Warning, EDownloadResult::NoDownloadSupport);

    std::array<Device::SCurveSlot, 3> slots;
    if (!hammer.ReadCurveSlots(slots[0], slots[1], slots[2])) {
        Text::ShowMessageId(prompt, kIdCannotInterpret, Text::MsgIcon::Error);
        out.result = EDownloadResult::SlotsUnreadable;
        return out;
    }
    for (int i = 0; i < 3; ++i) {
        if (slots[static_cast<std::size_t>(i)].Empty) continue;
        doc.AddCustomCurve(CurveFromSlot(slots[static_cast<std::size_t>(i)]), kFirstSlotCurveId + i);
        ++out.curvesFound;
    }

    Device::SDownloadResult result;
    int code = 0;
    {
        const CCallbackScope scope(hammer, progress);
        Progress(progress, 5);
        code = hammer.DownloadAllSeries(result);
        Progress(progress, 100);
    }
    if (code != Device::kDownloadOk) {
        // A transfer that stopped half-way is a lost line far more often than
        // data this program cannot read.
        if (code == Device::kReceiveCommFailure)
            ShowWithHint(prompt, kIdCannotInterpret, kIdConnectionLost, Text::MsgIcon::Error);
        else
            Text::ShowMessageId(prompt, kIdCannotInterpret, Text::MsgIcon::Error);
        out.result = EDownloadResult::DownloadFailed;
        out.code = code;
        // A data format this program does not know yet is no reason to drop a
        // hammer that answers.
        if (code != Device::kDownloadUnknownFormat) {
            doc.SetModified(false);
            out.disconnect = true;
        }
        return out;
    }
    if (result.Series.empty()) {
        Text::ShowMessageId(prompt, kIdNoSeriesOnHammer, Text::MsgIcon::Information);
        out.result = EDownloadResult::NoSeries;
        return out;
    }
    out.seriesCount = doc.TakeOverDownload(result.Series);
    out.result = EDownloadResult::SeriesTaken;
    return out;
}

EDeleteResult DeleteAllSeriesOnHammer(Device::CVantrelDevice& hammer, Text::IUserPrompt& prompt) {
    if (Text::ShowMessageId(prompt, kIdDeleteAllQuestion, Text::MsgIcon::Question,
                            Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes)
        return EDeleteResult::Declined;
    std::array<std::uint8_t, kDeleteReplyCapacity> reply{Device::CVantrelDevice::kSubDeleteAll};
    const int received =
        hammer.Transact(Device::kCmdApplication, 1, reply.data(), kDeleteReplyCapacity, kDeleteTimeoutMs);
    const bool deleted = received == 1 && reply[0] == 1;
    if (deleted) {
        Text::ShowMessageId(prompt, kIdDeleteAllSucceeded, Text::MsgIcon::Information);
        return EDeleteResult::Deleted;
    }
    // Without the confirmation nobody knows whether the hammer deleted: the
    // user must not trust the series to still be there.
    ShowWithHint(prompt, kIdDeleteAllFailed, kIdDeleteNotConfirmed, Text::MsgIcon::Error);
    return EDeleteResult::Failed;
}

}  // namespace Tools
