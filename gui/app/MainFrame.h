#pragma once
// The program's one top-level window. It owns the project document, the client
// view with its two tabs, the toolbar, the status bar, the logo button, the
// download progress window and the device connection; it carries out the
// settings, device, update and web-page commands and opens projects dropped on
// it or named on the command line. Every command is offered to the client view
// first.
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/HammerConnection.h"
#include "app/QtClipboard.h"
#include "device/Callback.h"
#include "model/Version.h"

class QAction;
class QLabel;
class QToolBar;
class CChildView;
class CHammerDoc;
class CLogo;
class CProgressDlg;
class CAutoUpdate;

namespace Settings {
class CAppSettings;
class CSettingsStore;
}  // namespace Settings
namespace Text {
class IUserPrompt;
}

struct SMainFrameContext {
    Settings::CSettingsStore& store;
    Settings::CAppSettings& settings;
    Text::IUserPrompt& prompt;
    std::filesystem::path programPath;  // the program file; its folder holds the upgrade tool
};

class CMainFrame : public QMainWindow, public Device::CCallback {
    Q_OBJECT
  public:
    // Commands whose dialogs live elsewhere; until one is given its command is
    // disabled.
    using CommandHandler = std::function<void()>;

    explicit CMainFrame(SMainFrameContext context, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Window creation step 2 and 7: "-Energy" and the project of the command line.
    void ApplyCommandLine(bool energy, const std::optional<std::filesystem::path>& project);

    CHammerDoc& Doc() { return *m_doc; }
    CChildView* View() const { return m_view; }
    CHammerConnection& Connection() { return m_connection; }
    CProgressDlg* ProgressDialog() const { return m_progress; }
    CAutoUpdate* AutoUpdate() const { return m_autoUpdate; }
    QToolBar* ToolBar() const { return m_toolBar; }
    CLogo* Logo() const { return m_logo; }
    QTimer& KeepAliveTimer() { return m_keepAlive; }

    // The action of a menu or toolbar command (the device menu's for 108).
    QAction* Action(int id) const;
    bool IsCommandEnabled(int id) const;
    // Enables every action as the commands' rules say now.
    void UpdateCommandUi();
    // Carries out a command as its menu item does.
    void OnCommand(int id);

    void SetCommandHandler(int id, CommandHandler handler);

    // The notice menu "New version available!" (nullptr while absent) and the
    // two version values behind it.
    QMenu* NoticeMenu() const { return m_noticeMenu; }
    CVersion SoftwareVersion() const { return m_softwareVersion; }
    CVersion FirmwareVersion() const { return m_firmwareVersion; }
    // The packing of the update checks' reports: the low and high 16 bits of
    // `first` are the first and second part, those of `second` the third and
    // fourth.
    static CVersion UnpackVersion(quint32 first, quint32 second);

    // Reloads the menu bar from the current texts (after a language change).
    void ReloadMenus();
    // The idle text of the status bar.
    void SetViewStatusText(const QString& text);
    QString IdleText() const;

    // Device::CCallback: download progress moves the progress window's bar.
    void OnProgress(int percent, int phase, int timeHintMs) override;

  public slots:
    // Reports of the software and firmware update checks (posted from their threads).
    void OnSoftwareVersion(quint32 first, quint32 second);
    void OnFirmwareVersion(quint32 first, quint32 second);
    void SetSoftwareVersion(CVersion version);
    void SetFirmwareVersion(CVersion version);
    void OnKeepAliveTick();
    void OnLogoClick();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateActions();
    void BuildMenuBar();
    void CreateToolBar();
    void CreateStatusBar();
    void RebuildNoticeMenu();
    void RemoveNoticeMenu();
    void RetranslateActions();
    void PlaceWindow();
    void UpdateLockIndicators();
    void UpdateHelpFile();

    // Commands of the main window.
    void DownloadAll();
    void DeleteAll();
    void UpgradeFirmware();
    void InteractiveUpdate();
    void AppSettings();
    void About();
    void OpenWebPage(unsigned addressId);
    void UpdateTitle();
    void SetTitle(const QString& title);
    void ShowTitle();

    SMainFrameContext m_ctx;
    CQtClipboard m_clipboard;
    std::unique_ptr<CHammerDoc> m_doc;
    CChildView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    CLogo* m_logo = nullptr;
    QLabel* m_idleLabel = nullptr;
    QLabel* m_capsLabel = nullptr;
    QLabel* m_numLabel = nullptr;
    CProgressDlg* m_progress = nullptr;
    CAutoUpdate* m_autoUpdate = nullptr;
    CHammerConnection m_connection;
    QTimer m_keepAlive;
    bool m_deviceBusy = false;

    std::map<int, QAction*> m_actions;
    std::vector<QPointer<QMenu>> m_menus;
    std::map<int, CommandHandler> m_handlers;
    QPointer<QMenu> m_noticeMenu;
    CVersion m_softwareVersion;
    CVersion m_firmwareVersion;
    QString m_title;  // without the unsaved-changes mark
};
