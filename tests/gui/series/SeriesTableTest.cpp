// The series table: its texts, sorting, selection, the choosers applied to
// the selected series, and the editing commands through the document.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <fstream>
#include <iterator>

#include "SeriesTableFixture.h"
#include "SeriesTestSupport.h"
#include "tools/dialogs/PrintTarget.h"
#include "ui/grid/GridCellBar.h"
#include "ui/grid/GridView.h"
#include "views/series/ColorScheme.h"
#include "views/series/GridCellDetailGripper.h"
#include "tools/graph/PictureData.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;

TEST_F(SeriesTable, RowsAndColumnsFollowTheDocument) {
    scope.Add({.name = u"A", .q = {40, 41}});
    scope.Add({.name = u"B", .q = {40, 41}});
    Open();
    EXPECT_EQ(4, Grid().GridModel()->RowCount());
    EXPECT_EQ(12, Grid().GridModel()->ColumnCount());
    EXPECT_EQ(22, Grid().RowHeight(0));
    EXPECT_EQ(0, Grid().RowHeight(1));  // collapsed detail rows take no room
    EXPECT_EQ(26, Grid().HeaderHeight());
    // Every main-row cell is read-only but the name.
    for (int c = 0; c < 12; ++c) EXPECT_EQ(c != 1, Grid().Cell(0, c)->IsReadOnly()) << c;
    EXPECT_EQ(CColorScheme::RowLight(), Grid().Cell(0, 5)->Background());
    // A new series arrives: the table is rebuilt.
    scope.Add({.name = u"C", .q = {40}});
    scope.Loaded();
    EXPECT_EQ(6, Grid().GridModel()->RowCount());
    EXPECT_EQ(QStringLiteral("C"), Text(2, 1));
}

TEST_F(SeriesTable, TheTextsOfEveryColumnForm) {
    scope.Add({.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}, .energy = 510});
    scope.Add({.unit = kUnitMPa, .q = {12, 13}});  // below the curve's range
    scope.Add({.unit = kUnitMPa, .q = {70, 71}});  // above it
    scope.Add({.mode = kModeMedianEN, .q = {40, 40, 40, 40, 40, 40, 40, 20, 20, 60}});
    scope.Add({.q = {40}});  // one reading
    Open(true);
    const std::vector<QString> plain = {
        "17",  "Wall A",         "05/04/2023 1:07 PM", "34.5 N/mm\u00B2", "Mean",   "0",    "0",
        "4/4", "1.0 N/mm\u00B2", "B-TOLVEX",           "Cube 150mm",      "0.0 mm", "0.51",
    };
    ASSERT_EQ(13, Grid().GridModel()->ColumnCount());
    for (int c = 0; c < 13; ++c) EXPECT_EQ(plain[static_cast<std::size_t>(c)], Text(0, c)) << c;
    EXPECT_EQ(QStringLiteral("\r\n17\t"), ExportText(0, 0));
    EXPECT_EQ(QStringLiteral("Valid\t34.5\tN/mm\u00B2\t"), ExportText(0, 3));
    EXPECT_EQ(QStringLiteral("4\t4\t"), ExportText(0, 7));
    EXPECT_EQ(QStringLiteral("Cube 150mm\t1.00\t"), ExportText(0, 10));
    EXPECT_EQ(QStringLiteral("0.0\tmm\t1.00\t"), ExportText(0, 11));

    // Conversion not possible: the text, the export text and tooltip kind 2.
    EXPECT_EQ(QStringLiteral("Conversion to MPa not possible (12.5 Q)"), Text(1, 3));
    EXPECT_EQ(QStringLiteral("Conversion not possible\t12.5\tQ\t"), ExportText(1, 3));
    const TGridTooltip low = Grid().Cell(CSeriesView::MainRow(1), 3)->Tooltip();
    EXPECT_EQ(QStringLiteral("Conversion not possible"), low.title);
    EXPECT_EQ(QStringLiteral("The measured Q-Value (12.5 Q) is too low to convert using the conversion curve "
                             "B-TOLVEX.\n\nValid range: 19 to 61 Q."),
              low.body);
    EXPECT_TRUE(Grid().Cell(CSeriesView::MainRow(2), 3)->Tooltip().body.contains(QStringLiteral("too high")));

    // An invalid Median EN series: the text in brackets, tooltip kind 0.
    EXPECT_TRUE(Text(3, 3).startsWith(QStringLiteral("Invalid series ("))) << Utf8(Text(3, 3));
    const TGridTooltip invalid = Grid().Cell(CSeriesView::MainRow(3), 3)->Tooltip();
    EXPECT_EQ(QStringLiteral("Invalid series with averaging mode set to median EN"), invalid.title);
    EXPECT_TRUE(
        invalid.body.endsWith(QStringLiteral("30% (10 total, 3 invalid) of all measurements invalid.")))
        << Utf8(invalid.body);
    EXPECT_EQ(QStringLiteral("7/10"), Text(3, 7));
    auto* bar = dynamic_cast<CGridCellBar*>(Grid().Cell(CSeriesView::MainRow(3), 3));
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(CColorScheme::OutlierBar(), bar->BarColor());
    EXPECT_EQ(CColorScheme::InvalidBarSelected(), bar->BarColorSelected());
    auto* validBar = dynamic_cast<CGridCellBar*>(Grid().Cell(0, 3));
    ASSERT_NE(nullptr, validBar);
    EXPECT_EQ(CColorScheme::NormalBar(), validBar->BarColor());
    EXPECT_DOUBLE_EQ(40.5, validBar->Value());

    // One reading: no standard deviation.
    EXPECT_EQ(QStringLiteral("--"), Text(4, 8));
    EXPECT_EQ(QStringLiteral("--\t"), ExportText(4, 8));
    // Tooltip kind 1 on the averaging mode.
    EXPECT_EQ(QStringLiteral("Averaging mode: Arithmetic mean"), Grid().Cell(0, 4)->Tooltip().title);
}

