// The software update in the window: the background check at start fills the
// notice menu, and the update wizard searches, downloads in steps and starts
// the installer, against a real FTP server on 127.0.0.1.
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <fstream>
#include <thread>

#include "GuiTestSupport.h"
#include "core/text/TempDir.h"
#include "support/FtpServer.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"
#include "update/AutoUpdate.h"
#include "update/Sha256.h"
#include "update/UpdateStrings.h"
#include "update/UpdateWizard.h"

namespace {

using namespace GuiTest;

const std::string kFolder = "ZvUpgrade/Brelvantor/";
const std::string kInstaller = "Brelvantor_V_2_0_0_0.deb";

std::string Bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 31 + (i >> 9));
    return s;
}

// Lets the event loop run until `done` holds (or a generous bound passes).
template <class F>
bool SpinUntil(F done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

class UpdateGui : public CGuiTest {
  protected:
    void SetUp() override {
        CGuiTest::SetUp();
        const char* old = std::getenv("BRELVANTOR_UPDATE_SERVER");
        m_oldServer = old ? old : "";
    }
    void TearDown() override {
        CGuiTest::TearDown();
        setenv("BRELVANTOR_UPDATE_SERVER", m_oldServer.c_str(), 1);
    }
    void StartServer(CFtpServer::SOptions options = {}) {
        server = std::make_unique<CFtpServer>(m_dir / "srv", options);
        setenv("BRELVANTOR_UPDATE_SERVER", server->Url().c_str(), 1);
    }
    void Put(const std::string& name, const std::string& bytes) { server->Put(kFolder + name, bytes); }

    // Runs the update command with the wizard driven by `drive`; the
    // installer start is recorded instead of done.
    void RunWizard(CMainFrame& frame, std::function<void(CUpdateWizard&)> drive) {
        frame.AutoUpdate()->SetInstallerStarter([this](const std::filesystem::path& file) {
            started.push_back(file);
            return true;
        });
        frame.AutoUpdate()->SetWizardRunner([drive](CUpdateWizard& wizard) {
            wizard.Search();
            drive(wizard);
        });
        frame.OnCommand(Cmd::kCheckUpdates);
    }
    // Clicks Next and lets the transfer run to its end.
    static void Download(CUpdateWizard& wizard) {
        ASSERT_TRUE(wizard.NextButton()->isEnabled());
        bool finished = false;
        // `finished` lives only in this call; the drivers click Finish afterwards.
        const QMetaObject::Connection watch =
            QObject::connect(&wizard, &QDialog::finished, [&] { finished = true; });
        wizard.NextButton()->click();
        SpinUntil([&] {
            return finished || wizard.FinishButton()->isEnabled() || wizard.Bar()->isHidden() ||
                   (!wizard.CancelButton()->isEnabled() && !wizard.NextButton()->isEnabled());
        });
        QObject::disconnect(watch);
    }

    std::unique_ptr<CFtpServer> server;
    std::vector<std::filesystem::path> started;
    std::string m_oldServer;
};

TEST_F(UpdateGui, BackgroundCheckFillsTheNoticeMenu) {
    StartServer();
    Put(kInstaller, "x");
    CMainFrame& frame = Start();
    ASSERT_TRUE(SpinUntil([&] { return frame.NoticeMenu() != nullptr; }));
    const QList<QAction*> entries = frame.NoticeMenu()->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Update Brelvantor to version 2.0.0"));
    EXPECT_EQ(entries[0]->data().toInt(), Cmd::kUpdateSoftware);
    EXPECT_TRUE(entries[0]->isEnabled());
    EXPECT_TRUE(frame.IsCommandEnabled(Cmd::kCheckUpdates));
}

TEST_F(UpdateGui, NoConnectionAtStartMeansNoMessageAndNoMenu) {
    setenv("BRELVANTOR_UPDATE_SERVER", "ftp://a:b@127.0.0.1:1/", 1);
    CMainFrame& frame = Start();
    EXPECT_TRUE(frame.AutoUpdate()->StopBackgroundCheck());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.NoticeMenu(), nullptr);
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(UpdateGui, WizardDownloadsChecksAndStartsTheInstaller) {
    StartServer();
    const std::string bytes = Bytes(900000);
    Put(kInstaller, bytes);
    Put(kInstaller + ".sha256", Update::CSha256::ToHex(Update::CSha256::Of(bytes)) + "\n");
    Put("Brelvantor_V_1_5_0_0.deb", "older");
    CMainFrame& frame = Start({}, true);
    ASSERT_TRUE(frame.isVisible());
    frame.AutoUpdate()->StopBackgroundCheck();
    RunWizard(frame, [&](CUpdateWizard& w) {
        EXPECT_EQ(
            w.Line(22006)->text(),
            QStringLiteral("Found a newer version of Brelvantor on the server. \r\n Server version: 2.0.0 "
                           "\r\n Your version: 1.0.0"));
        EXPECT_TRUE(w.NextButton()->isEnabled());
        EXPECT_FALSE(w.FinishButton()->isEnabled());
        Download(w);
        EXPECT_EQ(w.Line(22015)->text(), QStringLiteral("0.86 MB downloaded"));
        EXPECT_EQ(w.Bar()->value(), 100);
    });
    const auto target = m_dir / "bin" / kInstaller;
    ASSERT_EQ(started, std::vector<std::filesystem::path>{target});
    EXPECT_EQ(CTempDir::Read(target), bytes);
    // The program makes way for the installer.
    EXPECT_FALSE(frame.isVisible());
}

TEST_F(UpdateGui, WizardFailurePaths) {
    StartServer({.dieAfter = 300000});
    Put(kInstaller, Bytes(900000));
    CMainFrame& frame = Start();
    frame.AutoUpdate()->StopBackgroundCheck();
    // The server goes away in the middle: the failure is shown, nothing is kept.
    RunWizard(frame, [&](CUpdateWizard& w) {
        Download(w);
        EXPECT_TRUE(w.FinishButton()->isEnabled());
        EXPECT_FALSE(w.CancelButton()->isEnabled());
        EXPECT_TRUE(w.Bar()->isHidden());
        EXPECT_TRUE(w.Line(22015)->isHidden());
        EXPECT_TRUE(w.Line(22011)->text().startsWith(UiText::Get(Update::kIdUnknownDownloadError)));
        w.FinishButton()->click();
    });
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "bin" / kInstaller));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "bin" / (kInstaller + ".part")));

    // No server at all: the failure stands on the search page, only Finish is usable.
    server->WaitExited();
    m_prompt.shown.clear();
    RunWizard(frame, [&](CUpdateWizard& w) {
        EXPECT_TRUE(w.FinishButton()->isEnabled());
        EXPECT_FALSE(w.NextButton()->isEnabled());
        EXPECT_TRUE(w.Line(22013)->isHidden());
        EXPECT_TRUE(w.Line(22003)->text().endsWith(QStringLiteral("(error 7)")))
            << w.Line(22003)->text().toStdString();
        w.FinishButton()->click();
    });
    // The failure was also shown as an error message.
    ASSERT_EQ(m_prompt.shown.size(), 1u);
    EXPECT_EQ(m_prompt.shown[0].icon, Text::MsgIcon::Error);
}

