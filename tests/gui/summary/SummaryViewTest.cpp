// The drawn summary: its diagram rules, what the user can click, and the
// texts and pictures it hands out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "SeriesTestSupport.h"
#include "doc/DocView.h"
#include "model/SummaryData.h"
#include "report/ExportFile.h"
#include "report/SummaryTexts.h"
#include "support/SmallFileLimit.h"
#include "text/Encoding.h"
#include "tools/dialogs/PrintTarget.h"
#include "views/series/ColorScheme.h"
#include "views/summary/SummaryView.h"

namespace {

using namespace SeriesTest;

struct TViewRecorder : IDocView {
    std::vector<int> notices;
    void OnDocChanged(int index) override { notices.push_back(index); }
};

class CSummaryViewTest : public ::testing::Test {
  protected:
    // `values` in Q, one series each; names "S1", "S2", ... unless given.
    void AddSeries(const std::vector<double>& values, std::vector<std::u16string> names = {}) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            TSeriesSetup setup;
            setup.impactCounter = static_cast<std::uint16_t>(scope.Data().GetCount() + 1);
            setup.name = i < names.size() ? names[i] : u"S" + Text::FromUtf8(std::to_string(i + 1));
            setup.q = std::vector<double>(5, values[i]);
            scope.Add(setup);
        }
    }
    CSummaryView& View() {
        if (!view) {
            view = std::make_unique<CSummaryView>(*scope.doc, 0);
            view->SetUserInterface(&ui);
            view->resize(900, 700);
            view->show();
        }
        scope.doc->Summary().BuildSummary(scope.Data());
        return *view;
    }
    // Draws as the screen does, onto an image of the page's size.
    QImage Draw(CSummaryPainter::TResult* result = nullptr) {
        View();
        return Repaint(result);
    }
    // Draws again while the page's new scroll size shows or hides a scroll bar
    // and so changes the width, as the window does.
    void DrawSettled(CSummaryPainter::TResult* result) {
        QCoreApplication::processEvents();
        int width = -1;
        for (int i = 0; i < 4 && width != View().LayoutWidth(); ++i) {
            width = View().LayoutWidth();
            Draw(result);
            QCoreApplication::processEvents();  // the scroll bars come and go here
        }
    }
    // The same without building the summary first, as a hover or a scroll does.
    QImage Repaint(CSummaryPainter::TResult* result = nullptr) {
        CSummaryView& v = *view;
        QImage image(3000, 1600, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const CSummaryPainter::TResult r = v.Render(painter, true, image.rect());
        if (result) *result = r;
        return image;
    }
    std::optional<CSensitiveArea::TEntry> Item(int id) {
        for (const auto& e : view->LeftAreas().Entries())
            if (e.id == id) return e;
        return std::nullopt;
    }
    void Click(int id) {
        const auto item = Item(id);
        ASSERT_TRUE(item) << "no item " << id;
        View().LeftClickAt(item->rect.center());
    }

    CDocScope scope;
    CScriptedUi ui;
    std::unique_ptr<CSummaryView> view;
};

// --- The diagram ---------------------------------------------------------------------------

struct TBarCase {
    int n;
    int barWidth;
    int gap;
    bool names;
};

class BarRule : public CSummaryViewTest, public ::testing::WithParamInterface<TBarCase> {};

TEST_P(BarRule, BarsNarrowWithTheirNumberAndNamesGoWhenTheyNoLongerFit) {
    const TBarCase c = GetParam();
    AddSeries(std::vector<double>(static_cast<std::size_t>(c.n), 40.0));
    CSummaryPainter::TResult r;
    Draw(&r);
    ASSERT_TRUE(r.drawn);
    EXPECT_EQ(r.barWidth, c.barWidth);
    EXPECT_EQ(r.barGap, c.gap);
    EXPECT_EQ(r.namesShown, c.names);
    // Every bar is there for the right button, whatever its width.
    EXPECT_EQ(View().RightAreas().Count(), static_cast<std::size_t>(c.n));
    // Values above the bars only while their font is larger than 3 pixels and
    // the bars stand apart.
    EXPECT_EQ(r.valuesShown, r.labelPixelSize > 3 && r.barGap > 0);
    if (c.n == 1000) {
        EXPECT_FALSE(r.valuesShown);
    }
}