TEST_F(SeriesTable, HeaderCaptionsAndExportCaptions) {
    struct SCase {
        bool energy;
        int columns;
        const char* carbonationExport;
        const char* lastExport;
    };
    const SCase cases[] = {
        {false, 12, "Carb. depth\tCarb. depth unit\tCarb-Factor\tSerial\tComment\tQ-Values\t",
         "Carb. depth\tCarb. depth unit\tCarb-Factor\tSerial\tComment\tQ-Values\t"},
        {true, 13, "Carb. depth\tCarb. depth unit\tCarb-Factor\t", "Energy\tSerial\tComment\tQ-Values"},
    };
    scope.Add({.q = {40}});
    for (const SCase& c : cases) {
        Open(c.energy);
        CGridModel* model = Grid().GridModel();
        ASSERT_EQ(c.columns, model->ColumnCount());
        EXPECT_EQ(QString::fromUtf8(c.lastExport), model->ExportCaption(c.columns - 1));
        EXPECT_EQ(QString::fromUtf8(c.carbonationExport), model->ExportCaption(11));
        EXPECT_EQ(QStringLiteral("Impact counter"), model->Caption(0));
        EXPECT_EQ(QStringLiteral("Status\tMean value\tUnit\t"), model->ExportCaption(3));
        EXPECT_EQ(QStringLiteral("Carb. depth"), model->Caption(11));  // no series in the newer format
    }
    scope.Add({.q = {40}, .deviceType = kTypeNNew, .newFormat = 1});
    scope.Loaded();
    EXPECT_EQ(QStringLiteral("Carbonation factor"), Grid().GridModel()->Caption(11));
    // The energy column comes and goes with the option.
    view->SetOptions(false, 0);
    EXPECT_EQ(12, Grid().GridModel()->ColumnCount());
    view->SetOptions(true, 0x0303);
    EXPECT_EQ(13, Grid().GridModel()->ColumnCount());
    EXPECT_EQ(QStringLiteral("04.05.2023 13:07"), Text(0, 2));  // the other date and time patterns
}

TEST_F(SeriesTable, AnEmptyDocumentShowsOnlyTheHeader) {
    Open();
    EXPECT_EQ(0, Grid().GridModel()->RowCount());
    EXPECT_EQ(12, Grid().GridModel()->ColumnCount());
    view->SelectAll();
    for (int request : {CSeriesView::kCanSelectAll, CSeriesView::kCanCopy, CSeriesView::kCanCut,
                        CSeriesView::kCanDelete, CSeriesView::kCanCopyPicture, CSeriesView::kCanPaste})
        EXPECT_EQ(0, view->PageRequest(request)) << request;
    ClickHeader(1);
    EXPECT_EQ(0, scope.Data().GetSortKey());
    EXPECT_EQ(-1, Grid().SortColumn());
    EXPECT_EQ(QStringLiteral("Selected objects: 0      Total objects: 0        "), view->SelectionText());
}

TEST_F(SeriesTable, HeaderClicksSortAscendingThenDescendingThenAscendingAgain) {
    scope.Add({.impactCounter = 2, .name = u"B", .dateTime = kMay4, .q = {40}});
    scope.Add({.impactCounter = 3, .name = u"C", .dateTime = kMay4 + 100, .q = {30}});
    scope.Add({.impactCounter = 1, .name = u"A", .dateTime = kMay4 - 100, .q = {50}});
    Open();
    struct SStep {
        int column;
        std::uint8_t key;
        std::vector<std::u16string> order;
        bool ascending;
    };
    const SStep steps[] = {
        {1, 5, {u"A", u"B", u"C"}, true}, {1, 6, {u"C", u"B", u"A"}, false}, {1, 5, {u"A", u"B", u"C"}, true},
        {0, 1, {u"A", u"B", u"C"}, true}, {0, 2, {u"C", u"B", u"A"}, false}, {3, 7, {u"C", u"B", u"A"}, true},
        {2, 3, {u"A", u"B", u"C"}, true},
    };
    for (const SStep& s : steps) {
        ClickHeader(s.column);
        EXPECT_EQ(s.key, scope.Data().GetSortKey()) << s.column;
        EXPECT_EQ(s.order, Names()) << s.column;
        EXPECT_EQ(s.column, Grid().SortColumn());
        EXPECT_EQ(s.ascending, Grid().SortAscending());
        EXPECT_EQ(Q(s.order[0]), Text(0, 1));  // the rows follow
    }
}

