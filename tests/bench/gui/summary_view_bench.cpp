// Figures of the Summary tab with many series: rebuilding the summary and
// drawing the page, and a repaint as the mouse moves over it. A program that
// prints its figures, never a test with limits.
//
//   bench_summary_view [SERIES]      (default 20000)
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "SeriesTestSupport.h"
#include "model/SummaryData.h"
#include "views/summary/SummaryView.h"

namespace {

using namespace SeriesTest;

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1.0e6;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    CDocScope scope;
    for (int i = 0; i < n; ++i) {
        TSeriesSetup setup;
        setup.impactCounter = static_cast<std::uint16_t>(i + 1);
        setup.name = u"Wall " + Text::FromUtf8(std::to_string(i + 1));
        setup.q = Readings(10, 30 + (i % 20));
        scope.Add(setup);
    }
    CSummaryView view(*scope.doc, 0);
    view.resize(1180, 700);
    view.show();
    QImage screen(view.viewport()->size(), QImage::Format_RGB32);
    std::vector<double> rebuild, hover, item;
    for (int round = 0; round < 10; ++round) {
        QElapsedTimer t;
        t.start();
        scope.doc->Summary().BuildSummary(scope.Data());
        {
            QPainter p(&screen);
            p.fillRect(screen.rect(), Qt::white);
            view.Render(p, true, screen.rect());
        }
        rebuild.push_back(Ms(t));
        t.restart();
        {
            // A hover changes what is underlined: the visible part is drawn again.
            QPainter p(&screen);
            p.fillRect(screen.rect(), Qt::white);
            view.Render(p, true, screen.rect());
        }
        hover.push_back(Ms(t));
        // What the view asks for on a hover: only the underlined item.
        QRect area;
        for (const auto& e : view.LeftAreas().Entries())
            if (e.id == CSummaryPainter::kItemAveraging) area = e.rect.adjusted(-2, -2, 2, 2);
        t.restart();
        {
            QPainter p(&screen);
            p.setClipRect(area);
            p.fillRect(area, Qt::white);
            view.Render(p, true, area);
        }
        item.push_back(Ms(t));
    }
    std::sort(rebuild.begin(), rebuild.end());
    std::sort(hover.begin(), hover.end());
    std::sort(item.begin(), item.end());
    std::printf("summary of %d series, window 1180 x 700, scroll size %d x %d\n", n, view.ScrollSize().width(),
                view.ScrollSize().height());
    std::printf("rebuild + draw: median %.1f ms, max %.1f ms\n", rebuild[rebuild.size() / 2], rebuild.back());
    std::printf("repaint of the whole window: median %.1f ms, max %.1f ms\n", hover[hover.size() / 2], hover.back());
    std::printf("repaint of the hovered item: median %.1f ms, max %.1f ms\n", item[item.size() / 2], item.back());
    return 0;
}
