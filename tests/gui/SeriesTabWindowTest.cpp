// The Series tab as part of the whole window: what the summary page, the
// commands and the keyboard do to the table.
#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <QTest>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "ui/CommandIds.h"
#include "ui/grid/GridView.h"
#include "views/ChildView.h"
#include "views/TabGrid.h"
#include "views/TabPage.h"
#include "views/TabSheet.h"
#include "views/series/GridCellDetailGripper.h"
#include "views/series/SeriesView.h"

namespace {

using namespace GuiTest;

CGridCellDetailGripper* GripperOf(CMainFrame& frame, int series) {
    CGridView* grid = frame.View()->SeriesPage()->Table();
    return dynamic_cast<CGridCellDetailGripper*>(grid->Cell(CSeriesView::MainRow(series), 0));
}

// The summary is built when its page is looked at; the series it takes out
// (a unit that does not fit the rest) show as out in the table at once.
TEST_F(CGuiTest, SeriesTheSummaryTakesOutShowAsOutInTheTable) {
    CMainFrame& frame = Start({}, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CHammerDoc& doc = frame.Doc();
    doc.TakeOverDownload(GuiFixture::MakeSeries(3));
    CGridView* grid = frame.View()->SeriesPage()->Table();
    // Another unit for one series, as its detail area's unit chooser sets it.
    doc.WorkingData().SetUnit(2, kUnitPSI);
    doc.NotifyViews(nullptr, 2);
    grid->viewport()->repaint();
    ASSERT_TRUE(GripperOf(frame, 2)->IsInSummary());

    frame.View()->Sheet()->setCurrentIndex(1);
    QApplication::processEvents();
    ASSERT_EQ(0, doc.WorkingData().GetUseInSummary(2));
    frame.View()->Sheet()->setCurrentIndex(0);
    grid->viewport()->repaint();
    EXPECT_FALSE(GripperOf(frame, 2)->IsInSummary());
    EXPECT_TRUE(GripperOf(frame, 0)->IsInSummary());
    EXPECT_TRUE(GripperOf(frame, 1)->IsInSummary());
}

// The keys every desktop program has, on the commands they stand for.
TEST_F(CGuiTest, TheStandardKeysCarryOutTheirCommands) {
    CMainFrame& frame = Start({}, true);
    struct SKey {
        int id;
        QKeySequence::StandardKey key;
        const char* plain;  // when the desktop has none of its own
    };
    const SKey keys[] = {
        {Cmd::kOpenProject, QKeySequence::Open, "Ctrl+O"},
        {Cmd::kSaveProject, QKeySequence::Save, "Ctrl+S"},
        {Cmd::kSaveProjectAs, QKeySequence::SaveAs, "Ctrl+Shift+S"},
        {Cmd::kCloseProject, QKeySequence::Close, "Ctrl+W"},
        {Cmd::kPrint, QKeySequence::Print, "Ctrl+P"},
        {Cmd::kExit, QKeySequence::Quit, "Ctrl+Q"},
        {Cmd::kHelp, QKeySequence::HelpContents, "F1"},
        {Cmd::kCopy, QKeySequence::Copy, "Ctrl+C"},
        {Cmd::kSelectAll, QKeySequence::SelectAll, "Ctrl+A"},
    };
    for (const SKey& k : keys) {
        QList<QKeySequence> expected = QKeySequence::keyBindings(k.key);
        if (expected.isEmpty()) expected = {QKeySequence(QString::fromLatin1(k.plain))};
        EXPECT_EQ(frame.Action(k.id)->shortcuts(), expected) << k.plain;
    }
    // And a real key press: Ctrl+S saves the downloaded series under a new name.
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(2));
    frame.UpdateCommandUi();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    const fs::path saved = m_dir / "keys.zvh";
    m_prompt.files = {saved};
    QTest::keySequence(&frame, QKeySequence(QKeySequence::Save));
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_FALSE(frame.Doc().IsModified());
}

// Unsaved changes show in the title; the program's name stands there once,
// with nothing for the desktop to add.
TEST_F(CGuiTest, TheTitleMarksUnsavedChangesAndNamesTheProgramOnce) {
    CMainFrame& frame = Start({}, true);
    auto shown = [&] {
        // What Qt hands the window manager: the title, and the display name
        // after it unless the title ends with it.
        QString title = frame.windowTitle();
        const QString name = QGuiApplication::applicationDisplayName();
        if (!name.isEmpty() && !title.endsWith(name)) title += QStringLiteral(" \u2014 ") + name;
        return title;
    };
    EXPECT_EQ(shown(), QStringLiteral("TOLVEX BRELVANTOR"));
    frame.Doc().TakeOverDownload(GuiFixture::MakeSeries(2));
    EXPECT_EQ(shown(), QStringLiteral("TOLVEX BRELVANTOR*"));
    const fs::path saved = m_dir / "site.zvh";
    m_prompt.files = {saved};
    frame.OnCommand(Cmd::kSaveProjectAs);
    const QString titled = QStringLiteral("TOLVEX BRELVANTOR - ") + QString::fromStdString(saved.string());
    EXPECT_EQ(shown(), titled);
    // A change that reaches the window by the document's notice only.
    frame.Doc().SetSeriesName(0, u"renamed");
    EXPECT_EQ(shown(), titled + QStringLiteral("*"));
    EXPECT_EQ(
        1,
        shown().count(QStringLiteral("brelvantor"), Qt::CaseInsensitive) -
            QString::fromStdString(saved.string()).count(QStringLiteral("brelvantor"), Qt::CaseInsensitive));
}

// The summary's table print says whether the printer took the job.
TEST_F(CGuiTest, TheSummaryPrintSaysWhetherThePrinterTookTheJob) {
    auto print = [&](const fs::path& file) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file.string()));
        return CTabPage::PrintTableTo(printer, QStringLiteral("Summary"), QStringLiteral("a\tb\r\nc\td\r\n"));
    };
    EXPECT_FALSE(print(m_dir / "missing" / "summary.pdf"));
    EXPECT_TRUE(print(m_dir / "summary.pdf"));
    EXPECT_GT(fs::file_size(m_dir / "summary.pdf"), 0u);
}

}  // namespace