TEST_F(SeriesTable, ColumnWidthsStayAfterASortAndAreSizedAgainOnceTheDocumentIsEmpty) {
    scope.Add({.name = u"B", .q = {40}});
    scope.Add({.name = u"A", .q = {30}});
    Open();
    std::vector<int> mine;
    for (int c = 0; c < 12; ++c) {
        Grid().SetColumnWidth(c, 60 + 7 * c);
        mine.push_back(60 + 7 * c);
    }
    ClickHeader(1);
    EXPECT_EQ(mine, Grid().ColumnWidths());
    EXPECT_EQ(mine, view->SavedColumnWidths());
    // A change of one series leaves them alone too.
    scope.doc->SetSeriesName(0, u"renamed");
    EXPECT_EQ(mine, Grid().ColumnWidths());

    scope.Data().DeleteSeries(1);
    scope.Data().DeleteSeries(0);
    scope.Loaded();
    EXPECT_TRUE(view->SavedColumnWidths().empty());
    scope.Add({.name = u"A rather long name for the name column", .q = {30}});
    scope.Loaded();
    EXPECT_NE(mine, Grid().ColumnWidths());
    EXPECT_GT(Grid().ColumnWidth(1), QFontMetrics(Grid().font()).horizontalAdvance(Text(0, 1)));
}

TEST_F(SeriesTable, TheSortIndicatorFollowsTheDocumentsSortOrder) {
    scope.Add({.q = {40}});
    scope.Add({.q = {40}});
    struct SCase {
        std::uint8_t key;
        int column;
        bool ascending;
    };
    const SCase cases[] = {{0, -1, true},  {1, 0, true},  {4, 2, false},
                           {16, 8, false}, {17, 7, true}, {25, -1, true}};  // the energy column is not there
    Open();
    for (const SCase& c : cases) {
        scope.Data().SetSortKey(c.key);
        scope.Loaded();
        EXPECT_EQ(c.column, Grid().SortColumn()) << int(c.key);
        if (c.column >= 0) {
            EXPECT_EQ(c.ascending, Grid().SortAscending()) << int(c.key);
        }
    }
}

TEST_F(SeriesTable, SelectionCountsSeriesAndKeepsMainAndDetailRowsTogether) {
    for (int i = 0; i < 3; ++i) scope.Add({.q = {40}});
    Open();
    Select({0, 2});
    EXPECT_TRUE(Grid().IsRowSelected(1));  // detail rows come along
    EXPECT_TRUE(Grid().IsRowSelected(5));
    EXPECT_FALSE(Grid().IsRowSelected(3));
    EXPECT_EQ(QStringLiteral("Selected objects: 2      Total objects: 3        "), view->SelectionText());
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 1}), view->SelectedSeries(false));
    // Selecting a detail row selects its main row.
    Grid().SelectRows({3}, true);
    EXPECT_TRUE(Grid().IsRowSelected(2));
    Grid().selectionModel()->select(Grid().GridModel()->index(0, 0),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    EXPECT_FALSE(Grid().IsRowSelected(1));
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kCanCopy));
    view->SelectAll();
    EXPECT_EQ(QStringLiteral("Selected objects: 3      Total objects: 3        "), view->SelectionText());
}

TEST_F(SeriesTable, RenamingInPlaceRenamesTheSeries) {
    scope.Add({.name = u"old", .q = {40}});
    Open();
    CGridModel* model = Grid().GridModel();
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(model->index(0, 2), QStringLiteral("no")));
    ASSERT_TRUE(model->setData(model->index(0, 1), QStringLiteral("Pillar 3")));
    EXPECT_EQ(u"Pillar 3", scope.Data().GetName(0));
    EXPECT_EQ(QStringLiteral("Pillar 3"), Text(0, 1));
    EXPECT_TRUE(scope.doc->IsModified());
}

TEST_F(SeriesTable, ALongerNameWidensTheNameColumn) {
    scope.Add({.name = u"old", .q = {40}});
    scope.Add({.name = u"other", .q = {41}});
    Open();
    const int before = Grid().ColumnWidth(Report::kColName);
    const QString longer = QStringLiteral("Pillar 3, north face, second floor, after the repair");
    ASSERT_GT(Grid().fontMetrics().horizontalAdvance(longer), before);
    CGridModel* model = Grid().GridModel();
    ASSERT_TRUE(model->setData(model->index(0, Report::kColName), longer));
    EXPECT_GE(Grid().ColumnWidth(Report::kColName), Grid().fontMetrics().horizontalAdvance(longer));
    // A shorter one leaves the column as it is.
    const int widened = Grid().ColumnWidth(Report::kColName);
    ASSERT_TRUE(model->setData(model->index(2, Report::kColName), QStringLiteral("x")));
    EXPECT_EQ(widened, Grid().ColumnWidth(Report::kColName));
}

