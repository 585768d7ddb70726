#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/AboutDlg.h"
#include "app/AppSettingsDlg.h"
#include "app/Logo.h"
#include "app/ProgressDlg.h"
#include "app/QtTranslations.h"
#include "device/VantrelDevice.h"
#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "tools/curves/CurveLibraryDlg.h"
#include "tools/curves/CustomStatDlg.h"
#include "tools/curves/UploadCurveDlg.h"
#include "ui/CommandIds.h"
#include "ui/LockKeys.h"
#include "ui/Shell.h"
#include "ui/UiText.h"
#include "update/AutoUpdate.h"
#include "update/FirmwareUpdateCheck.h"
#include "update/PostedVersion.h"
#include "views/ChildView.h"

namespace {

enum EMenu { kFile, kDevice, kEdit, kHelp };

struct SMenuItem {
    EMenu menu;
    int id;  // 0: separator
    unsigned label;
};

// The menu bar, in order.
constexpr SMenuItem kMenuItems[] = {
    {kFile, Cmd::kOpenProject, Ids::kLabelOpenProject},
    {kFile, Cmd::kCloseProject, Ids::kLabelCloseProject},
    {kFile, 0, 0},
    {kFile, Cmd::kSaveProject, Ids::kLabelSaveProject},
    {kFile, Cmd::kSaveProjectAs, Ids::kLabelSaveProjectAs},
    {kFile, 0, 0},
    {kFile, Cmd::kRestoreOriginal, Ids::kLabelRestoreOriginal},
    {kFile, 0, 0},
    {kFile, Cmd::kExport, Ids::kLabelExport},
    {kFile, Cmd::kPrint, Ids::kLabelPrint},
    {kFile, 0, 0},
    {kFile, Cmd::kAppSettings, Ids::kLabelAppSettings},
    {kFile, 0, 0},
    {kFile, Cmd::kExit, Ids::kLabelExit},
    {kDevice, Cmd::kDownloadAll, Ids::kLabelDownloadAll},
    {kDevice, Cmd::kDeleteAll, Ids::kLabelDeleteAll},
    {kDevice, Cmd::kCustomCurves, Ids::kLabelCustomCurves},
    {kDevice, Cmd::kCustomStatistics, Ids::kLabelCustomStatistics},
    {kDevice, 0, 0},
    {kDevice, Cmd::kUpgradeHammer, Ids::kLabelUpgradeHammer},
    {kEdit, Cmd::kSelectAll, Ids::kLabelSelectAll},
    {kEdit, 0, 0},
    {kEdit, Cmd::kCut, Ids::kLabelCut},
    {kEdit, Cmd::kCopy, Ids::kLabelCopy},
    {kEdit, Cmd::kPaste, Ids::kLabelPaste},
    {kEdit, Cmd::kDelete, Ids::kLabelDelete},
    {kEdit, 0, 0},
    {kEdit, Cmd::kCopyPicture, Ids::kLabelCopyPicture},
    {kEdit, 0, 0},
    {kEdit, Cmd::kCreateOneSeries, Ids::kLabelCreateOneSeries},
    {kHelp, Cmd::kCheckUpdates, Ids::kLabelCheckUpdates},
    {kHelp, 0, 0},
    {kHelp, Cmd::kHelp, Ids::kLabelHelp},
    {kHelp, Cmd::kHelpUpgrade, Ids::kLabelHelpUpgrade},
    {kHelp, 0, 0},
    {kHelp, Cmd::kRegistration, Ids::kLabelRegistration},
    {kHelp, Cmd::kFeedback, Ids::kLabelFeedback},
    {kHelp, 0, 0},
    {kHelp, Cmd::kAbout, Ids::kLabelAbout},
};

constexpr unsigned kMenuTitles[] = {Ids::kMenuFile, Ids::kMenuDevice, Ids::kMenuEdit, Ids::kMenuHelp};

// The toolbar, left to right; 0 is a separator.
constexpr int kToolBarItems[] = {Cmd::kDownloadAll,
                                 Cmd::kUpgradeHammer,
                                 0,
                                 Cmd::kOpenProject,
                                 Cmd::kSaveProject,
                                 0,
                                 Cmd::kCopy,
                                 Cmd::kCopyPicture,
                                 Cmd::kExport,
                                 Cmd::kPrint,
                                 0,
                                 Cmd::kHelp};

struct SShortcut {
    int id;
    QKeySequence::StandardKey key;
    const char* fallback;  // where the desktop has no key of its own for it
};
// The desktop's usual keys for what they usually do.
constexpr SShortcut kShortcuts[] = {
    {Cmd::kOpenProject, QKeySequence::Open, "Ctrl+O"},
    {Cmd::kCloseProject, QKeySequence::Close, "Ctrl+W"},
    {Cmd::kSaveProject, QKeySequence::Save, "Ctrl+S"},
    {Cmd::kSaveProjectAs, QKeySequence::SaveAs, "Ctrl+Shift+S"},
    {Cmd::kPrint, QKeySequence::Print, "Ctrl+P"},
    {Cmd::kExit, QKeySequence::Quit, "Ctrl+Q"},
    {Cmd::kSelectAll, QKeySequence::SelectAll, "Ctrl+A"},
    {Cmd::kCut, QKeySequence::Cut, "Ctrl+X"},
    {Cmd::kCopy, QKeySequence::Copy, "Ctrl+C"},
    {Cmd::kPaste, QKeySequence::Paste, "Ctrl+V"},
    {Cmd::kDelete, QKeySequence::Delete, "Del"},
    {Cmd::kHelp, QKeySequence::HelpContents, "F1"},
};

QIcon CommandIcon(int id) {
    const QString file = QStringLiteral(":/icons/%1.svg").arg(id);
    return QFile::exists(file) ? QIcon(file) : QIcon();
}

}  // namespace

