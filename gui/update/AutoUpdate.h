#pragma once
// The software update of the desktop program: the background check at start,
// which reports a newer installer to the main window, and the update wizard.
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "model/Version.h"
#include "update/CheckThread.h"

class QWidget;
class CUpdateWizard;

namespace Settings {
class CSettingsStore;
}
namespace Text {
class IUserPrompt;
}
namespace Update {
class CUpdateServerSession;
}

class CAutoUpdate : public QObject {
    Q_OBJECT
  public:
    // `report` receives the newer version (slot "OnSoftwareVersion(quint32,
    // quint32)" of the main window); the installer goes beside `programPath`.
    CAutoUpdate(Settings::CSettingsStore& store, Text::IUserPrompt& prompt, std::filesystem::path programPath,
                QObject* report);
    ~CAutoUpdate() override;

    // Starts the background check. Nothing is reported when the server cannot
    // be reached or has nothing newer.
    bool StartBackgroundCheck();
    // Stops it, waiting at most `waitMs`.
    bool StopBackgroundCheck(int waitMs = 3000);

    // Stops a background check, then runs the wizard; true when it started a
    // downloaded installer.
    bool Run(QWidget* parent);

    // How the installer is started (the system's open action by default) and
    // how the wizard is shown (modally by default); tests replace both.
    void SetInstallerStarter(std::function<bool(const std::filesystem::path&)> start) {
        m_startInstaller = std::move(start);
    }
    void SetWizardRunner(std::function<void(CUpdateWizard&)> run) { m_runWizard = std::move(run); }

    static std::string ProductName();
    static CVersion ProgramVersion();

  private:
    Settings::CSettingsStore& m_store;
    Text::IUserPrompt& m_prompt;
    std::filesystem::path m_programPath;
    QPointer<QObject> m_report;
    Update::CCheckThread m_thread;
    struct SPost;
    std::shared_ptr<SPost> m_post;
    std::function<bool(const std::filesystem::path&)> m_startInstaller;
    std::function<void(CUpdateWizard&)> m_runWizard;
};