TEST_F(SeriesTable, NamesSortAsTheUsersLanguageSortsThemAndEqualNamesKeepTheirOrder) {
    const std::u16string names[] = {u"Zug",  u"\u00DCberlingen", u"Bern", u"Ulm",
                                    u"Bern", u"\u00E4rger",      u"Aarau"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        scope.Add({.impactCounter = static_cast<std::uint16_t>(i + 1), .name = names[i], .q = {40}});
    Open();
    auto position = [&](std::u16string_view name) {
        const std::vector<std::u16string> now = Names();
        return std::find(now.begin(), now.end(), name) - now.begin();
    };
    auto bernCounters = [&] {
        std::vector<int> counters;
        for (int i = 0; i < scope.Data().GetCount(); ++i)
            if (scope.Data().GetName(i) == u"Bern") counters.push_back(scope.Data().Series(i).ImpactCounter);
        return counters;
    };
    for (bool ascending : {true, false}) {
        view->SortByColumn(Report::kColName);
        QApplication::processEvents();
        const auto zug = position(u"Zug");
        const auto ue = position(u"\u00DCberlingen");
        const auto ulm = position(u"Ulm");
        // The umlaut goes with its letter, not after the Z.
        EXPECT_EQ(1, std::abs(ue - ulm)) << ascending;
        EXPECT_EQ(ascending, ue < zug);
        EXPECT_EQ(ascending, position(u"Aarau") < position(u"\u00E4rger"));
        EXPECT_EQ(ascending, position(u"\u00E4rger") < position(u"Bern"));
        EXPECT_EQ(bernCounters(), (std::vector<int>{3, 5})) << ascending;
    }
}

TEST_F(SeriesTable, UpAndDownGoFromSeriesToSeriesAlsoPastOpenDetailAreas) {
    for (int i = 0; i < 4; ++i)
        scope.Add({.impactCounter = static_cast<std::uint16_t>(i + 1),
                   .q = Readings(5),
                   .expanded = i < 2 ? std::uint8_t{1} : std::uint8_t{0}});
    Open();
    ASSERT_GT(Grid().RowHeight(CSeriesView::DetailRow(0)), 0);
    Grid().setFocus();
    Grid().setCurrentIndex(Grid().GridModel()->index(CSeriesView::MainRow(0), 2));
    auto currentSeries = [&] { return Grid().currentIndex().row() / 2; };
    auto selected = [&] {
        std::vector<int> out;
        const auto flags = view->SelectedSeries(false);
        for (int i = 0; i < static_cast<int>(flags.size()); ++i)
            if (flags[static_cast<std::size_t>(i)]) out.push_back(i);
        return out;
    };
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(1, currentSeries());
    EXPECT_EQ(0, Grid().currentIndex().row() % 2);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(2, currentSeries());
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(3, currentSeries());
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(3, currentSeries());  // the last one stays
    for (int expected : {2, 1, 0, 0}) {
        QTest::keyClick(&Grid(), Qt::Key_Up);
        EXPECT_EQ(expected, currentSeries());
    }
    EXPECT_EQ(selected(), (std::vector<int>{0}));
}

TEST_F(SeriesTable, RightClickingAnUnselectedRowSelectsItFirst) {
    scope.Add({.q = {40}});
    scope.Add({.q = {40}});
    Open();
    Select({0});
    RightClick(1, Report::kColName);
    EXPECT_FALSE(Grid().IsRowSelected(0));
    EXPECT_TRUE(Grid().IsRowSelected(2));
    EXPECT_TRUE(Grid().IsRowSelected(3));
}

TEST_F(SeriesTable, ContextMenus) {
    scope.Add({.q = {40}});
    scope.Add({.q = {41}});
    Open();
    auto texts = [](const std::vector<TChooserItem>& items) {
        std::vector<std::string> out;
        for (const TChooserItem& i : items)
            out.push_back(i.separator ? "-" : Utf8(Q(i.text)) + (i.enabled ? "" : " (greyed)"));
        return out;
    };
    // Nothing selected, nothing on the clipboard: all four greyed.
    view->RightClick(-1, 3, QPoint(10, 10));
    ASSERT_EQ(1u, ui.contextMenus.size());
    EXPECT_EQ(
        (std::vector<std::string>{"Cut (greyed)", "Copy (greyed)", "Paste (greyed)", "-", "Delete (greyed)"}),
        texts(ui.contextMenus[0]));
    // Column 0 of a data row: the whole menu; its row is selected.
    RightClick(1, 0);
    ASSERT_EQ(2u, ui.contextMenus.size());
    EXPECT_EQ((std::vector<std::string>{"Expand all", "Collapse all", "-", "Use all series for summary",
                                        "Remove all series from summary", "-", "Cut", "Copy",
                                        "Paste (greyed)", "-", "Delete"}),
              texts(ui.contextMenus[1]));
    // Choosing "Copy" copies; then Paste is offered.
    ui.menuAnswers = {6};
    view->RightClick(-2, -1, QPoint(10, 10));
    EXPECT_TRUE(scope.clipboard.HasData(Doc::kClipboardFormatName));
    view->RightClick(-2, -1, QPoint(10, 10));
    EXPECT_EQ("Paste", texts(ui.contextMenus.back())[2]);
}

TEST_F(SeriesTable, DeleteAsksCutNever) {
    for (int i = 0; i < 4; ++i)
        scope.Add({.name = std::u16string(1, static_cast<char16_t>(u'A' + i)), .q = {40}});
    Open();
    Select({1});
    // The Delete key asks; No keeps the series.
    scope.prompt.answers = {Text::MsgResult::No};
    QTest::keyClick(&Grid(), Qt::Key_Delete);
    QApplication::processEvents();
    EXPECT_EQ((std::vector<unsigned>{59455}), scope.prompt.ShownIds());
    EXPECT_EQ(4, scope.Data().GetCount());
    scope.prompt.answers = {Text::MsgResult::Yes};
    view->Delete();
    EXPECT_EQ((std::vector<std::u16string>{u"A", u"C", u"D"}), Names());
    EXPECT_EQ(6, Grid().GridModel()->RowCount());

    scope.prompt.shown.clear();
    Select({0, 2});
    view->Cut();
    EXPECT_TRUE(scope.prompt.shown.empty());
    EXPECT_EQ((std::vector<std::u16string>{u"C"}), Names());
    EXPECT_TRUE(scope.clipboard.HasData(Doc::kClipboardFormatName));
    // And back.
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kCanPaste));
    view->Paste();
    EXPECT_EQ(3, scope.Data().GetCount());
    EXPECT_EQ(6, Grid().GridModel()->RowCount());
}