CVersion CMainFrame::UnpackVersion(quint32 first, quint32 second) {
    return UpdatePost::UnpackVersion(first, second);
}

CMainFrame::CMainFrame(SMainFrameContext context, QWidget* parent)
    : QMainWindow(parent),
      m_ctx(context),
      m_doc(std::make_unique<CHammerDoc>(context.prompt, &m_clipboard)),
      m_connection(context.store, context.prompt) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/brelvantor.svg")));
    PlaceWindow();

    m_view = new CChildView(SViewContext{*m_doc, m_ctx.settings, m_ctx.prompt, &m_clipboard}, this);
    setCentralWidget(m_view);
    CreateActions();
    BuildMenuBar();
    CreateToolBar();
    CreateStatusBar();
    m_progress = new CProgressDlg(this);

    connect(m_view, &CChildView::commandStateChanged, this, &CMainFrame::UpdateCommandUi);
    connect(m_view, &CChildView::titleChanged, this, &CMainFrame::SetTitle);
    connect(m_view, &CChildView::statusText, this, &CMainFrame::SetViewStatusText);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommandUi);

    // The update checks: the software check starts now and reports by itself;
    // a connection made through the device search starts the firmware check.
    m_autoUpdate = new CAutoUpdate(m_ctx.store, m_ctx.prompt, m_ctx.programPath, this);
    SetCommandHandler(Cmd::kCheckUpdates, [this] { InteractiveUpdate(); });
    SetCommandHandler(Cmd::kCustomStatistics, [this] {
        CCustomStatDlg(m_connection, m_ctx.prompt, this).exec();
        UpdateCommandUi();
    });
    SetCommandHandler(Cmd::kCustomCurves, [this] {
        auto upload = [this](QWidget* parent, int position) {
            CUploadCurveDlg dialog(m_doc->CurveLibrary(), position, m_connection, m_ctx.prompt, parent);
            dialog.exec();
        };
        CUploadUserCurve library(*m_doc, m_ctx.prompt, upload, this);
        library.exec();
    });
    m_connection.SetFirmwareCheckFactory([this](Device::CVantrelDevice& device) {
        auto check = std::make_unique<CFirmwareUpdateCheck>(m_ctx.store, m_ctx.prompt, this);
        check->Start(device);
        return std::unique_ptr<IFirmwareCheck>(std::move(check));
    });
    m_autoUpdate->StartBackgroundCheck();

    m_keepAlive.setInterval(5000);
    connect(&m_keepAlive, &QTimer::timeout, this, &CMainFrame::OnKeepAliveTick);
    UpdateHelpFile();

    setAcceptDrops(true);
    qApp->installEventFilter(this);
    UpdateTitle();
    UpdateCommandUi();
    UpdateLockIndicators();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    m_keepAlive.stop();
    m_connection.Disconnect();
    // The views hold the document: they go before it does.
    delete m_view;
    m_view = nullptr;
}