TEST_F(UpdateGui, ProgramFolderThatCannotTakeTheFileAsksWhere) {
    StartServer();
    const std::string bytes = Bytes(5000);
    Put(kInstaller, bytes);
    // A folder in the way of the partial file: the program folder cannot take it.
    std::filesystem::create_directories(m_dir / "bin" / (kInstaller + ".part"));
    CMainFrame& frame = Start();
    frame.AutoUpdate()->StopBackgroundCheck();

    // The save dialog cancelled: the page stops with a message.
    m_prompt.files.push_back(std::nullopt);
    RunWizard(frame, [&](CUpdateWizard& w) {
        Download(w);
        EXPECT_TRUE(w.FinishButton()->isEnabled());
        EXPECT_TRUE(w.Line(22011)->text().contains(QString::fromStdString(kInstaller)));
        w.FinishButton()->click();
    });
    EXPECT_TRUE(started.empty());

    // A chosen place that cannot take it either: the page stops, only Cancel is left.
    std::ofstream(m_dir / "a-file") << "x";
    m_prompt.files.push_back(m_dir / "a-file" / "x.deb");
    RunWizard(frame, [&](CUpdateWizard& w) {
        Download(w);
        EXPECT_TRUE(w.CancelButton()->isEnabled());
        EXPECT_FALSE(w.FinishButton()->isEnabled());
        EXPECT_FALSE(w.Line(22011)->text().isEmpty());
        w.CancelButton()->click();
    });
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "bin" / kInstaller));

    // A place chosen: the installer goes there and is started from there.
    const auto chosen = m_dir / "elsewhere.deb";
    m_prompt.files.push_back(chosen);
    RunWizard(frame, [&](CUpdateWizard& w) { Download(w); });
    ASSERT_EQ(started, std::vector<std::filesystem::path>{chosen});
    EXPECT_EQ(CTempDir::Read(chosen), bytes);
}

TEST_F(UpdateGui, FirmwareCheckAfterConnectingFillsTheNoticeMenu) {
    StartServer();
    // The simulated L hammer: device code 05010000, application 2.4.1.
    server->Put("ZvUpgrade/05010000/TB-V2.5.0_FW.lod", "fw");
    server->Put("ZvUpgrade/05010000/TB-V9.0.0_FW.LOD", "upper case");
    CSimLine line(LoadState("new-format-L.json"));
    UsePort(line);
    CMainFrame& frame = Start();
    frame.AutoUpdate()->StopBackgroundCheck();
    SWizardScript wizard;
    frame.Connection().SetWizardRunner(std::ref(wizard));
    m_prompt.answers = {Text::MsgResult::No};
    frame.OnCommand(Cmd::kDownloadAll);
    ASSERT_TRUE(frame.Connection().HasFirmwareCheck());
    ASSERT_TRUE(SpinUntil([&] { return frame.NoticeMenu() != nullptr; }));
    const QList<QAction*> entries = frame.NoticeMenu()->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Update Talvenbrecker to version 2.5.0"));
    EXPECT_EQ(entries[0]->data().toInt(), Cmd::kUpgradeHammer);
    EXPECT_EQ(frame.FirmwareVersion(), CVersion(2, 5, 0, 0));
    frame.OnCommand(Cmd::kDisconnect);
    EXPECT_FALSE(frame.Connection().HasFirmwareCheck());
}

}  // namespace