TEST_F(SeriesTable, CopyPutsTheRowsAsTextAndTheSeriesOnTheClipboard) {
    scope.Add({.name = u"collapsed", .q = {40, 41}, .comment = u"first"});
    scope.Add({.name = u"expanded",
               .q = {30, 31.5},
               .serial = u"S-2",
               .comment = u"line 1\r\nsays \"hi\"",
               .expanded = 1});
    scope.Add({.name = u"not selected", .q = {50}});
    Open();
    Select({0, 1});
    view->Copy();
    ASSERT_TRUE(scope.clipboard.Text());
    const QString text = Q(*scope.clipboard.Text());
    // The same text the report module makes for these rows.
    const std::vector<Report::TRowSelection> rows = {{0, true, true}, {1, true, true}};
    EXPECT_EQ(Visible(Q(view->Table().ClipboardText(scope.Data(), rows))), Visible(text));
    // The expanded series brings its detail fields, the collapsed one not.
    EXPECT_TRUE(text.contains(QStringLiteral("S-2\t\"line 1<br>says &quothi&quot\"\t30.0\t31.5\t")));
    EXPECT_FALSE(text.contains(QStringLiteral("\"first\"")));
    EXPECT_FALSE(text.contains(QStringLiteral("not selected")));
    EXPECT_TRUE(text.startsWith(Q(view->Table().HeaderExportLine())));
    EXPECT_TRUE(scope.clipboard.HasData(Doc::kClipboardFormatName));
    // The series travel in the program's own format.
    view->Paste();
    EXPECT_EQ(5, scope.Data().GetCount());
}

TEST_F(SeriesTable, APictureOfTheSelectedRows) {
    scope.Add({.q = {40}});
    scope.Add({.q = {41}});
    scope.Add({.q = {42}});
    Open();
    Select({0, 2});
    int width = 0;
    for (int c = 0; c < 12; ++c) width += Grid().ColumnWidth(c);
    EXPECT_EQ(QSize(width, 26 + 2 * 22), Grid().SelectedRowsPictureSize());
    view->CopyPicture();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(nullptr, mime);
    EXPECT_TRUE(mime->hasImage());
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("image/svg+xml")));
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(QSize(width, 70), image.size());
    // One pixel of the table is 0.2 mm of the picture.
    EXPECT_EQ(image.dotsPerMeterX(), 5000);
    EXPECT_EQ(image.dotsPerMeterY(), 5000);
}

TEST(PictureData, APictureTooLargeForABitmapGoesAsTheVectorPictureAlone) {
    int calls = 0;
    const auto count = [&](QPainter&) { ++calls; };
    const std::unique_ptr<QMimeData> large = PictureData::Make(QSize(10000, 7000), count);
    ASSERT_TRUE(large);
    EXPECT_TRUE(large->hasFormat(QStringLiteral("image/svg+xml")));
    EXPECT_FALSE(large->hasImage());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(PictureData::Make(QSize(0, 10), count));
}