void CMainFrame::PlaceWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    resize(area.width() - 4, static_cast<int>(area.height() * 0.9));
    move(area.x() + 2, area.y() + 2);
}

void CMainFrame::ApplyCommandLine(bool energy, const std::optional<std::filesystem::path>& project) {
    if (energy) {
        m_doc->SetEnergyDisplay(true);
        m_view->RefreshAll();
    }
    if (project) m_doc->OpenProject(*project);
    UpdateTitle();
    UpdateCommandUi();
}

// --- Commands, menus, toolbar ---------------------------------------------------------

void CMainFrame::CreateActions() {
    auto make = [this](int id) {
        auto* action = new QAction(this);
        action->setData(id);
        action->setIcon(CommandIcon(id));
        action->setIconVisibleInMenu(true);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions[id] = action;
        return action;
    };
    for (const SMenuItem& item : kMenuItems)
        if (item.id != 0) make(item.id);
    // Disconnect has no menu entry; the action carries its state.
    addAction(make(Cmd::kDisconnect));
    for (const SShortcut& s : kShortcuts) {
        QAction* action = m_actions[s.id];
        const QList<QKeySequence> keys = QKeySequence::keyBindings(s.key);
        if (keys.isEmpty())
            action->setShortcut(QKeySequence(QString::fromLatin1(s.fallback)));
        else
            action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    RetranslateActions();
}

void CMainFrame::RetranslateActions() {
    for (const SMenuItem& item : kMenuItems) {
        if (item.id == 0) continue;
        QAction* action = m_actions[item.id];
        action->setText(UiText::Get(item.label));
        action->setStatusTip(UiText::PromptOf(static_cast<unsigned>(item.id)));
        const QString tip = UiText::ToolTipOf(static_cast<unsigned>(item.id));
        action->setToolTip(tip.isEmpty() ? QString(UiText::Get(item.label)).remove(QLatin1Char('&')) : tip);
    }
    QAction* disconnect = m_actions[Cmd::kDisconnect];
    disconnect->setStatusTip(UiText::PromptOf(Cmd::kDisconnect));
    disconnect->setToolTip(UiText::ToolTipOf(Cmd::kDisconnect));
    if (m_logo) m_logo->setToolTip(UiText::ToolTipOf(Cmd::kLogo));
}

void CMainFrame::BuildMenuBar() {
    for (const QPointer<QMenu>& menu : m_menus)
        if (menu) menu->deleteLater();
    m_menus.clear();
    menuBar()->clear();
    for (unsigned title : kMenuTitles) {
        QMenu* menu = menuBar()->addMenu(UiText::Get(title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
        m_menus.push_back(menu);
    }
    for (const SMenuItem& item : kMenuItems) {
        QMenu* menu = m_menus[static_cast<std::size_t>(item.menu)];
        if (item.id == 0)
            menu->addSeparator();
        else
            menu->addAction(m_actions[item.id]);
    }
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (int id : kToolBarItems) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions[id]);
    }
    m_logo = new CLogo(m_toolBar);
    m_logo->setToolTip(UiText::ToolTipOf(Cmd::kLogo));
    connect(m_logo, &QAbstractButton::clicked, this, &CMainFrame::OnLogoClick);
    connect(m_logo, &CLogo::left, statusBar(), &QStatusBar::clearMessage);
}

void CMainFrame::CreateStatusBar() {
    m_idleLabel = new QLabel(this);
    m_capsLabel = new QLabel(UiText::Get(Ids::kIndicatorCaps), this);
    m_numLabel = new QLabel(UiText::Get(Ids::kIndicatorNum), this);
    for (QLabel* label : {m_capsLabel, m_numLabel}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("CAPS")) + 8);
    }
    // A plain widget of the status bar is hidden while a menu or toolbar prompt
    // shows and comes back afterwards: the idle text rule as such.
    statusBar()->addWidget(m_idleLabel, 1);
    statusBar()->addPermanentWidget(m_capsLabel);
    statusBar()->addPermanentWidget(m_numLabel);
}

