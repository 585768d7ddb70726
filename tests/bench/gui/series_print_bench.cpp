// Figures of the Series tab's print: every series of a large table, collapsed,
// printed to a PDF file; pages per second and the process's peak memory. A
// program that prints its figures, never a test with limits.
//
//   bench_series_print [SERIES [OUT.pdf]]      (default 20000)
#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "SeriesTestSupport.h"
#include "tools/dialogs/PrintTarget.h"
#include "ui/grid/GridView.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    CDocScope scope;
    for (int i = 0; i < count; ++i) {
        TSeriesSetup s;
        s.impactCounter = static_cast<std::uint16_t>(i % 60000);
        s.name = u"Series " + QString::number(i).toStdU16String();
        s.dateTime = kMay4 + static_cast<std::uint32_t>(i) * 97;
        s.mode = i % 2 == 0 ? kModeMean : kModeMedianEN;
        s.q = Readings(10 + i % 21, 28 + i % 17, 0.5 + (i % 5) * 0.5);
        scope.Add(s);
    }
    CSeriesView view(*scope.doc, false, 0, &scope.clipboard);
    view.resize(1600, 900);
    view.show();
    QApplication::processEvents();
    const std::string out = argc > 2 ? argv[2] : (scope.Dir() / "table.pdf").string();
    std::printf("series: %d, resident before printing %ld kB\n", count, StatusKb("VmRSS:"));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(QString::fromStdString(out));
    int pages = 0;
    QElapsedTimer t;
    t.start();
    const PrintTarget::SPrintOutcome outcome = PrintTarget::PrintSafely(printer, [&](QPrinter& p) {
        return view.PrintPages(p, false, [&](int, int total) {
            pages = total;
            return true;
        });
    });
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1.0e9;
    std::printf("printed: %s, pages: %d, %.2f s, %.1f pages/s\n",
                outcome.end == PrintTarget::EPrintEnd::Printed ? "yes" : "NO", pages, seconds,
                seconds > 0 ? pages / seconds : 0.0);
    std::printf("peak memory: %ld kB (resident now %ld kB)\n", StatusKb("VmHWM:"), StatusKb("VmRSS:"));
    return outcome.end == PrintTarget::EPrintEnd::Printed ? 0 : 1;
}
