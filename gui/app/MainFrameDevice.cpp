// The main window's device commands: download all series, delete all series on
// the hammer, the firmware upgrade tool, and the presence check after a download.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/MainFrame.h"
#include "app/ProgressDlg.h"
#include "app/UpgradeTool.h"
#include "device/VantrelDevice.h"
#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "text/UserPrompt.h"
#include "tools/HammerCommands.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"

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

// Messages of the download come after the progress dialog has gone, never
// on top of it.
class CAfterProgressPrompt : public Text::IUserPrompt {
  public:
    CAfterProgressPrompt(Text::IUserPrompt& prompt, CProgressDlg& progress) : m_prompt(prompt), m_progress(progress) {}
    Text::MsgResult ShowMessage(const Text::SMessage& msg) override {
        m_progress.HideProgress();
        return m_prompt.ShowMessage(msg);
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const Text::SFileChoice& choice) override {
        return m_prompt.ChooseOpenFile(choice);
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const Text::SFileChoice& choice) override {
        return m_prompt.ChooseSaveFile(choice);
    }

  private:
    Text::IUserPrompt& m_prompt;
    CProgressDlg& m_progress;
};

}  // namespace

void CMainFrame::OnProgress(int percent, int, int) {
    m_progress->SetPos(percent);
}

void CMainFrame::DownloadAll() {
    if (!m_doc->CloseProject()) return;
    const CBusy busy(m_deviceBusy);
    if (m_connection.ConnectOnDemand(this)) {
        // The steps are the command-line tool's; the window adds the progress
        // dialog and lets a hammer go that cannot serve.
        SetProgressEnabled(true);
        m_progress->ShowProgress();
        CAfterProgressPrompt prompt(m_ctx.prompt, *m_progress);
        const Tools::TDownloadOutcome outcome =
            Tools::DownloadAllSeries(*m_connection.Device(), *m_doc, prompt, this, std::time(nullptr));
        m_progress->HideProgress();
        SetProgressEnabled(false);
        if (outcome.disconnect) {
            m_keepAlive.stop();
            m_connection.Disconnect();
        } else if (outcome.result == Tools::EDownloadResult::SeriesTaken) {
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
    Tools::DeleteAllSeriesOnHammer(*m_connection.Device(), m_ctx.prompt);
}

void CMainFrame::UpgradeFirmware() {
    const CWaitCursor wait;
    m_keepAlive.stop();
    m_connection.Disconnect();
    // The notice entry goes at once, whether or not the tool starts.
    SetFirmwareVersion(CVersion());
    CUpgradeTool::WriteSettings(m_ctx.store, m_ctx.settings.Pfad(), m_ctx.prompt);
    const std::filesystem::path folder = m_ctx.programPath.parent_path();
    const std::filesystem::path tool = CUpgradeTool::ToolPath(folder);
    auto report = [&](unsigned id) {
        Text::SMessage msg;
        msg.textId = id;
        msg.text = Text::Format(UiText::Load(id), tool.string());
        msg.icon = Text::MsgIcon::Warning;
        m_ctx.prompt.ShowMessage(msg);
    };
    // Without a word the user would wait for a tool that never comes.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(tool, ec))
        report(Ids::kToolMissing);
    else if (!CUpgradeTool::Run(folder))
        report(Ids::kToolNotStarted);
}

void CMainFrame::OnKeepAliveTick() {
    // The check must not talk to the hammer in the middle of another exchange.
    if (m_deviceBusy) return;
    if (!m_connection.IsConnected() || !m_connection.CheckPresence()) m_keepAlive.stop();
    UpdateCommandUi();
}
