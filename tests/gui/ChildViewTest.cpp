// The client view's commands: help files, web pages, restore, export, title.
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "app/Logo.h"
#include "app/RemoteLoginDlg.h"
#include "settings/AppSettings.h"
#include "text/Encoding.h"
#include "ui/CommandIds.h"
#include "ui/grid/GridView.h"
#include "views/ChildView.h"
#include "views/TabGrid.h"
#include "views/TabSheet.h"
#include "views/TabSummary.h"

namespace {

using namespace GuiTest;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CChildViewTest : public CGuiTest {
  protected:
    void SetUp() override {
        CGuiTest::SetUp();
        CShell::SetOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    std::vector<QUrl> opened;
};

struct SOpenCase {
    const char* name;
    int command;
    const char* expected;  // a URL, or a file name in the update folder when it has no scheme
};

const SOpenCase kOpenCases[] = {
    {"Manual", Cmd::kHelp, "BRELVANTOR_ENU.pdf"},
    {"UpgradeHelp", Cmd::kHelpUpgrade, "ZvUpgrade.chm"},
    {"Registration", Cmd::kRegistration, "https://www.tolvex.example/brelvantor/register"},
    {"Feedback", Cmd::kFeedback, "https://www.tolvex.example/brelvantor/feedback"},
    {"Logo", Cmd::kLogo, "https://www.tolvex.example/"},
};

class OpenWithDesktop : public CChildViewTest, public ::testing::WithParamInterface<SOpenCase> {};

bool IsFileCase(const SOpenCase& c) {
    return !QString::fromLatin1(c.expected).startsWith(QStringLiteral("https:"));
}

TEST_P(OpenWithDesktop, OpensTheRightFileOrAddress) {
    const SOpenCase& c = GetParam();
    if (IsFileCase(c)) WriteFile(m_dir / "bin" / c.expected, "help");
    CMainFrame& frame = Start();
    if (c.command == Cmd::kLogo)
        frame.OnLogoClick();
    else
        frame.OnCommand(c.command);
    ASSERT_EQ(opened.size(), 1u);
    const QString expected = QString::fromLatin1(c.expected);
    if (expected.startsWith(QStringLiteral("https:"))) {
        EXPECT_EQ(opened[0], QUrl(expected));
    } else {
        // The update folder is the program's folder by default.
        EXPECT_EQ(opened[0],
                  QUrl::fromLocalFile(QString::fromStdString((m_dir / "bin" / c.expected).string())));
    }
    EXPECT_TRUE(m_prompt.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, OpenWithDesktop, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A missing help file, or a desktop without a viewer or a browser, is said,
// with the path or the address; the desktop's own handlers would stay silent.
class OpenFails : public CGuiTest, public ::testing::WithParamInterface<SOpenCase> {};

TEST_P(OpenFails, TheUserIsToldWhatCouldNotBeOpened) {
    const SOpenCase& c = GetParam();
    int attempts = 0;
    CShell::SetOpener([&](const QUrl&) {
        ++attempts;
        return false;  // no viewer, no browser
    });
    CMainFrame& frame = Start();
    auto run = [&] {
        if (c.command == Cmd::kLogo)
            frame.OnLogoClick();
        else
            frame.OnCommand(c.command);
    };
    if (IsFileCase(c)) {
        const std::string path = (m_dir / "bin" / c.expected).string();
        run();
        EXPECT_EQ(0, attempts);
        ASSERT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{Ids::kFileMissing}));
        EXPECT_NE(std::u16string::npos, m_prompt.shown[0].text.find(Text::FromUtf8(path)));
        m_prompt.shown.clear();
        WriteFile(m_dir / "bin" / c.expected, "help");
        run();
        EXPECT_EQ(1, attempts);
        ASSERT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{Ids::kNoViewer}));
        EXPECT_NE(std::u16string::npos, m_prompt.shown[0].text.find(Text::FromUtf8(path)));
    } else {
        run();
        EXPECT_EQ(1, attempts);
        ASSERT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{Ids::kNoBrowser}));
        EXPECT_NE(std::u16string::npos, m_prompt.shown[0].text.find(Text::FromUtf8(c.expected)));
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, OpenFails, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SRestoreCase {
    const char* name;
    Text::MsgResult answer;
    bool restored;
};