TEST_F(SeriesTable, TheGripperExpandsAndCollapsesWithAnAnimation) {
    scope.Add({.q = Readings(10)});
    scope.Add({.q = {40}});
    Open();
    const QRect cell = Grid().CellRect(0, 0);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(5 + 10, 1 + 9));
    EXPECT_EQ(1, scope.Data().GetExpanded(0));
    EXPECT_TRUE(GripperOf(0)->IsExpanded());
    CGridCellSeries* detail = view->DetailCell(0);
    ASSERT_TRUE(detail->IsExpanding());
    EXPECT_FALSE(Grid().IsRowSelected(0));  // a click on a picture selects nothing
    int steps = 0;
    int last = Grid().RowHeight(1);
    while (view->StepAnimations() && steps < 1000) {
        ++steps;
        EXPECT_GE(Grid().RowHeight(1), last);
        last = Grid().RowHeight(1);
    }
    EXPECT_TRUE(detail->IsExpanded());
    EXPECT_GE(Grid().RowHeight(1), 300);
    EXPECT_EQ(detail->RequiredHeight(), Grid().RowHeight(1));
    EXPECT_GT(steps, 10);  // it grew in steps, not at once

    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(5 + 10, 1 + 9));
    EXPECT_EQ(0, scope.Data().GetExpanded(0));
    while (view->StepAnimations()) {
    }
    EXPECT_EQ(0, Grid().RowHeight(1));
    EXPECT_FALSE(detail->IsExpanded());
}

TEST_F(SeriesTable, ExpandAllAndCollapseAll) {
    for (int i = 0; i < 30; ++i) scope.Add({.q = Readings(5 + i)});
    Open();
    QStringList statuses;
    const QObject receiver;  // ends the connection before `statuses` goes
    QObject::connect(view.get(), &CSeriesView::statusText, &receiver,
                     [&](const QString& s) { statuses << s; });
    view->ExpandAll();
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(1, scope.Data().GetExpanded(i));
        EXPECT_GE(Grid().RowHeight(CSeriesView::DetailRow(i)), 300) << i;
    }
    // Progress for series 1, 12 and 23, then cleared.
    EXPECT_TRUE(statuses.filter(QStringLiteral("Expanding: 12")).size() == 1);
    EXPECT_TRUE(statuses.filter(QStringLiteral("Expanding: 13")).isEmpty());
    EXPECT_TRUE(view->ProgressText().isEmpty());
    // A rebuild keeps them expanded.
    scope.Loaded();
    EXPECT_GE(Grid().RowHeight(CSeriesView::DetailRow(29)), 300);
    EXPECT_TRUE(GripperOf(29)->IsExpanded());
    view->CollapseAll();
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(0, scope.Data().GetExpanded(i));
        EXPECT_EQ(0, Grid().RowHeight(CSeriesView::DetailRow(i)));
    }
}

TEST_F(SeriesTable, ASeriesTheSummaryRefusesBringsTheNoticeUntilTheUserDeclinesIt) {
    // Three N/mm2 series in the summary, one in MPa outside: the larger group wins.
    for (int i = 0; i < 3; ++i) scope.Add({.q = {40, 41}});
    scope.Add({.unit = kUnitMPa, .q = {40, 41}, .inSummary = 0});
    Open();
    auto toggle = [&](int series) {
        const QRect cell = Grid().CellRect(CSeriesView::MainRow(series), 0);
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(30 + 10, 1 + 9));
    };
    toggle(3);
    EXPECT_EQ(0, scope.Data().GetUseInSummary(3));
    EXPECT_FALSE(GripperOf(3)->IsInSummary());
    EXPECT_EQ(1, ui.notAddedShown);
    ui.doNotShowAgain = true;
    toggle(3);
    EXPECT_EQ(2, ui.notAddedShown);
    toggle(3);
    EXPECT_EQ(2, ui.notAddedShown);  // not again
    // Taking one out and putting it back in works without a notice.
    toggle(0);
    EXPECT_EQ(0, scope.Data().GetUseInSummary(0));
    toggle(0);
    EXPECT_EQ(1, scope.Data().GetUseInSummary(0));
    EXPECT_EQ(2, ui.notAddedShown);
}

TEST_F(SeriesTable, TheNoticeFollowsTheClickedSeriesWhenTheSummaryTakesOthersOutToo) {
    // Two N/mm2 series and a PSI one that still counts as in (no summary was
    // built since its unit changed); switching a second PSI series on ties the
    // groups, the lower unit wins: the clicked series is refused and the stale
    // one taken out at the same moment.
    scope.Add({.q = {40, 41}});
    scope.Add({.q = {40, 41}});
    scope.Add({.unit = kUnitPSI, .q = {40, 41}});
    scope.Add({.unit = kUnitPSI, .q = {40, 41}, .inSummary = 0});
    Open();
    const QRect cell = Grid().CellRect(CSeriesView::MainRow(3), 0);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(30 + 10, 1 + 9));
    EXPECT_EQ(0, scope.Data().GetUseInSummary(3));
    EXPECT_EQ(0, scope.Data().GetUseInSummary(2));
    EXPECT_FALSE(GripperOf(2)->IsInSummary());
    EXPECT_FALSE(GripperOf(3)->IsInSummary());
    EXPECT_EQ(1, ui.notAddedShown);
}

