// Figures of the Series tab with many series: full rebuild, a header-click
// sort with its refill, repaints while scrolling through the whole table,
// Expand all, and the memory the process holds. A program that prints its
// figures, never a test with limits.
//
//   bench_series_view [SERIES [collapsed]]      (default 20000)
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "SeriesTestSupport.h"
#include "ui/grid/GridView.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1.0e6;
}

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

struct TStats {
    double mean = 0, p99 = 0, max = 0;
    std::size_t count = 0;
};

TStats Summarise(std::vector<double> v) {
    TStats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.count = v.size();
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    s.p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    s.max = v.back();
    return s;
}

// Repaints page after page (every `every`-th page) and times each repaint;
// `again` receives the times of a second repaint of the same page (its rows
// made already).
TStats ScrollThrough(CSeriesView& view, int every, TStats* again = nullptr) {
    std::vector<double> second;
    QScrollBar* bar = view.Grid()->verticalScrollBar();
    const int page = std::max(1, view.Grid()->viewport()->height());
    std::vector<double> times;
    for (int pos = 0, n = 0; pos <= bar->maximum(); pos += page, ++n) {
        if (n % every != 0) continue;
        bar->setValue(pos);
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        view.Grid()->viewport()->repaint();
        times.push_back(Ms(t));
        if (again) {
            t.restart();
            view.Grid()->viewport()->repaint();
            second.push_back(Ms(t));
        }
    }
    bar->setValue(0);
    if (again) *again = Summarise(second);
    return Summarise(times);
}

void Fill(CDocScope& scope, int count) {
    static const std::uint8_t modes[] = {kModeMean, kModeMedianEN, kModeMeanOutlier, kModeMeanASTM,
                                         kModeMean};
    for (int i = 0; i < count; ++i) {
        TSeriesSetup s;
        s.impactCounter = static_cast<std::uint16_t>(i % 60000);
        s.name = u"Series " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u" " +
                 QString::number(i).toStdU16String();
        s.dateTime = kMay4 + static_cast<std::uint32_t>(i) * 97;
        s.mode = modes[i % 5];
        s.unit = i % 7 == 0 ? kUnitMPa : kUnitNmm2;
        s.q = Readings(10 + i % 21, 28 + i % 17, 0.5 + (i % 5) * 0.5);
        s.comment = i % 3 == 0 ? u"Surface ground before testing." : u"";
        scope.Add(s);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    CDocScope scope;
    Fill(scope, count);
    std::printf("memory with the document alone: resident %ld kB\n", StatusKb("VmRSS:"));
    CSeriesView view(*scope.doc, false, 0, &scope.clipboard);
    view.resize(1600, 900);
    view.show();
    QApplication::processEvents();
    std::printf("series: %d, grid rows: %d\n", count, view.Grid()->GridModel()->RowCount());

    std::vector<double> rebuilds;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        scope.Loaded();
        QApplication::processEvents();
        rebuilds.push_back(Ms(t));
    }
    const TStats rebuild = Summarise(rebuilds);
    std::printf("full rebuild (5 runs, statistics recomputed): mean %.1f ms, max %.1f ms\n", rebuild.mean,
                rebuild.max);

    std::vector<double> sorts;
    for (int column : {3, 3, 1, 8, 2}) {
        QElapsedTimer t;
        t.start();
        view.SortByColumn(column);
        QApplication::processEvents();  // the posted refill
        sorts.push_back(Ms(t));
    }
    const TStats sort = Summarise(sorts);
    std::printf("header-click sort and refill (5 runs): mean %.1f ms, max %.1f ms\n", sort.mean, sort.max);

    std::printf("memory with the table built: resident %ld kB\n", StatusKb("VmRSS:"));
    TStats repaint;
    const TStats scroll = ScrollThrough(view, 1, &repaint);
    std::printf("scrolling, collapsed (%zu repaints): mean %.2f ms, p99 %.2f ms, max %.2f ms\n", scroll.count,
                scroll.mean, scroll.p99, scroll.max);
    std::printf("  the same pages painted again: mean %.2f ms, p99 %.2f ms, max %.2f ms\n", repaint.mean,
                repaint.p99, repaint.max);

    // A second argument "collapsed" stops here (for profiling the plain table).
    if (argc > 2 && std::string(argv[2]) == "collapsed") return 0;

    std::printf("memory after scrolling through every row: resident %ld kB\n", StatusKb("VmRSS:"));
    QElapsedTimer t;
    t.start();
    view.ExpandAll();
    QApplication::processEvents();
    std::printf("Expand all: %.1f ms\n", Ms(t));

    const TStats expanded = ScrollThrough(view, 1);
    std::printf("scrolling, expanded (%zu repaints): mean %.2f ms, p99 %.2f ms, max %.2f ms\n",
                expanded.count, expanded.mean, expanded.p99, expanded.max);

    t.restart();
    view.SortByColumn(1);
    QApplication::processEvents();
    std::printf("header-click sort and refill with every series expanded: %.1f ms\n", Ms(t));

    t.restart();
    scope.Loaded();
    QApplication::processEvents();
    std::printf("full rebuild with every series expanded: %.1f ms\n", Ms(t));

    t.restart();
    view.CollapseAll();
    QApplication::processEvents();
    std::printf("Collapse all: %.1f ms\n", Ms(t));

    t.restart();
    view.SelectAll();
    view.Copy();
    std::printf("Select all and copy: %.1f ms\n", Ms(t));

    std::printf("memory: resident %ld kB, peak resident %ld kB\n", StatusKb("VmRSS:"), StatusKb("VmHWM:"));
    return 0;
}
