// Which commands the menus and the toolbar offer, for the states a user meets:
// an empty project, a project with series, a modified one, with and without a
// selection, on either tab.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolBar>
#include <set>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "ui/CommandIds.h"
#include "views/ChildView.h"
#include "ui/grid/GridView.h"
#include "views/TabGrid.h"
#include "views/TabSheet.h"

namespace {

using namespace GuiTest;

enum class EDoc { Empty, Opened, Downloaded };

struct SEnablingCase {
    const char* name;
    EDoc doc;
    int tab;         // 0 series, 1 summary
    bool selectAll;  // every row selected before asking
    bool copyFirst;  // series copied to the clipboard before asking
    std::set<int> enabled;
};

// Every command of the menus, the disconnect command and the notice menu's.
const int kAllCommands[] = {Cmd::kOpenProject,
                            Cmd::kCloseProject,
                            Cmd::kSaveProject,
                            Cmd::kSaveProjectAs,
                            Cmd::kRestoreOriginal,
                            Cmd::kExport,
                            Cmd::kPrint,
                            Cmd::kAppSettings,
                            Cmd::kExit,
                            Cmd::kDownloadAll,
                            Cmd::kDeleteAll,
                            Cmd::kCustomCurves,
                            Cmd::kCustomStatistics,
                            Cmd::kUpgradeHammer,
                            Cmd::kSelectAll,
                            Cmd::kCut,
                            Cmd::kCopy,
                            Cmd::kPaste,
                            Cmd::kDelete,
                            Cmd::kCopyPicture,
                            Cmd::kCreateOneSeries,
                            Cmd::kCheckUpdates,
                            Cmd::kHelp,
                            Cmd::kHelpUpgrade,
                            Cmd::kRegistration,
                            Cmd::kFeedback,
                            Cmd::kAbout,
                            Cmd::kDisconnect};

// Enabled whatever the project holds.
const std::set<int> kAlways = {Cmd::kOpenProject,  Cmd::kAppSettings,   Cmd::kExit,        Cmd::kDownloadAll,
                               Cmd::kDeleteAll,    Cmd::kUpgradeHammer, Cmd::kHelp,        Cmd::kHelpUpgrade,
                               Cmd::kRegistration, Cmd::kFeedback,      Cmd::kAbout,       Cmd::kCheckUpdates,
                               Cmd::kCustomCurves, Cmd::kCustomStatistics};
const std::set<int> kWithSeries = {Cmd::kCloseProject, Cmd::kSaveProjectAs, Cmd::kRestoreOriginal,
                                   Cmd::kExport,       Cmd::kPrint,         Cmd::kCreateOneSeries};

std::set<int> Join(std::initializer_list<std::set<int>> sets) {
    std::set<int> out;
    for (const auto& s : sets) out.insert(s.begin(), s.end());
    return out;
}

const SEnablingCase kCases[] = {
    {"EmptyProject", EDoc::Empty, 0, false, false, kAlways},
    {"EmptyProjectSummaryTab", EDoc::Empty, 1, false, false, kAlways},
    {"OpenedProjectNothingSelected", EDoc::Opened, 0, false, false,
     Join({kAlways, kWithSeries, {Cmd::kSelectAll}})},
    {"OpenedProjectAllSelected", EDoc::Opened, 0, true, false,
     Join({kAlways, kWithSeries, {Cmd::kSelectAll, Cmd::kCopy, Cmd::kCut, Cmd::kDelete, Cmd::kCopyPicture}})},
    {"DownloadedProjectIsModified", EDoc::Downloaded, 0, false, false,
     Join({kAlways, kWithSeries, {Cmd::kSelectAll, Cmd::kSaveProject}})},
    {"SeriesOnClipboard", EDoc::Opened, 0, true, true,
     Join({kAlways, kWithSeries, {Cmd::kSelectAll, Cmd::kCopy, Cmd::kCut, Cmd::kDelete, Cmd::kPaste, Cmd::kCopyPicture}})},
    // The summary page answers none of the editing queries; print and export
    // act on the summary.
    {"SummaryTabWithSelectionAndClipboard", EDoc::Opened, 1, true, true, Join({kAlways, kWithSeries})},
};

class CommandEnabling : public CGuiTest, public ::testing::WithParamInterface<SEnablingCase> {};

TEST_P(CommandEnabling, MenusAndToolbarFollowTheRules) {
    const SEnablingCase& c = GetParam();
    const fs::path project = m_dir / "site.zvh";
    ASSERT_TRUE(GuiFixture::WriteProject(project, 3));
    CMainFrame& frame =
        Start(c.doc == EDoc::Opened ? QStringList{QString::fromStdString(project.string())} : QStringList{});
    if (c.doc == EDoc::Downloaded) frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(2));
    CChildView* view = frame.View();
    if (c.selectAll) view->SeriesPage()->Table()->selectAll();
    if (c.copyFirst) frame.OnCommand(Cmd::kCopy);
    view->Sheet()->setCurrentIndex(c.tab);