TEST_F(SeriesTable, UseAllAndRemoveAllFromTheSummary) {
    scope.Add({.q = {40}, .inSummary = 0});
    scope.Add({.q = {41}});
    Open();
    view->UseAllInSummary(true);
    EXPECT_EQ(1, scope.Data().GetUseInSummary(0));
    EXPECT_TRUE(GripperOf(0)->IsInSummary());
    view->UseAllInSummary(false);
    EXPECT_EQ(0, scope.Data().GetUseInSummary(1));
    EXPECT_FALSE(dynamic_cast<CGridCellDetailGripper*>(Grid().Cell(2, 0))->IsInSummary());
}

TEST_F(SeriesTable, GrippersFollowFlagsThatAnotherViewChangesAfterThisOne) {
    scope.Add({.q = {40}});
    scope.Add({.q = {41}});
    Open();
    // Like the summary page: it hears of the change after the table and takes a series out.
    struct CLaterView : IDocView {
        CHammerData* data = nullptr;
        void OnDocChanged(int) override { data->Series(0).UseInSummary = 0; }
    } later;
    later.data = &scope.Data();
    scope.doc->RegisterView(&later);
    scope.Loaded();
    Grid().viewport()->repaint();
    EXPECT_FALSE(GripperOf(0)->IsInSummary());
    EXPECT_TRUE(GripperOf(1)->IsInSummary());
    scope.doc->UnregisterView(&later);
}

TEST_F(SeriesTable, TheExportTextIsTheReportsTableExport) {
    scope.Add({.name = u"a", .q = {40, 41}});
    scope.Add({.name = u"b", .q = {30}, .expanded = 1});
    Open();
    QString text;
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kExportText, &text));
    EXPECT_EQ(Visible(Q(view->Table().ExportText(scope.Data()))), Visible(text));
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kExportText, nullptr));  // a null string is ignored
    // The grid builds the same text from all its rows, hidden ones included.
    EXPECT_EQ(Visible(text), Visible(Grid().BuildText(false, true, true)));
}

TEST_F(SeriesTable, TheScrollPositionSurvivesARefillAndADelete) {
    for (int i = 0; i < 200; ++i) scope.Add({.impactCounter = static_cast<std::uint16_t>(i), .q = {40}});
    Open();
    Grid().SetVerticalScrollPosition(1000);
    ASSERT_EQ(1000, Grid().VerticalScrollPosition());
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kRefill, nullptr, 1000));
    EXPECT_EQ(1000, Grid().VerticalScrollPosition());
    Select({60});
    scope.prompt.answers = {Text::MsgResult::Yes};
    view->Delete();
    EXPECT_EQ(199, scope.Data().GetCount());
    EXPECT_EQ(1000, Grid().VerticalScrollPosition());
    // A change of one series does not move the table either.
    scope.doc->SetSeriesName(100, u"changed");
    EXPECT_EQ(1000, Grid().VerticalScrollPosition());
}

int PdfPages(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QString pdf = QString::fromLatin1(f.readAll());
    return static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

TEST_F(SeriesTable, PrintingSpreadsTheRowsOverPagesAndCanKeepToTheSelection) {
    for (int i = 0; i < 120; ++i) scope.Add({.q = Readings(8 + i % 5)});
    Open();
    for (int c = 0; c < 12; ++c) Grid().SetColumnWidth(c, 55);  // one page wide
    auto print = [&](bool selectionOnly, const char* name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        const QString file = QString::fromStdString((scope.Dir() / name).string());
        printer.setOutputFileName(file);
        view->Print(printer, selectionOnly);
        return PdfPages(file);
    };
    const int all = print(false, "all.pdf");
    EXPECT_GE(all, 3);  // 120 rows of 22 pixels do not fit one page
    Select({5, 6});
    EXPECT_EQ(1, print(true, "selection.pdf"));
    // Expanded series take their detail area onto the pages.
    for (int i = 0; i < 10; ++i) scope.Data().SetExpanded(i, 1);
    scope.Loaded();
    for (int c = 0; c < 12; ++c) Grid().SetColumnWidth(c, 55);
    EXPECT_GT(print(false, "expanded.pdf"), all);
    // Columns that do not fit go on further pages.
    for (int c = 0; c < 12; ++c) Grid().SetColumnWidth(c, 150);
    Select({5});
    // 1800 pixels over pages of about 720, each continuation beginning with
    // the impact counter again: 4 + (1 + 3) + (1 + 3) + (1 + 2) columns.
    EXPECT_EQ(4, print(true, "wide.pdf"));

    // The command asks first; cancelled, it prints nothing.
    view->PageRequest(CSeriesView::kPrint);
    EXPECT_EQ(1, ui.printDialogs);
    EXPECT_TRUE(ui.printSelectionOffered);
}

// A job the printer does not take is said, with where it was to go; one that
// went through says nothing.
TEST_F(SeriesTable, APrintThatWentNowhereIsReported) {
    scope.Add({.q = Readings(8)});
    Open();
    fs::path target = scope.Dir() / "no-such-folder" / "table.pdf";
    ui.onPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(target.string()));
    };
    ui.printAnswers = {false};
    view->PageRequest(CSeriesView::kPrint);
    ASSERT_EQ(scope.prompt.ShownIds(), (std::vector<unsigned>{PrintTarget::kIdPdfNotWritten}));
    EXPECT_NE(std::u16string::npos, scope.prompt.shown[0].text.find(target.u16string()));
    EXPECT_FALSE(fs::exists(target));

    target = scope.Dir() / "table.pdf";
    ui.printAnswers = {false};
    view->PageRequest(CSeriesView::kPrint);
    EXPECT_EQ(1u, scope.prompt.shown.size());
    EXPECT_GE(PdfPages(QString::fromStdString(target.string())), 1);
}