void CMainFrame::UpdateLockIndicators() {
    const std::optional<SLockKeys> keys = QueryLockKeys();
    // Where the lock state is unknown the panes stay empty rather than guess.
    m_capsLabel->setText(keys && keys->caps ? UiText::Get(Ids::kIndicatorCaps) : QString());
    m_numLabel->setText(keys && keys->num ? UiText::Get(Ids::kIndicatorNum) : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ApplicationStateChange)
        UpdateLockIndicators();
    return QMainWindow::eventFilter(watched, event);
}

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it != m_actions.end() ? it->second : nullptr;
}

void CMainFrame::SetCommandHandler(int id, CommandHandler handler) {
    m_handlers[id] = std::move(handler);
    UpdateCommandUi();
}

bool CMainFrame::IsCommandEnabled(int id) const {
    if (m_view) {
        if (const std::optional<bool> enabled = m_view->IsCommandEnabled(id)) return *enabled;
    }
    switch (id) {
        case Cmd::kCustomCurves:
        case Cmd::kCustomStatistics:
        case Cmd::kCheckUpdates:
        case Cmd::kUpdateSoftware: {
            const int handlerId = id == Cmd::kUpdateSoftware ? Cmd::kCheckUpdates : id;
            auto it = m_handlers.find(handlerId);
            return it != m_handlers.end() && it->second;
        }
        case Cmd::kDisconnect:
            return m_connection.IsConnected();
        default:
            return true;
    }
}

void CMainFrame::UpdateCommandUi() {
    // Changes reach the document without a title update too (a setting, a
    // sort): the mark follows whenever the commands are looked at again.
    ShowTitle();
    for (const auto& [id, action] : m_actions) action->setEnabled(IsCommandEnabled(id));
    if (m_noticeMenu) {
        for (QAction* action : m_noticeMenu->actions())
            action->setEnabled(IsCommandEnabled(action->data().toInt()));
    }
}

void CMainFrame::OnCommand(int id) {
    if (!IsCommandEnabled(id)) return;
    if (m_view && m_view->OnCommand(id)) {
        UpdateCommandUi();
        return;
    }
    switch (id) {
        case Cmd::kAppSettings:
            AppSettings();
            break;
        case Cmd::kExit:
            close();
            break;
        case Cmd::kDownloadAll:
            DownloadAll();
            break;
        case Cmd::kDeleteAll:
            DeleteAll();
            break;
        case Cmd::kUpgradeHammer:
            UpgradeFirmware();
            break;
        case Cmd::kCustomCurves:
        case Cmd::kCustomStatistics:
        case Cmd::kCheckUpdates:
        case Cmd::kUpdateSoftware: {
            auto it = m_handlers.find(id == Cmd::kUpdateSoftware ? Cmd::kCheckUpdates : id);
            if (it != m_handlers.end() && it->second) it->second();
            break;
        }
        case Cmd::kRegistration:
            OpenWebPage(Ids::kRegistrationUrl);
            break;
        case Cmd::kFeedback:
            OpenWebPage(Ids::kFeedbackUrl);
            break;
        case Cmd::kAbout:
            About();
            break;
        case Cmd::kDisconnect:
            m_keepAlive.stop();
            m_connection.Disconnect();
            break;
        default:
            break;
    }
    UpdateTitle();
    UpdateCommandUi();
}

void CMainFrame::UpdateTitle() {
    if (m_view) SetTitle(m_view->Title());
}

void CMainFrame::SetTitle(const QString& title) {
    m_title = title;
    ShowTitle();
}

void CMainFrame::ShowTitle() {
    // Unsaved changes are marked as the desktops mark them: a star after the name.
    const QString shown = m_doc->IsModified() ? m_title + QStringLiteral("*") : m_title;
    if (windowTitle() != shown) setWindowTitle(shown);
}

void CMainFrame::SetViewStatusText(const QString& text) {
    m_idleLabel->setText(text);
}

QString CMainFrame::IdleText() const {
    return m_idleLabel->text();
}

// --- Settings, about, web pages -------------------------------------------------------

void CMainFrame::AppSettings() {
    CAppSettingsDlg dialog(m_ctx.settings, m_ctx.programPath, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && dialog.LanguageChanged()) ReloadMenus();
    // Dates and times may read differently now, and texts may come from another module.
    m_view->RefreshAll();
}