    for (int id : kAllCommands) {
        const bool expected = c.enabled.count(id) != 0;
        EXPECT_EQ(frame.IsCommandEnabled(id), expected) << "command " << id;
        if (QAction* action = frame.Action(id)) {
            EXPECT_EQ(action->isEnabled(), expected) << "action " << id;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(States, CommandEnabling, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The menu bar holds exactly the command table's entries, in its order.
TEST_F(CGuiTest, MenuBarListsTheCommandsInOrder) {
    CMainFrame& frame = Start();
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("Device"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("&Help"));
    auto ids = [](QAction* menuAction) {
        std::vector<int> out;
        for (QAction* a : menuAction->menu()->actions())
            out.push_back(a->isSeparator() ? 0 : a->data().toInt());
        return out;
    };
    EXPECT_EQ(ids(menus[0]),
              (std::vector<int>{57601, 57602, 0, 57603, 2010, 0, 2021, 0, 104, 105, 0, 120, 0, 57665}));
    EXPECT_EQ(ids(menus[1]), (std::vector<int>{2029, 2018, 2041, 2090, 0, 108}));
    EXPECT_EQ(ids(menus[2]), (std::vector<int>{2032, 0, 2093, 111, 2094, 2024, 0, 112, 0, 2037}));
    EXPECT_EQ(ids(menus[3]), (std::vector<int>{2033, 0, 57670, 109, 0, 2107, 2108, 0, 57664}));
    EXPECT_EQ(frame.Action(Cmd::kCopy)->text(), QStringLiteral("Copy\t(Ctrl+C)"));

    std::vector<int> bar;
    for (QAction* a : frame.ToolBar()->actions()) bar.push_back(a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(bar, (std::vector<int>{2029, 108, 0, 57601, 57603, 0, 111, 112, 104, 105, 0, 57670}));
    EXPECT_EQ(frame.ToolBar()->iconSize(), QSize(32, 32));
}

TEST_F(CGuiTest, PromptsAndToolTipsComeFromTheCommandsStrings) {
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.Action(Cmd::kOpenProject)->statusTip(),
              QStringLiteral("Opens a Brelvantor project file (*.zvh)"));
    EXPECT_EQ(frame.Action(Cmd::kOpenProject)->toolTip(), QStringLiteral("Open Brelvantor project file"));
    EXPECT_EQ(frame.Action(Cmd::kUpgradeHammer)->toolTip(),
              QStringLiteral("Upgrade Talvenbrecker firmware (ZvUpgrade)"));
    EXPECT_EQ(frame.Action(Cmd::kDisconnect)->statusTip(), QStringLiteral("Disconnect Talvenbrecker device"));
}

TEST_F(CGuiTest, CommandsOfMissingDialogsWorkOnceTheyAreGiven) {
    CMainFrame& frame = Start();
    int opened = 0;
    frame.SetCommandHandler(Cmd::kCustomCurves, nullptr);
    EXPECT_FALSE(frame.Action(Cmd::kCustomCurves)->isEnabled());
    frame.SetCommandHandler(Cmd::kCustomCurves, [&] { ++opened; });
    EXPECT_TRUE(frame.Action(Cmd::kCustomCurves)->isEnabled());
    frame.Action(Cmd::kCustomCurves)->trigger();
    EXPECT_EQ(opened, 1);
}

}  // namespace