// A print the user cancels in its progress window leaves the PDF that was
// there before, no half-written one beside it, and no message.
TEST_F(SeriesTable, ACancelledPrintLeavesNoHalfPdf) {
    for (int i = 0; i < 200; ++i) scope.Add({.q = Readings(8)});
    Open();
    const fs::path target = scope.Dir() / "table.pdf";
    {
        std::ofstream(target) << "yesterday";
    }
    ui.onPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(target.string()));
    };
    ui.printAnswers = {false};
    ui.cancelPrintAtPage = 2;
    view->PageRequest(CSeriesView::kPrint);
    ASSERT_EQ(3u, ui.printProgress.size());
    EXPECT_EQ(2, ui.printProgress.back().first);
    EXPECT_GT(ui.printProgress.back().second, 2);
    std::ifstream in(target);
    EXPECT_EQ("yesterday", std::string(std::istreambuf_iterator<char>(in), {}));
    for (const auto& entry : fs::directory_iterator(scope.Dir()))
        EXPECT_NE('.', entry.path().filename().string()[0]) << entry.path();
    EXPECT_TRUE(scope.prompt.shown.empty());

    // Not cancelled, the job ends with the progress at its page count.
    ui.printAnswers = {false};
    ui.cancelPrintAtPage = -1;
    ui.printProgress.clear();
    view->PageRequest(CSeriesView::kPrint);
    ASSERT_FALSE(ui.printProgress.empty());
    EXPECT_EQ(ui.printProgress.back().first, ui.printProgress.back().second);
    EXPECT_EQ(ui.printProgress.back().second, PdfPages(QString::fromStdString(target.string())));
}

// A row taller than a page goes on over the next pages instead of being cut
// off at the first page's bottom.
TEST_F(SeriesTable, ARowTallerThanAPageContinuesOnTheNextPages) {
    scope.Add({.q = Readings(8)});
    Open();
    for (int c = 0; c < 12; ++c) Grid().SetColumnWidth(c, 55);  // one page wide
    Grid().SetRowHeight(CSeriesView::DetailRow(0), 2500);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QString file = QString::fromStdString((scope.Dir() / "tall.pdf").string());
    printer.setOutputFileName(file);
    ASSERT_TRUE(view->Print(printer, false));
    // 2522 pixels need at least three pages of at most 1123 (all of A4).
    EXPECT_GE(PdfPages(file), 3);
}

// Without a printer installed the dialog starts at a PDF file named after the
// project, and every dialog offers one.
TEST(PrintTarget, WithoutAPrinterTheDialogStartsAtAPdfFile) {
    QPrinter none;
    PrintTarget::Prepare(none, QStringLiteral("/data/site.pdf"), {});
    EXPECT_EQ(QPrinter::PdfFormat, none.outputFormat());
    EXPECT_EQ(QStringLiteral("/data/site.pdf"), none.outputFileName());
    QPrinter office;
    const QPrinter::OutputFormat before = office.outputFormat();
    PrintTarget::Prepare(office, QStringLiteral("/data/site.pdf"), {QStringLiteral("office")});
    EXPECT_EQ(before, office.outputFormat());
    EXPECT_TRUE(office.outputFileName().isEmpty());

    EXPECT_EQ(QStringLiteral("/data/site.pdf"), PrintTarget::SuggestedPdfFile("/data/site.zvh"));
    EXPECT_TRUE(PrintTarget::SuggestedPdfFile({}).endsWith(QStringLiteral("/Brelvantor.pdf")));
    EXPECT_TRUE(PrintTarget::DialogOptions(false).testFlag(QAbstractPrintDialog::PrintToFile));
    EXPECT_FALSE(PrintTarget::DialogOptions(false).testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_TRUE(PrintTarget::DialogOptions(true).testFlag(QAbstractPrintDialog::PrintSelection));
}

}  // namespace
