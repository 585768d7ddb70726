// The notice menu "New version available!" follows the two version values, and
// the firmware entry starts the upgrade tool.
#include <sys/stat.h>

#include <QMenu>
#include <QMenuBar>

#include "GuiTestSupport.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "ui/CommandIds.h"

namespace {

using namespace GuiTest;

// The entries of the notice menu as (text, command id); empty when it is absent.
std::vector<std::pair<QString, int>> NoticeEntries(CMainFrame& frame) {
    std::vector<std::pair<QString, int>> out;
    QMenu* menu = frame.NoticeMenu();
    if (menu == nullptr) return out;
    for (QAction* a : menu->actions()) out.emplace_back(a->text(), a->data().toInt());
    return out;
}

bool NoticeIsLastMenu(CMainFrame& frame) {
    const QList<QAction*> menus = frame.menuBar()->actions();
    return frame.NoticeMenu() != nullptr && !menus.isEmpty() &&
           menus.back() == frame.NoticeMenu()->menuAction();
}

TEST_F(CGuiTest, VersionPartsArePackedAsTheUpdateChecksSendThem) {
    EXPECT_EQ(CMainFrame::UnpackVersion(1 | (2u << 16), 3 | (4u << 16)), CVersion(1, 2, 3, 4));
    EXPECT_EQ(CMainFrame::UnpackVersion(0xFFFF, 0xFFFF0000u), CVersion(0xFFFF, 0, 0, 0xFFFF));
    EXPECT_TRUE(CMainFrame::UnpackVersion(0, 0).IsNone());
}

TEST_F(CGuiTest, NoticeMenuAppearsAndDisappearsWithTheVersions) {
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.NoticeMenu(), nullptr);
    EXPECT_EQ(frame.menuBar()->actions().size(), 4);

    frame.OnSoftwareVersion(1 | (3u << 16), 7 | (9u << 16));
    ASSERT_TRUE(NoticeIsLastMenu(frame));
    EXPECT_EQ(frame.NoticeMenu()->title(), QStringLiteral("New version available!"));
    EXPECT_EQ(NoticeEntries(frame), (std::vector<std::pair<QString, int>>{
                                        {QStringLiteral("Update Brelvantor to version 1.3.7"), 59603}}));

    frame.OnFirmwareVersion(2 | (4u << 16), 0);
    EXPECT_EQ(NoticeEntries(frame), (std::vector<std::pair<QString, int>>{
                                        {QStringLiteral("Update Brelvantor to version 1.3.7"), 59603},
                                        {QStringLiteral("Update Talvenbrecker to version 2.4.0"), 108}}));

    frame.OnSoftwareVersion(0, 0);
    EXPECT_EQ(NoticeEntries(frame), (std::vector<std::pair<QString, int>>{
                                        {QStringLiteral("Update Talvenbrecker to version 2.4.0"), 108}}));
    EXPECT_TRUE(NoticeIsLastMenu(frame));

    frame.OnFirmwareVersion(0, 0);
    EXPECT_EQ(frame.NoticeMenu(), nullptr);
    EXPECT_EQ(frame.menuBar()->actions().size(), 4);
}

TEST_F(CGuiTest, NoticeMenuSurvivesAMenuReload) {
    CMainFrame& frame = Start();
    frame.SetFirmwareVersion(CVersion(3, 1, 0, 0));
    frame.ReloadMenus();
    EXPECT_TRUE(NoticeIsLastMenu(frame));
    EXPECT_EQ(frame.menuBar()->actions().size(), 5);
}

class UpgradeTool : public CGuiTest, public ::testing::WithParamInterface<bool> {
  protected:
    // A stand-in for the upgrade tool that notes its arguments.
    void InstallTool() {
        const fs::path tool = m_dir / "bin" / "ZvUpgrade";
        WriteFile(tool, "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/arguments.txt\"\n");
        chmod(tool.c_str(), 0755);
    }
};

// The firmware entry: the entry goes at once, the tool's settings are written,
// the tool runs with its arguments and the program waits for it. A missing
// tool is said, with the path where it was looked for.
TEST_P(UpgradeTool, FirmwareEntryWritesSettingsAndRunsTheTool) {
    const bool toolPresent = GetParam();
    if (toolPresent) InstallTool();
    CMainFrame& frame = Start();
    frame.SetFirmwareVersion(CVersion(2, 5, 0, 0));
    ASSERT_NE(frame.NoticeMenu(), nullptr);
    frame.NoticeMenu()->actions().front()->trigger();

    EXPECT_EQ(frame.NoticeMenu(), nullptr);
    EXPECT_TRUE(frame.FirmwareVersion().IsNone());
    if (toolPresent) {
        EXPECT_TRUE(m_prompt.shown.empty());
    } else {
        ASSERT_EQ(m_prompt.ShownIds(), (std::vector<unsigned>{Ids::kToolMissing}));
        EXPECT_NE(std::u16string::npos,
                  m_prompt.shown[0].text.find(Text::FromUtf8((m_dir / "bin" / "ZvUpgrade").string())));
    }
    const fs::path arguments = m_dir / "bin" / "arguments.txt";
    if (toolPresent) {
        std::ifstream in(arguments);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "-DeviceTypeList 05-01000-0");
    } else {
        EXPECT_FALSE(fs::exists(arguments));
    }
    Settings::CSettingsStore& store = m_app->Store();
    const std::u16string key = u"Software\\Tolvex\\ZvUpgrade\\Settings";
    const std::u16string folder = m_app->AppSettings().Pfad();
    auto pfad = store.ReadValue(key, u"Pfad");
    auto language = store.ReadValue(key, u"LanguageFile");
    ASSERT_TRUE(pfad && language);
    EXPECT_EQ(pfad->text, folder);
    EXPECT_EQ(language->text, folder + u"/ZvUpgrade");
}

INSTANTIATE_TEST_SUITE_P(Tool, UpgradeTool, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Present" : "Missing"); });

}  // namespace