const SRestoreCase kRestoreCases[] = {
    {"Yes", Text::MsgResult::Yes, true},
    {"No", Text::MsgResult::No, false},
    {"Cancel", Text::MsgResult::Cancel, false},
};

class Restore : public CChildViewTest, public ::testing::WithParamInterface<SRestoreCase> {};

TEST_P(Restore, OnlyYesBringsTheOriginalDataBack) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 3));
    CMainFrame& frame = Start({QString::fromStdString(project.string())});
    std::vector<std::uint8_t> first{1, 0, 0};
    ASSERT_TRUE(frame.Doc().DeleteSelected(first, false));
    // Each series has its main row and its detail row.
    ASSERT_EQ(frame.View()->SeriesPage()->Table()->model()->rowCount(), 2 * 2);
    m_prompt.answers = {GetParam().answer};
    frame.OnCommand(Cmd::kRestoreOriginal);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59519}));
    EXPECT_EQ(m_prompt.shown[0].buttons, Text::MsgButtons::YesNoCancel);
    EXPECT_EQ(m_prompt.shown[0].icon, Text::MsgIcon::Question);
    const int rows = GetParam().restored ? 3 : 2;
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), rows);
    EXPECT_EQ(frame.View()->SeriesPage()->Table()->model()->rowCount(), 2 * rows);
}

INSTANTIATE_TEST_SUITE_P(Answers, Restore, ::testing::ValuesIn(kRestoreCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Export writes the active page's text as UTF-16 with a byte-order mark.
TEST_F(CChildViewTest, ExportWritesTheActivePagesText) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 2));
    CMainFrame& frame = Start({QString::fromStdString(project.string())}, true);
    for (int tab : {0, 1}) {
        frame.View()->Sheet()->setCurrentIndex(tab);
        const fs::path out = m_dir / (tab == 0 ? "table.txt" : "summary.txt");
        m_prompt.files = {out};
        frame.OnCommand(Cmd::kExport);
        const std::string bytes = ReadBytes(out);
        ASSERT_GE(bytes.size(), 4u) << tab;
        EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
        EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2),
                                                static_cast<qsizetype>((bytes.size() - 2) / 2));
        if (tab == 0) {
            EXPECT_EQ(text.count(QStringLiteral("\r\n")), 2);  // header, then a line per series
            EXPECT_TRUE(text.contains(QStringLiteral("1000")));
        } else {
            EXPECT_FALSE(text.isEmpty());
            EXPECT_EQ(frame.View()->SummaryPage()->Text().isEmpty(), false);
        }
    }
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(CChildViewTest, ExportToAFolderThatCannotHoldItIsReported) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 1));
    CMainFrame& frame = Start({QString::fromStdString(project.string())});
    m_prompt.files = {m_dir / "no-such-folder" / "table.txt"};
    frame.OnCommand(Cmd::kExport);
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{62501}));
    EXPECT_EQ(m_prompt.shown[0].icon, Text::MsgIcon::Error);
    EXPECT_FALSE(fs::exists(m_dir / "no-such-folder"));
}

TEST_F(CChildViewTest, CancelledExportWritesNothing) {
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 1));
    CMainFrame& frame = Start({QString::fromStdString(project.string())});
    frame.OnCommand(Cmd::kExport);  // no file chosen
    EXPECT_TRUE(m_prompt.shown.empty());
}

// Save As names the window after the new file; closing the project empties it.
TEST_F(CChildViewTest, TitleFollowsTheProjectCommands) {
    CMainFrame& frame = Start();
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(2));
    const fs::path saved = m_dir / "saved.zvh";
    m_prompt.files = {saved};
    frame.OnCommand(Cmd::kSaveProjectAs);
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_EQ(frame.windowTitle(),
              QStringLiteral("TOLVEX BRELVANTOR - ") + QString::fromStdString(saved.string()));
    EXPECT_FALSE(frame.Action(Cmd::kSaveProject)->isEnabled());
    frame.OnCommand(Cmd::kCloseProject);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("TOLVEX BRELVANTOR"));
    EXPECT_EQ(frame.View()->SeriesPage()->Table()->model()->rowCount(), 0);
    EXPECT_TRUE(m_prompt.shown.empty());
}

