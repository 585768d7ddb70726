// The main window's device commands: download all series, delete all series on
// the hammer, the firmware upgrade tool, and the presence check after a download.
#include <QApplication>
#include <cstring>
#include <ctime>

#include "app/MainFrame.h"
#include "app/ProgressDlg.h"
#include "app/UpgradeTool.h"
#include "device/SeriesDecoder.h"
#include "device/VantrelDevice.h"
#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {

class CBusy {
  public:
    explicit CBusy(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CBusy() { m_flag = false; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

  private:
    bool& m_flag;
};

// A filled slot as the custom curve record the document registers: the slot's
// wire bytes are the record's bytes 1 to 30.
TConvCust CurveOfSlot(const Device::SCurveSlot& slot) {
    TConvCust curve;
    static_assert(Device::SCurveSlot::kNewWireSize == 30);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&curve) + 1, &slot, Device::SCurveSlot::kNewWireSize);
    curve.Tag = 3;
    curve.OnDevice = 1;  // from the hammer: never purged
    curve.Id = 0;
    return curve;
}

}  // namespace

void CMainFrame::OnProgress(int percent, int, int) {
    m_progress->SetPos(percent);
}

void CMainFrame::DownloadAll() {
    if (!m_doc->CloseProject()) return;
    const CBusy busy(m_deviceBusy);
    if (m_connection.ConnectOnDemand(this)) {
        Device::CVantrelDevice& hammer = *m_connection.Device();
        Text::IUserPrompt& prompt = m_ctx.prompt;
        // A hammer that does not take the clock ends the command without a word.
        if (!hammer.SetClock(std::time(nullptr))) return;
        if (!hammer.SupportsDownload()) {
            Text::ShowMessageId(prompt, Ids::kNoDownloadSupport, Text::MsgIcon::Warning);
            m_doc->SetModified(false);
            m_keepAlive.stop();
            m_connection.Disconnect();
            UpdateTitle();
            return;
        }
        Device::SCurveSlot curveSlots[3];
        if (!hammer.ReadCurveSlots(curveSlots[0], curveSlots[1], curveSlots[2])) {
            Text::ShowMessageId(prompt, Ids::kCannotInterpret, Text::MsgIcon::Error);
            return;
        }
        for (int i = 0; i < 3; ++i) {
            if (curveSlots[i].Empty == 0) m_doc->AddCustomCurve(CurveOfSlot(curveSlots[i]), 50 + i);
        }

        hammer.TakeCallback();
        hammer.SetCallback(this);
        SetProgressEnabled(true);
        m_progress->ShowProgress();
        m_progress->SetPos(5);
        Device::SDownloadResult result;
        const int code = hammer.DownloadAllSeries(result);
        m_progress->SetPos(100);
        m_progress->HideProgress();
        SetProgressEnabled(false);
        hammer.TakeCallback();

        if (code != Device::kDownloadOk) {
            Text::ShowMessageId(prompt, Ids::kCannotInterpret, Text::MsgIcon::Error);
            // A format this program does not know yet is no reason to drop a
            // hammer that answers.
            if (code != Device::kDownloadUnknownFormat) {
                m_doc->SetModified(false);
                m_keepAlive.stop();
                m_connection.Disconnect();
            }
            UpdateTitle();
            return;
        }
        if (result.Series.empty()) {
            Text::ShowMessageId(prompt, Ids::kNoSeriesOnHammer, Text::MsgIcon::Information);
        } else {
            m_doc->TakeOverDownload(result.Series);
            m_keepAlive.start();
        }
    }
    UpdateTitle();
}

void CMainFrame::DeleteAll() {
    const CBusy busy(m_deviceBusy);
    if (!m_connection.ConnectOnDemand(this)) {
        Text::ShowMessageId(m_ctx.prompt, Ids::kNotConnected, Text::MsgIcon::Warning);
        return;
    }
    if (Text::ShowMessageId(m_ctx.prompt, Ids::kDeleteAllQuestion, Text::MsgIcon::Question,
                            Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes)
        return;
    std::uint8_t reply[16] = {Device::CVantrelDevice::kSubDeleteAll};
    const int received = m_connection.Device()->Transact(0xD1, 1, reply, sizeof reply, 2000);
    const bool deleted = received == 1 && reply[0] == 1;
    Text::ShowMessageId(m_ctx.prompt, deleted ? Ids::kDeleteAllSucceeded : Ids::kDeleteAllFailed,
                        deleted ? Text::MsgIcon::Information : Text::MsgIcon::Error);
}

void CMainFrame::UpgradeFirmware() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_keepAlive.stop();
    m_connection.Disconnect();
    // The notice entry goes at once, whether or not the tool starts.
    SetFirmwareVersion(CVersion());
    CUpgradeTool::WriteSettings(m_ctx.store, m_ctx.settings.Pfad(), m_ctx.prompt);
    CUpgradeTool::Run(m_ctx.programPath.parent_path());
    QApplication::restoreOverrideCursor();
}

void CMainFrame::OnKeepAliveTick() {
    // The check must not talk to the hammer in the middle of another exchange.
    if (m_deviceBusy) return;
    if (!m_connection.IsConnected() || !m_connection.CheckPresence()) m_keepAlive.stop();
    UpdateCommandUi();
}
