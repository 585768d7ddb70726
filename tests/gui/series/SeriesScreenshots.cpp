// Takes the pictures of the Series tab for docs/screenshots: the table
// collapsed and sorted, expanded series in each of the three detail layouts,
// the energy column, an open chooser menu and each small dialog.
//
//   series_screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <cstdio>

#include "SeriesTestSupport.h"
#include "model/CurveStore.h"
#include "text/LanguageModule.h"
#include "text/StringTable.h"
#include "tools/dialogs/CommentDlg.h"
#include "tools/dialogs/DateTimeDlg.h"
#include "tools/dialogs/SeriesNotAddedDlg.h"
#include "tools/dialogs/SliderDlg.h"
#include "ui/grid/GridView.h"
#include "views/series/SeriesChoosers.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;

QString g_folder;

void Save(QWidget& widget, const char* name) {
    QApplication::processEvents();
    const QString path = g_folder + QLatin1Char('/') + QString::fromUtf8(name);
    if (!widget.grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

void SaveImage(const QImage& image, const char* name) {
    const QString path = g_folder + QLatin1Char('/') + QString::fromUtf8(name);
    if (!image.save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// A working day on a building site.
void FillSite(CDocScope& scope) {
    const std::uint32_t day = kMay4 - 5 * 3600;
    scope.Add({.impactCounter = 101,
               .name = u"Wall A north",
               .dateTime = day,
               .q = Readings(10, 38, 1.5),
               .comment = u"Formwork removed after 7 days."});
    scope.Add({.impactCounter = 102,
               .name = u"Wall A south",
               .dateTime = day + 600,
               .mode = kModeMedianEN,
               .q = {41, 42, 40.5, 43, 39, 41.5, 42, 44, 40, 41}});
    scope.Add({.impactCounter = 103,
               .name = u"Column C3",
               .dateTime = day + 1500,
               .mode = kModeMedianEN,
               .unit = kUnitMPa,
               .q = {40, 40, 40, 40, 40, 40, 40, 20, 20, 60}});
    scope.Add({.impactCounter = 104,
               .name = u"Slab level 2",
               .dateTime = day + 2400,
               .mode = kModeMeanOutlier,
               .q = Readings(14, 33, 2.5)});
    scope.Add({.impactCounter = 105,
               .name = u"Beam B7",
               .dateTime = day + 3000,
               .mode = kModeMeanASTM,
               .unit = kUnitPSI,
               .q = Readings(10, 44, 0.5)});
    scope.Add({.impactCounter = 106,
               .name = u"Stair core",
               .dateTime = day + 4200,
               .unit = kUnitMPa,
               .q = {12, 13, 12.5}});
    scope.Add({.impactCounter = 107,
               .name = u"Test spot",
               .dateTime = day + 5000,
               .mode = kModeSingle,
               .unit = kUnitQ,
               .q = {47}});
    scope.Add({.impactCounter = 108,
               .name = u"Foundation F1",
               .dateTime = day + 6100,
               .unit = kUnitKgCm2,
               .carbonation = 4,
               .q = Readings(12, 50, 1),
               .inSummary = 0});
    scope.Add({.impactCounter = 109,
               .name = u"Parapet",
               .dateTime = day + 7300,
               .mode = kModeMedianOnly,
               .form = 1,
               .q = Readings(9, 36, 2),
               .upper = 1,
               .lower = 1});
    scope.Add({.impactCounter = 110,
               .name = u"Pier P2",
               .dateTime = day + 8000,
               .mode = kModeMeanJGJ,
               .curve = 2,
               .q = Readings(16, 39, 0.5)});
}

std::unique_ptr<CSeriesView> OpenView(CDocScope& scope, bool energy, QSize size = QSize(1700, 640)) {
    auto view = std::make_unique<CSeriesView>(*scope.doc, energy, 0, &scope.clipboard);
    view->resize(size);
    view->show();
    scope.Loaded();
    QApplication::processEvents();
    return view;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);
    QFont font = QApplication::font();
    font.setPixelSize(13);
    QApplication::setFont(font);

    {
        CDocScope scope;
        FillSite(scope);
        auto view = OpenView(scope, false);
        view->Grid()->SelectRows({CSeriesView::MainRow(3), CSeriesView::MainRow(4)}, false);
        Save(*view, "series-table.png");

        // Sorted by the mean value, descending: two clicks on its header.
        view->SortByColumn(3);
        QApplication::processEvents();
        view->SortByColumn(3);
        QApplication::processEvents();
        Save(*view, "series-sorted.png");
    }
    struct SLayout {
        const char* file;
        int readings;
        std::u16string comment;
    };
    const SLayout layouts[] = {
        {"series-expanded-up-to-25.png", 12,
         u"North face, 1.2 m above floor level.\r\nSurface ground before testing."},
        {"series-expanded-26-to-50.png", 36, u"Grid of 6 x 6 impacts."},
        {"series-expanded-over-50.png", 80, u""},
    };
    // Each layout in English, then in German, with the
    // settings' and the statistics' longer texts.
    const auto german =
        Text::CLanguageModule::Load(fs::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng");
    for (bool inGerman : {false, true}) {
        if (inGerman && !german.module) break;
        Text::SetLanguageOverrides(inGerman ? german.module->Texts() : nullptr);
        for (const SLayout& l : layouts) {
            CDocScope scope;
            scope.Add({.impactCounter = 201, .name = u"Wall above", .q = Readings(10, 40, 1)});
            scope.Add({.impactCounter = 202,
                       .name = u"Expanded series",
                       .mode = kModeMedianEN,
                       .q = Readings(l.readings, 30, 1.5),
                       .serial = u"TB-N-20431",
                       .comment = l.comment,
                       .expanded = 1});
            scope.Add({.impactCounter = 203, .name = u"Wall below", .q = Readings(10, 42, 1)});
            const int height = l.readings > 50 ? 760 : (l.readings > 25 ? 620 : 520);
            auto view = OpenView(scope, false, QSize(1700, height));
            std::string file = l.file;
            if (inGerman) file.insert(file.size() - 4, "-de");
            Save(*view, file.c_str());
        }
    }
    Text::SetLanguageOverrides(nullptr);
    {
        CDocScope scope;
        FillSite(scope);
        scope.Data().SetExpanded(0, 1);
        auto view = OpenView(scope, true);
        Save(*view, "series-energy.png");
    }
    {
        // An open unit chooser below the mean value of a series.
        CDocScope scope;
        FillSite(scope);
        auto view = OpenView(scope, false);
        view->Grid()->SelectRows({CSeriesView::MainRow(1)}, false);
        QImage shot = view->grab().toImage();
        QMenu menu;
        CQtSeriesUi::FillMenu(menu, EChooserStrip::kUnit, SeriesChoosers::UnitItems(1, false));
        menu.ensurePolished();
        menu.adjustSize();
        const QRect cell = view->Grid()->CellRect(CSeriesView::MainRow(1), 3);
        const QPoint at = view->Grid()->viewport()->mapTo(view.get(), cell.bottomLeft());
        TChooserPlacement where{at.x() + 40, at.x(), at.x() + cell.width(), at.y()};
        QPainter p(&shot);
        p.drawPixmap(where.CentreX() - menu.width() / 2, where.bottom, menu.grab());
        p.end();
        SaveImage(shot, "series-chooser-unit.png");

        QImage curves = view->grab().toImage();
        QMenu curveMenu;
        TConvCust slot;
        slot.QMin = 20;
        slot.QMax = 60;
        slot.C = 1.1f;
        slot.SetName8("SITE-C1");
        slot.Flags = 3;
        slot.OnDevice = 1;
        CCurveStore::Instance().AddCurve(slot, 50);
        CQtSeriesUi::FillMenu(
            curveMenu, EChooserStrip::kCurve,
            SeriesChoosers::CurveItems(1, true, false, CCurveStore::Instance().GetAll(), {}));
        curveMenu.adjustSize();
        const QRect curveCell = view->Grid()->CellRect(CSeriesView::MainRow(1), 9);
        const QPoint c = view->Grid()->viewport()->mapTo(view.get(), curveCell.bottomLeft());
        TChooserPlacement curveWhere{c.x() + 30, c.x(), c.x() + curveCell.width(), c.y()};
        QPainter q(&curves);
        q.drawPixmap(curveWhere.CentreX() - curveMenu.width() / 2, curveWhere.bottom, curveMenu.grab());
        q.end();
        SaveImage(curves, "series-chooser-curve.png");
    }
    {
        CSliderDlg slider;
        const TSliderSetup s = SeriesChoosers::CarbonationSlider(85);
        slider.SetRange(s.minimum, s.maximum);
        slider.SetValue(s.value);
        slider.SetDecimals(s.decimals);
        slider.SetStep(s.step);
        slider.SetTitle(SeriesTest::Q(s.title));
        slider.show();
        Save(slider, "series-dialog-slider.png");

        CCommentDlg comment(u"North face, 1.2 m above floor level.\r\nSurface ground before testing.");
        comment.show();
        Save(comment, "series-dialog-comment.png");

        CDateTimeDlg time(kMay4, 0);
        time.show();
        Save(time, "series-dialog-adjust-time.png");

        CSeriesNotAddedDlg notAdded;
        notAdded.show();
        Save(notAdded, "series-dialog-not-added.png");
    }
    return 0;
}