// The window is 900 wide: the diagram is 840 wide, the bars have 790.
INSTANTIATE_TEST_SUITE_P(Counts, BarRule,
                         ::testing::Values(TBarCase{1, 24, 2, true}, TBarCase{5, 24, 2, true},
                                           TBarCase{100, 6, 1, false}, TBarCase{1000, 1, 0, false}),
                         [](const auto& info) { return "n" + std::to_string(info.param.n); });

struct TMedianCase {
    std::vector<double> q;
    std::vector<int> medianSeries;
};

class MedianBars : public CSummaryViewTest, public ::testing::WithParamInterface<TMedianCase> {};

TEST_P(MedianBars, MedianEntriesAreDrawnInTheMedianColour) {
    const TMedianCase c = GetParam();
    AddSeries(c.q);
    View();
    scope.doc->Summary().SetAveraging(0, kSummaryMedian);
    const QImage image = Draw();
    for (const auto& bar : View().RightAreas().Entries()) {
        const bool median =
            std::find(c.medianSeries.begin(), c.medianSeries.end(), bar.id) != c.medianSeries.end();
        const QColor pixel = image.pixelColor(bar.rect.left() + bar.rect.width() / 2, bar.rect.bottom() - 2);
        EXPECT_EQ(pixel, median ? CColorScheme::MedianBar() : CColorScheme::NormalBar()) << "series " << bar.id;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, MedianBars,
                         ::testing::Values(TMedianCase{{40, 30, 50, 35}, {0, 3}},
                                           TMedianCase{{40, 30, 50, 35, 45}, {0}}));

struct TLabelCase {
    const char* name;
    std::vector<double> q;  // 8 Q is below the curve: not convertible
};

class BarLabels : public CSummaryViewTest, public ::testing::WithParamInterface<TLabelCase> {};

// The texts above the bars (values, "Conversion not possible") stay inside the
// diagram: below its title line and clear of the unit above the plot.
TEST_P(BarLabels, TextsAboveTheBarsStayBelowTheTitleAndClearOfTheUnit) {
    AddSeries(GetParam().q);
    View();
    scope.doc->Summary().SetAveraging(0, kSummaryMean);
    CSummaryPainter::TResult r;
    Draw(&r);
    ASSERT_TRUE(r.valuesShown);
    ASSERT_FALSE(r.diagramTitle.isEmpty());
    ASSERT_FALSE(r.unitLabel.isEmpty());
    const auto bars = View().RightAreas().Entries();
    ASSERT_EQ(bars.size(), GetParam().q.size());
    for (const auto& bar : bars) {
        // The area is the bar and, above it, its text.
        EXPECT_GT(bar.rect.top(), r.diagramTitle.bottom()) << "series " << bar.id;
        EXPECT_FALSE(bar.rect.intersects(r.unitLabel)) << "series " << bar.id;
        EXPECT_GT(bar.rect.height(), 3 + 20) << "series " << bar.id << ": its text is missing";
    }
}

INSTANTIATE_TEST_SUITE_P(Summaries, BarLabels,
                         ::testing::Values(TLabelCase{"OneTallBar", {60}}, TLabelCase{"Rising", {45, 50, 55, 60}},
                                           TLabelCase{"OneNotConvertible", {40, 45, 50, 8}},
                                           TLabelCase{"NoneConvertible", {8, 8, 8}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CSummaryViewTest, ASeriesThatCannotBeConvertedLeavesTheOthersBarsAsTheyWere) {
    const auto barsOf = [&](const std::vector<double>& q) {
        scope.Data().Clear();
        AddSeries(q);
        View();
        scope.doc->Summary().SetAveraging(0, kSummaryMean);
        scope.doc->Summary().SetDiagramOrder(0, 0);
        Draw();
        std::map<int, QRect> out;
        for (const auto& bar : View().RightAreas().Entries()) out[bar.id] = bar.rect;
        return out;
    };
    const std::map<int, QRect> convertible = barsOf({40, 45, 50});
    std::map<int, QRect> withFlat = barsOf({40, 45, 50, 8});
    ASSERT_EQ(withFlat.size(), 4u);
    withFlat.erase(3);
    EXPECT_EQ(withFlat, convertible);
}

TEST_F(CSummaryViewTest, NamesWiderThanEightyPixelsEndInDots) {
    const QFontMetrics fm(QApplication::font());
    const QString longName = QStringLiteral("Pfeiler Nordseite Achse 12 unten links");
    const QString shortName = CSummaryPainter::ShortName(longName, fm);
    EXPECT_TRUE(shortName.endsWith(QStringLiteral("...")));
    EXPECT_LE(fm.horizontalAdvance(shortName), 80);
    EXPECT_GT(fm.horizontalAdvance(shortName + QLatin1Char('x')), 75);
    EXPECT_EQ(CSummaryPainter::ShortName(QStringLiteral("W1"), fm), QStringLiteral("W1"));
}

struct TLayoutCase {
    const char* name;
    int n;
    int width;
    bool stacked;
};

class Layout : public CSummaryViewTest, public ::testing::WithParamInterface<TLayoutCase> {};

TEST_P(Layout, TheBlocksBelowTheDiagramNeverOverlapAndTheListFitsBesideThem) {
    const TLayoutCase c = GetParam();
    std::vector<double> q;
    for (int i = 0; i < c.n; ++i) q.push_back(30 + i % 25);
    AddSeries(q);
    View().resize(c.width, 700);
    CSummaryPainter::TResult r;
    DrawSettled(&r);
    ASSERT_TRUE(r.drawn);
    EXPECT_EQ(r.stacked, c.stacked);
    const int W = View().LayoutWidth() < 860 ? 800 : View().LayoutWidth() - 60;
    const std::vector<QRect> blocks{r.list, r.statistics, r.settings, r.comment};
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_LE(blocks[i].bottom(), r.scrollSize.height()) << "block " << i;
        for (std::size_t j = i + 1; j < blocks.size(); ++j)
            EXPECT_FALSE(blocks[i].intersects(blocks[j])) << "blocks " << i << " and " << j;
    }
    EXPECT_EQ(r.statistics.left(), r.list.right() + 1);
    if (c.stacked) {
        // Settings below the statistics; the list as tall as both at least,
        // taller only in steps of 20, until the statistics fit beside it.
        EXPECT_EQ(r.settings.topLeft(), r.statistics.bottomLeft() + QPoint(0, 1));
        const int both = r.statistics.height() + r.settings.height();
        EXPECT_GE(r.list.height(), both);
        EXPECT_EQ((r.list.height() - both) % 20, 0);
        EXPECT_LE(r.list.width() + r.statistics.width(), W);
        EXPECT_EQ(r.comment.top(), r.settings.bottom() + 1);
    } else {
        EXPECT_EQ(r.list.height(), CSummaryPainter::kListHeight);
        EXPECT_EQ(r.settings.topLeft(), r.statistics.topRight() + QPoint(1, 0));
        EXPECT_EQ(r.comment.top(), std::max(r.statistics.bottom(), r.settings.bottom()) + 1);
    }

    // The list height is kept while the width and the number of series stay;
    // a wider window works it out afresh, so a stacked list gets shorter.
    DrawSettled(&r);
    const int kept = r.list.height();
    View().resize(c.width + 100, 700);
    CSummaryPainter::TResult wider;
    DrawSettled(&wider);
    if (c.stacked && c.width >= 860) {
        EXPECT_LT(wider.list.height(), kept);
    }
    View().resize(c.width, 700);
    DrawSettled(&r);
    EXPECT_EQ(r.list.height(), kept);
}

INSTANTIATE_TEST_SUITE_P(Widths, Layout,
                         ::testing::Values(TLayoutCase{"FewSeriesWide", 5, 1180, false},
                                           TLayoutCase{"ManySeriesNarrow", 300, 900, true},
                                           TLayoutCase{"ManySeriesNarrowest", 2000, 760, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- What the user clicks ------------------------------------------------------------------

TEST_F(CSummaryViewTest, StatisticsCountTheUsedSeriesOfAllInTheSummary) {
    // 10 Q is below every curve: listed, not used.
    AddSeries({40, 45, 50, 10});
    View();
    const Report::CSummaryTexts texts(0);
    const TSummaryStatistics stats = scope.doc->Summary().CalcSummaryStatistics(0);
    EXPECT_EQ(texts.StatisticsTexts(scope.doc->Summary(), 0, stats).values[0], u"= 3/4");
    CSummaryPainter::TResult r;
    Draw(&r);
    EXPECT_EQ(View().RightAreas().Count(), 4u);  // the flat bar is there too
}

TEST_F(CSummaryViewTest, TheOrderLabelIsAbsentForOneSeriesAndCyclesForTwo) {
    AddSeries({40});
    Draw();
    EXPECT_FALSE(Item(CSummaryPainter::kItemOrder));
    AddSeries({45});
    scope.doc->Summary().SetAveraging(0, kSummaryMean);
    std::vector<int> orders;
    for (int i = 0; i < 4; ++i) {
        Draw();
        Click(CSummaryPainter::kItemOrder);
        orders.push_back(scope.doc->Summary().GetDiagramOrder(0));
    }
    EXPECT_EQ(orders, (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(CSummaryViewTest, ClickingTheAveragingLabelSwitchesItAndTellsEveryView) {
    AddSeries({40, 45, 50});
    TViewRecorder other;
    scope.doc->RegisterView(&other);
    View();
    scope.doc->Summary().SetAveraging(0, kSummaryMean);
    Draw();
    Click(CSummaryPainter::kItemAveraging);
    EXPECT_EQ(scope.doc->Summary().GetAveraging(0), kSummaryMedian);
    EXPECT_EQ(other.notices, (std::vector<int>{-1}));
    const Report::CSummaryTexts texts(0);
    EXPECT_EQ(texts.AveragingLabel(scope.doc->Summary(), 0), u"Median");
    Draw();
    Click(CSummaryPainter::kItemAveraging);
    EXPECT_EQ(scope.doc->Summary().GetAveraging(0), kSummaryMean);
    scope.doc->UnregisterView(&other);
}

TEST_F(CSummaryViewTest, RightClickRemovesOneSeriesOrAllAndAddsAll) {
    AddSeries({40, 45, 50}, {u"Wall A", u"Wall B", u"Wall C"});
    Draw();
    const auto entries = View().RightAreas().Entries();
    const auto bar = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.id == 1; });
    ASSERT_NE(bar, entries.end());

    ui.menuAnswers = {1};
    View().RightClickAt(bar->rect.center(), QPoint());
    ASSERT_EQ(ui.contextMenus.size(), 1u);
    ASSERT_EQ(ui.contextMenus[0].size(), 4u);
    EXPECT_EQ(ui.contextMenus[0][0].text, u"Remove series Wall B");
    EXPECT_TRUE(ui.contextMenus[0][1].separator);
    EXPECT_EQ(scope.Data().GetUseInSummary(1), 0);
    EXPECT_EQ(scope.Data().GetUseInSummary(0), 1);

    // Beside the bars only the two commands for all series.
    ui.menuAnswers = {2};
    View().RightClickAt(QPoint(5, 5), QPoint());
    EXPECT_EQ(ui.contextMenus[1].size(), 2u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scope.Data().GetUseInSummary(i), 0);
    ui.menuAnswers = {3};
    View().RightClickAt(QPoint(5, 5), QPoint());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scope.Data().GetUseInSummary(i), 1);
}

TEST_F(CSummaryViewTest, TheCommentIsEditedThroughTheDialog) {
    AddSeries({40, 45});
    Draw();
    ui.commentAnswers = {std::nullopt, std::u16string(u"North wall\r\nlevel 2")};
    Click(CSummaryPainter::kItemComment);  // cancelled
    EXPECT_EQ(scope.doc->Summary().GetTitle(0), u"");
    Draw();
    Click(CSummaryPainter::kItemComment);
    EXPECT_EQ(scope.doc->Summary().GetTitle(0), u"North wall\r\nlevel 2");
    EXPECT_EQ(ui.comments, (std::vector<std::u16string>{u"", u""}));
}

TEST_F(CSummaryViewTest, AChangeOfTheSummaryShowsAtTheNextRepaintAndAHoverRedoesNothing) {
    AddSeries({40, 45, 50});
    Draw();
    const auto count = [&](int id) {
        const auto& e = view->LeftAreas().Entries();
        return std::count_if(e.begin(), e.end(), [&](const auto& a) { return a.inUse && a.id == id; });
    };
    EXPECT_EQ(count(CSummaryPainter::kItemComment), 1);  // "[Add]"
    const CSummaryContent* worked = &view->Content();
    Repaint();
    view->HoverAt(Item(CSummaryPainter::kItemAveraging)->rect.center());
    Repaint();
    EXPECT_EQ(view->Hovered(), CSummaryPainter::kItemAveraging);
    EXPECT_EQ(&view->Content(), worked);

    // Changed without a rebuild, as the comment dialog and the labels do.
    scope.doc->Summary().SetTitle(0, u"north wall level two");
    Repaint();
    EXPECT_EQ(count(CSummaryPainter::kItemComment), 4);
    scope.doc->Summary().SetAveraging(0, kSummaryMedian);
    const QImage image = Repaint();
    const auto bars = view->RightAreas().Entries();
    const auto median = std::find_if(bars.begin(), bars.end(), [](const auto& b) { return b.id == 1; });
    ASSERT_NE(median, bars.end());
    EXPECT_EQ(image.pixelColor(median->rect.center().x(), median->rect.bottom() - 2), CColorScheme::MedianBar());
}

TEST_F(CSummaryViewTest, TheMouseAndTheKeyboardWorkOnAScrolledPage) {
    AddSeries({40, 45, 50}, {u"Wall A", u"Wall B", u"Wall C"});
    View().resize(900, 320);
    scope.doc->Summary().SetAveraging(0, kSummaryMean);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QWidget* port = view->viewport();
    port->repaint();
    const QSize page = view->ScrollSize();
    ASSERT_GT(page.height(), port->height());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    port->repaint();
    const QPoint offset(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    ASSERT_GT(offset.y(), 0);

    const auto averaging = Item(CSummaryPainter::kItemAveraging);
    ASSERT_TRUE(averaging);
    const QPoint label = averaging->rect.center() - offset;
    ASSERT_TRUE(port->rect().contains(label));
    // Events as the window system hands them to the viewport, in its own
    // coordinates.
    const auto mouse = [&](QEvent::Type type, const QPoint& at, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(at), QPointF(port->mapToGlobal(at)), button,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
        QCoreApplication::sendEvent(port, &event);
    };
    mouse(QEvent::MouseMove, label, Qt::NoButton);
    EXPECT_EQ(view->Hovered(), CSummaryPainter::kItemAveraging);
    EXPECT_EQ(port->cursor().shape(), Qt::PointingHandCursor);
    mouse(QEvent::MouseMove, label + QPoint(0, 200), Qt::NoButton);
    EXPECT_EQ(view->Hovered(), 0);
    EXPECT_EQ(port->cursor().shape(), Qt::ArrowCursor);
    mouse(QEvent::MouseButtonPress, label, Qt::LeftButton);
    EXPECT_EQ(scope.doc->Summary().GetAveraging(0), kSummaryMedian);

    // The bars are above the visible part: back to the top for the right button.
    view->verticalScrollBar()->setValue(0);
    port->repaint();
    const auto bars = view->RightAreas().Entries();
    const auto wallC = std::find_if(bars.begin(), bars.end(), [](const auto& b) { return b.id == 2; });
    ASSERT_NE(wallC, bars.end());
    ui.menuAnswers = {0};
    mouse(QEvent::MouseButtonPress, wallC->rect.center(), Qt::RightButton);
    ASSERT_EQ(ui.contextMenus.size(), 1u);
    EXPECT_EQ(ui.contextMenus[0][0].text, u"Remove series Wall C");

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q(view->ExportText()));
}

// --- Texts, pictures, prints ---------------------------------------------------------------

TEST_F(CSummaryViewTest, CopyPutsWindows1252BytesWithAZeroAndUnicodeText) {
    AddSeries({40, 45}, {u"Wand S\u00fcd", u"Pfeiler \"B\""});
    View();
    QGuiApplication::clipboard()->clear();
    View().Copy();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    const QByteArray bytes = mime->data(QStringLiteral("text/plain;charset=windows-1252"));
    const std::u16string text = View().ExportText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(bytes.toStdString(), Text::ToCp1252(text) + std::string(1, '\0'));
    EXPECT_TRUE(bytes.contains(QByteArray("Wand S\xfc" "d")));
    EXPECT_TRUE(bytes.contains(QByteArray("Pfeiler \"B\"")));
    EXPECT_TRUE(bytes.endsWith(QByteArray(1, '\0')));
    EXPECT_EQ(mime->text(), Q(text));
}

TEST_F(CSummaryViewTest, ExportIsWhatTheCommandLineExports) {
    AddSeries({40, 45, 51}, {u"Wand S\u00fcd", u"", u"Pfeiler \"B\""});
    scope.doc->Summary().BuildSummary(scope.Data());
    scope.doc->Summary().SetTitle(0, u"first\r\nsecond");
    const fs::path project = scope.Dir() / "p.zvh";
    ASSERT_TRUE(scope.doc->SaveProject(project));
    const fs::path out = scope.Dir() / "cli.txt";
    const std::string command = std::string("BRELVANTOR_SETTINGS=") + (scope.Dir() / "settings").string() + " " +
                                BRELVANTOR_CLI + " export " + project.string() + " --summary -o " + out.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(out, std::ios::binary);
    const std::string cli((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(cli, Report::EncodeExportFile(View().ExportText()));
}

TEST_F(CSummaryViewTest, AnEmptySummaryDrawsPrintsCopiesAndExportsNothing) {
    AddSeries({40});
    scope.Data().SetUseInSummaryAll(0);
    CSummaryPainter::TResult r;
    const QImage image = Draw(&r);
    EXPECT_FALSE(r.drawn);
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    EXPECT_EQ(image, white);
    EXPECT_TRUE(View().ExportText().empty());

    auto* before = new QMimeData;
    before->setText(QStringLiteral("kept"));
    QGuiApplication::clipboard()->setMimeData(before);
    View().Copy();
    View().CopyPicture();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));

    const fs::path pdf = scope.Dir() / "empty.pdf";
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    EXPECT_TRUE(View().Print(printer));
    EXPECT_FALSE(fs::exists(pdf));
}

TEST_F(CSummaryViewTest, PictureAndPrintShowThePage) {
    AddSeries({40, 45, 50});
    View();
    QGuiApplication::clipboard()->clear();
    View().CopyPicture();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("image/svg+xml")));
    const QImage picture = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(picture.size(), View().PageSize());
    EXPECT_EQ(picture.dotsPerMeterX(), 5000);
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));

    const fs::path pdf = scope.Dir() / "summary.pdf";
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(View().Print(printer));
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // One page, however tall the summary.
    std::size_t pages = 0;
    for (std::size_t at = bytes.find("/Type /Page\n"); at != std::string::npos; at = bytes.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 1u);

    // The picture's page is the one a narrow window scrolls over.
    View().resize(820, 700);
    DrawSettled(nullptr);
    EXPECT_EQ(View().PageSize(), View().ScrollSize());
}

// The Print command onto a PDF file: a file that could not be written whole is
// said, and the report it was to replace stays as it was.
TEST_F(CSummaryViewTest, APrintThatCouldNotBeWrittenWholeIsSaidAndKeepsTheOldFile) {
    AddSeries({40, 45, 50});
    View();
    const fs::path pdf = scope.Dir() / "report.pdf";
    std::ofstream(pdf) << "last week's report";
    const auto read = [&] {
        std::ifstream in(pdf, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    ui.onPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
    };
    ui.printAnswers = {false};
    {
        const CSmallFileLimit diskFull(3000);
        View().PrintWithDialog({}, scope.prompt);
    }
    EXPECT_EQ(ui.printDialogs, 1);
    EXPECT_FALSE(ui.printSelectionOffered);
    EXPECT_EQ(scope.prompt.ShownIds(), (std::vector<unsigned>{PrintTarget::kIdPdfNotWritten}));
    EXPECT_EQ(read(), "last week's report");
    for (const auto& entry : fs::directory_iterator(scope.Dir()))
        EXPECT_NE('.', entry.path().filename().string()[0]) << entry.path();  // no hidden half PDF

    ui.printAnswers = {false};
    View().PrintWithDialog({}, scope.prompt);
    EXPECT_EQ(read().rfind("%PDF", 0), 0u);
    EXPECT_EQ(scope.prompt.ShownIds().size(), 1u);
    // Cancelled: nothing happens.
    View().PrintWithDialog({}, scope.prompt);
    EXPECT_EQ(ui.printDialogs, 3);
    EXPECT_EQ(scope.prompt.ShownIds().size(), 1u);
}

// A wide window lays the page out wider than it scrolls (the comment runs to
// the window's edge). The picture and the print are laid out as a page of
// their own: nothing is cut off at their right edge, however wide the window.
TEST_F(CSummaryViewTest, PictureAndPrintHoldTheWholePageWhateverTheWindowsWidth) {
    AddSeries({40, 45, 50});
    std::u16string comment;
    for (int i = 0; i < 60; ++i) comment += u"Beton \u00e4u\u00dferst fest, \u00dcberpr\u00fcfung n\u00f6tig; ";
    View();
    scope.doc->Summary().SetTitle(0, comment);
    // The rightmost column with ink.
    const auto inkRight = [](const QImage& image) {
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 200) return x;
        return -1;
    };
    std::vector<QSize> pictures;
    for (int width : {900, 1900}) {
        View().resize(width, 700);
        DrawSettled(nullptr);  // as the window shows it
        QGuiApplication::clipboard()->clear();
        View().CopyPicture();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        ASSERT_TRUE(mime);
        const QImage picture = qvariant_cast<QImage>(mime->imageData());
        ASSERT_FALSE(picture.isNull());
        EXPECT_LT(inkRight(picture), picture.width() * 0.95) << "window " << width << ", picture " << picture.width();
        pictures.push_back(picture.size());

        const fs::path pdf = scope.Dir() / "wide.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        ASSERT_TRUE(View().Print(printer));
        const fs::path png = scope.Dir() / "wide";
        const std::string command = "/usr/bin/pdftoppm -r 40 -png -singlefile " + pdf.string() + " " + png.string();
        ASSERT_EQ(std::system(command.c_str()), 0);
        const QImage page(QString::fromStdString(png.string() + ".png"));
        ASSERT_FALSE(page.isNull());
        const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Point);
        const double perPoint = page.width() / printer.pageLayout().fullRect(QPageLayout::Point).width();
        EXPECT_LT(inkRight(page), (paint.right() - 0.04 * paint.width()) * perPoint) << "window " << width;
    }
    EXPECT_EQ(pictures[0], pictures[1]);
}

}  // namespace