void CMainFrame::ReloadMenus() {
    CQtTranslations::Apply(m_ctx.settings);
    RemoveNoticeMenu();
    RetranslateActions();
    BuildMenuBar();
    m_progress->Retranslate();
    UpdateHelpFile();
    UpdateLockIndicators();
    RebuildNoticeMenu();
    UpdateCommandUi();
}

void CMainFrame::UpdateHelpFile() {
    // The wizard's Help opens the manual, whose name the language module may change.
    m_connection.SetHelpFile(m_ctx.settings.HelpFilePath(UiText::Load(Ids::kManualFile)));
}

void CMainFrame::About() {
    CAboutDlg dialog(m_ctx.settings, this);
    dialog.exec();
}

void CMainFrame::OpenWebPage(unsigned addressId) {
    CShell::OpenUrlOrReport(QUrl(UiText::Get(addressId)), m_ctx.prompt);
}

void CMainFrame::OnLogoClick() {
    OpenWebPage(Ids::kMakerWebSite);
}

// --- Notice menu ----------------------------------------------------------------------

void CMainFrame::InteractiveUpdate() {
    if (!m_doc->CloseProject()) {
        UpdateTitle();
        return;
    }
    UpdateTitle();
    if (!m_autoUpdate->Run(this)) {
        UpdateCommandUi();
        return;
    }
    // The installer runs: the program makes way for it.
    m_doc->CloseProject();
    RemoveNoticeMenu();
    close();
}

void CMainFrame::OnSoftwareVersion(quint32 first, quint32 second) {
    SetSoftwareVersion(UnpackVersion(first, second));
}

void CMainFrame::OnFirmwareVersion(quint32 first, quint32 second) {
    SetFirmwareVersion(UnpackVersion(first, second));
}

void CMainFrame::SetSoftwareVersion(CVersion version) {
    m_softwareVersion = version;
    RebuildNoticeMenu();
}

void CMainFrame::SetFirmwareVersion(CVersion version) {
    m_firmwareVersion = version;
    RebuildNoticeMenu();
}

void CMainFrame::RemoveNoticeMenu() {
    if (!m_noticeMenu) return;
    menuBar()->removeAction(m_noticeMenu->menuAction());
    // Deleted later: the menu may be the sender of the command being carried out.
    m_noticeMenu->deleteLater();
    m_noticeMenu = nullptr;
}

void CMainFrame::RebuildNoticeMenu() {
    const QString software = m_softwareVersion.IsNone()
                                 ? QString()
                                 : UiText::Format(Ids::kUpdateSoftwareTo, m_softwareVersion.ToString3());
    const QString firmware = m_firmwareVersion.IsNone()
                                 ? QString()
                                 : UiText::Format(Ids::kUpdateFirmwareTo, m_firmwareVersion.ToString3());
    RemoveNoticeMenu();
    if (!software.isEmpty() || !firmware.isEmpty()) {
        m_noticeMenu = new QMenu(UiText::Get(Ids::kNewVersionAvailable), this);
        m_noticeMenu->setObjectName(QStringLiteral("noticeMenu"));
        auto add = [this](const QString& text, int id) {
            QAction* action = m_noticeMenu->addAction(text);
            action->setData(id);
            action->setStatusTip(UiText::PromptOf(static_cast<unsigned>(id)));
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        };
        if (!software.isEmpty()) add(software, Cmd::kUpdateSoftware);
        if (!firmware.isEmpty()) add(firmware, Cmd::kUpgradeHammer);
        menuBar()->addMenu(m_noticeMenu);
        UpdateCommandUi();
    }
    menuBar()->update();
}

// --- Window events --------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_doc->CloseProject()) {
        event->ignore();
        UpdateTitle();
        return;
    }
    RemoveNoticeMenu();
    m_keepAlive.stop();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray name = QFile::encodeName(url.toLocalFile());
        files.emplace_back(std::string(name.constData(), static_cast<std::size_t>(name.size())));
    }
    event->acceptProposedAction();
    if (!files.empty()) m_doc->OnDropFiles(files);
    UpdateTitle();
    UpdateCommandUi();
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    if (m_view) m_view->setFocus();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_logo) m_logo->Reposition();
}
