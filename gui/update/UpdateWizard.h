#pragma once
// The update wizard: the search page looks for a newer installer on the update
// server, the download page fetches it in steps on the user-interface thread
// (the window stays usable, Cancel works at any time) and starts it.
#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "model/Version.h"
#include "update/UpdateChecks.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace Text {
class IUserPrompt;
}
namespace Update {
class CFtpDownload;
class CUpdateServerSession;
}  // namespace Update

struct SUpdateWizardContext {
    Update::CUpdateServerSession& session;
    Text::IUserPrompt& prompt;
    std::string productName;
    CVersion current;
    std::filesystem::path programFolder;  // where the installer goes when it can
    std::function<bool(const std::filesystem::path&)> startInstaller;
};

class CUpdateWizard : public QDialog {
    Q_OBJECT
  public:
    explicit CUpdateWizard(SUpdateWizardContext context, QWidget* parent = nullptr);
    ~CUpdateWizard() override;

    // Whether the wizard ended by starting a downloaded installer.
    bool InstallerStarted() const { return m_started; }
    const std::optional<Update::SInstaller>& Candidate() const { return m_candidate; }

    // For tests and for the page logic: the pages' lines and the buttons.
    QLabel* Line(unsigned id) const;
    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* Bar() const { return m_bar; }
    bool OnDownloadPage() const;

    // Runs the search page now (the dialog does it when it is shown).
    void Search();

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void EnableOnly(std::initializer_list<QPushButton*> buttons);
    void StartDownloadPage();
    void Transfer();
    void DownloadFailed(const QString& text, bool finishUsable = true);

    SUpdateWizardContext m_ctx;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_searchFor = nullptr;     // 22013
    QLabel* m_searchState = nullptr;   // 22003
    QLabel* m_searchResult = nullptr;  // 22006
    QLabel* m_downloading = nullptr;   // 22011
    QLabel* m_count = nullptr;         // 22015
    QProgressBar* m_bar = nullptr;     // 22008
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer m_step;
    bool m_searched = false;
    bool m_started = false;
    std::optional<Update::SInstaller> m_candidate;
    std::unique_ptr<Update::CFtpDownload> m_download;
    std::filesystem::path m_target;
};
