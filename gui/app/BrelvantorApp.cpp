#include "app/BrelvantorApp.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>

#include "app/CommandLine.h"
#include "app/ErrorReporter.h"
#include "app/MainFrame.h"
#include "app/MessageBoxPrompt.h"
#include "app/QtTranslations.h"
#include "app/Resources.h"
#include "device/DeviceThread.h"
#include "device/PortTable.h"
#include "doc/CurveLibrary.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "streamio/StreamRegistry.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

CBrelvantorApp::CBrelvantorApp(SOptions options) : m_options(std::move(options)) {
    if (m_options.prompt == nullptr) m_ownPrompt = std::make_unique<CMessageBoxPrompt>();
    m_prompt = m_options.prompt ? m_options.prompt : m_ownPrompt.get();
}

CBrelvantorApp::~CBrelvantorApp() {
    ExitInstance();
}

std::filesystem::path CBrelvantorApp::RunningProgramPath() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self;
    const QString file = QCoreApplication::applicationFilePath();
    return file.isEmpty() ? std::filesystem::path() : std::filesystem::path(file.toStdString());
}

bool CBrelvantorApp::InitInstance(const CCommandLine& commandLine, bool show) {
    InitGuiResources();
    // The window title names the program itself ("TOLVEX BRELVANTOR - file");
    // a display name would make the desktop add it a second time.
    QApplication::setApplicationDisplayName(QString());

    m_store = std::make_unique<Settings::CSettingsStore>(m_options.settingsFile.empty()
                                                             ? Settings::CSettingsStore::DefaultFilePath()
                                                             : m_options.settingsFile);
    m_settings = std::make_unique<Settings::CAppSettings>(*m_store, *m_prompt, m_options.programPath);
    m_settings->ReadSettings();
    m_settings->LoadLanguageModule();
    CQtTranslations::Apply(*m_settings);
    m_settings->ShowStoreNotices();

    Doc::CCurveLibrary::SetProgramPath(m_options.programPath);
    Device::CPortTable::UseStore(m_store.get());

    // The worker thread reports on its own thread; the box is shown on ours.
    Text::IUserPrompt* prompt = m_prompt;
    Device::SetDeviceThreadErrorReporter([prompt](const Text::SMessage& message) {
        QMetaObject::invokeMethod(
            qApp, [prompt, message] { prompt->ShowMessage(message); }, Qt::QueuedConnection);
    });
    bool started = false;
    try {
        StreamIO::StartStreams();
        started = Device::StartDeviceThread();
    } catch (...) {
        started = false;
    }
    if (!started) {
        CErrorReporter::ReportId(*m_prompt, CErrorReporter::EKind::Fatal, Ids::kUnhandledException);
        Device::StopDeviceThread(kStopThreadWaitMs);
        Device::SetDeviceThreadErrorReporter(nullptr);
        StreamIO::ShutdownStreams();
        Device::CPortTable::UseStore(nullptr);
        return false;
    }
    m_started = true;

    m_mainFrame = std::make_unique<CMainFrame>(
        SMainFrameContext{*m_store, *m_settings, *m_prompt, m_options.programPath});
    std::optional<std::filesystem::path> project;
    if (commandLine.Project()) {
        const QByteArray name = QFile::encodeName(*commandLine.Project());
        project = std::filesystem::path(std::string(name.constData(), static_cast<std::size_t>(name.size())));
    }
    // The project of the command line is part of making the window.
    m_mainFrame->ApplyCommandLine(commandLine.Energy(), project);
    if (show) {
        m_mainFrame->show();
        m_mainFrame->raise();
    }
    return true;
}

void CBrelvantorApp::ExitInstance() {
    m_mainFrame.reset();
    CQtTranslations::Remove();
    if (!m_started) return;
    m_started = false;
    Device::StopDeviceThread(kStopThreadWaitMs);
    Device::SetDeviceThreadErrorReporter(nullptr);
    StreamIO::ShutdownStreams();
    Device::CPortTable::UseStore(nullptr);
}
