#include "update/AutoUpdate.h"

#include <mutex>

#include "text/Encoding.h"
#include "text/FileVersionInfo.h"
#include "ui/Shell.h"
#include "update/PostedVersion.h"
#include "update/UpdateChecks.h"
#include "update/UpdateServer.h"
#include "update/UpdateServerSession.h"
#include "update/UpdateWizard.h"

// The thread may outlive this object (it is never killed): it posts only while
// the receiver is known to exist.
struct CAutoUpdate::SPost {
    std::mutex lock;
    QObject* target = nullptr;

    void Report(CVersion v) {
        std::lock_guard<std::mutex> guard(lock);
        if (target == nullptr) return;
        UpdatePost::PostVersion(target, "OnSoftwareVersion", v);
    }
};

CAutoUpdate::CAutoUpdate(Settings::CSettingsStore& store, Text::IUserPrompt& prompt,
                         std::filesystem::path programPath, QObject* report)
    : QObject(report),
      m_store(store),
      m_prompt(prompt),
      m_programPath(std::move(programPath)),
      m_report(report),
      m_post(std::make_shared<SPost>()),
      m_startInstaller([](const std::filesystem::path& file) { return CShell::OpenFile(file); }) {
    m_post->target = report;
}

CAutoUpdate::~CAutoUpdate() {
    {
        std::lock_guard<std::mutex> guard(m_post->lock);
        m_post->target = nullptr;
    }
    m_thread.Stop();
}

std::string CAutoUpdate::ProductName() {
    return Text::ToUtf8(Text::CFileVersionInfo::Program().Get(u"ProductName"));
}

CVersion CAutoUpdate::ProgramVersion() {
    const auto& p = Text::CFileVersionInfo::Program().ProductVersion().parts;
    return CVersion(p[0], p[1], p[2], p[3]);
}

bool CAutoUpdate::StartBackgroundCheck() {
    // Everything the thread uses is its own copy.
    const std::string url = Update::ServerUrl(&m_store);
    const std::string product = ProductName();
    const CVersion current = ProgramVersion();
    auto post = m_post;
    return m_thread.Start([url, product, current, post](const std::atomic<bool>& abort) {
        Update::CUpdateServerSession session(url);
        session.SetAbortFlag(&abort);
        const CVersion newer = Update::BackgroundInstallerCheck(session, product, current);
        if (!newer.IsNone() && !abort) post->Report(newer);
    });
}

bool CAutoUpdate::StopBackgroundCheck(int waitMs) {
    return m_thread.Stop(waitMs);
}

bool CAutoUpdate::Run(QWidget* parent) {
    StopBackgroundCheck();
    Update::CUpdateServerSession session(Update::ServerUrl(&m_store), &m_prompt);
    CUpdateWizard wizard(SUpdateWizardContext{session, m_prompt, ProductName(), ProgramVersion(),
                                              m_programPath.parent_path(), m_startInstaller},
                         parent);
    if (m_runWizard)
        m_runWizard(wizard);
    else
        wizard.exec();
    return wizard.InstallerStarted();
}
