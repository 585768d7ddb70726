// Files dropped on the main window: the first one counts, and only a project.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"

namespace {

using namespace GuiTest;

struct SDropCase {
    const char* name;
    std::vector<const char*> files;  // names in the test folder, dropped in this order
    const char* opened;              // nullptr: nothing opens
};

const SDropCase kCases[] = {
    {"UpperCaseProject", {"A.ZVH"}, "A.ZVH"},
    {"TextFile", {"notes.txt"}, nullptr},
    {"FirstOfSeveral", {"A.ZVH", "b.zvh"}, "A.ZVH"},
    {"OnlyTheFirstCounts", {"notes.txt", "A.ZVH"}, nullptr},
};

class Drop : public CGuiTest, public ::testing::WithParamInterface<SDropCase> {};

TEST_P(Drop, OpensOnlyAProjectDroppedFirst) {
    const SDropCase& c = GetParam();
    ASSERT_TRUE(GuiFixture::WriteProject(m_dir / "A.ZVH", 2));
    ASSERT_TRUE(GuiFixture::WriteProject(m_dir / "b.zvh", 1));
    WriteFile(m_dir / "notes.txt", "hello\n");
    CMainFrame& frame = Start({}, true);

    QMimeData data;
    QList<QUrl> urls;
    for (const char* name : c.files)
        urls << QUrl::fromLocalFile(QString::fromStdString((m_dir / name).string()));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);

    if (c.opened) {
        EXPECT_EQ(frame.Doc().GetPath(), m_dir / c.opened);
        EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 2);
        EXPECT_TRUE(frame.windowTitle().endsWith(QString::fromLatin1(c.opened)));
    } else {
        EXPECT_TRUE(frame.Doc().GetPath().empty());
        EXPECT_EQ(frame.Doc().WorkingData().GetCount(), 0);
    }
    EXPECT_TRUE(m_prompt.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, Drop, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