// Closing the window asks to save unsaved series; Cancel keeps it open.
TEST_F(CChildViewTest, ClosingAsksToSaveAndCancelKeepsTheWindow) {
    CMainFrame& frame = Start({}, true);
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(1));
    m_prompt.answers = {Text::MsgResult::Cancel};
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{59399}));
    m_prompt.answers = {Text::MsgResult::No};
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 0);
}

TEST_F(CChildViewTest, TabCaptionsAndSummaryFollowTheDocument) {
    CMainFrame& frame = Start({}, true);
    EXPECT_EQ(frame.View()->Sheet()->tabText(0), QStringLiteral("Series"));
    EXPECT_EQ(frame.View()->Sheet()->tabText(1), QStringLiteral("Summary"));
    frame.View()->Sheet()->setCurrentIndex(1);
    EXPECT_TRUE(frame.View()->SummaryPage()->Text().isEmpty());
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(3));
    EXPECT_FALSE(frame.View()->SummaryPage()->Text().isEmpty());
}

}  // namespace

namespace {

using namespace GuiTest;

// The logo sits at the right end of the toolbar row and steps aside when the
// window is too narrow for it and the buttons.
TEST_F(CGuiTest, LogoKeepsToTheRightAndHidesWhenItWouldCoverAButton) {
    CMainFrame& frame = Start({}, true);
    frame.resize(1100, 600);
    ASSERT_TRUE(WaitFor([&] { return frame.ToolBar()->width() > 1000; }));
    frame.Logo()->Reposition();
    EXPECT_TRUE(frame.Logo()->isVisible());
    EXPECT_GT(frame.Logo()->geometry().left(), frame.ToolBar()->width() / 2);
    EXPECT_LE(frame.Logo()->geometry().right(), frame.ToolBar()->width());
    EXPECT_EQ(frame.Logo()->toolTip(), QStringLiteral("Tolvex web site"));

    frame.resize(420, 600);
    ASSERT_TRUE(WaitFor([&] { return frame.ToolBar()->width() < 500; }));
    frame.Logo()->Reposition();
    EXPECT_FALSE(frame.Logo()->isVisible());

    frame.resize(1100, 600);
    ASSERT_TRUE(WaitFor([&] { return frame.ToolBar()->width() > 1000; }));
    frame.Logo()->Reposition();
    EXPECT_TRUE(frame.Logo()->isVisible());
}

TEST_F(CGuiTest, StatusBarShowsTheViewsTextWhenIdle) {
    CMainFrame& frame = Start({}, true);
    EXPECT_TRUE(frame.IdleText().isEmpty());
    frame.SetViewStatusText(QStringLiteral("3 series selected"));
    EXPECT_EQ(frame.IdleText(), QStringLiteral("3 series selected"));
}

struct SLoginCase {
    const char* name;
    bool ok;
};

class RemoteLogin : public ::testing::TestWithParam<SLoginCase> {};

TEST_P(RemoteLogin, DialogGivesTheEnteredCredentialsOnlyOnOk) {
    CRemoteLoginDlg dialog(nullptr);
    const bool ok = GetParam().ok;
    WhenModal([ok](QWidget* modal) {
        const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
        ASSERT_EQ(fields.size(), 2);
        EXPECT_EQ(fields[0]->text(), QStringLiteral("inspector"));
        fields[1]->setText(QStringLiteral("s3cret"));
        auto* buttons = modal->findChild<QDialogButtonBox*>();
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    const auto credentials = dialog.AskCredentials(u"inspector");
    ASSERT_EQ(credentials.has_value(), ok);
    if (ok) {
        EXPECT_EQ(credentials->User, u"inspector");
        EXPECT_EQ(credentials->Password, u"s3cret");
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, RemoteLogin,
                         ::testing::Values(SLoginCase{"Ok", true}, SLoginCase{"Cancel", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
