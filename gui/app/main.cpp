// brelvantor [-Energy] [project.zvh] [--screenshot FILE [--tab series|summary]]
//            [--print-pdf FILE [--tab series|summary] [--selection]]
#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QElapsedTimer>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>

#include "app/BrelvantorApp.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/Screenshot.h"
#include "app/StderrPrompt.h"
#include "doc/HammerDoc.h"
#include "tools/dialogs/PrintTarget.h"
#include "ui/grid/GridView.h"
#include "views/TabGrid.h"
#include "views/TabPage.h"
#include "views/series/SeriesView.h"
#include "device/DeviceFactory.h"
#include "device/HexTrafficLog.h"
#include "text/FileReplace.h"
#include "views/ChildView.h"
#include "views/TabSheet.h"

namespace {

// --print-pdf: the tab onto a PDF file, as the Print command would with the
// PDF file chosen in its dialog.
int PrintPdf(CMainFrame& frame, const CCommandLine& commandLine) {
    const QByteArray pdfName = QFile::encodeName(*commandLine.PrintPdf());
    CHammerDoc& doc = frame.Doc();
    if (commandLine.Project() && doc.GetPath().empty()) {
        std::fprintf(stderr, "brelvantor: the project %s cannot be read; nothing was printed\n",
                     QFile::encodeName(*commandLine.Project()).constData());
        return 1;
    }
    CTabSheet* sheet = frame.View()->Sheet();
    sheet->setCurrentIndex(commandLine.ScreenshotTab());
    CTabPage* page = sheet->Page(commandLine.ScreenshotTab());
    QString exportText;
    if (page) page->OnPageRequest(kViewExportText, &exportText);
    // The Print command is offered only with series, and the summary prints
    // nothing while it holds none.
    if (!page || !doc.WorkingData().HasSeries() || (commandLine.ScreenshotTab() == 1 && exportText.isEmpty())) {
        std::fprintf(stderr, "brelvantor: nothing to print: %s; %s was not written\n",
                     doc.WorkingData().HasSeries() ? "no series is in the summary" : "the project holds no series",
                     pdfName.constData());
        return 3;
    }
    bool selection = false;
    if (auto* grid = qobject_cast<CTabGrid*>(page); grid && commandLine.PrintSelection()) {
        // Without a user nothing is selected: the series of the summary stand for the selection.
        std::vector<int> rows;
        for (int i = 0; i < doc.WorkingData().GetCount(); ++i) {
            if (doc.WorkingData().GetUseInSummary(i) == 0) continue;
            rows.push_back(CSeriesView::MainRow(i));
            rows.push_back(CSeriesView::DetailRow(i));
        }
        if (rows.empty()) {
            // Pages of column headings alone are no report.
            std::fprintf(stderr, "brelvantor: nothing to print: no series is in the summary; %s was not written\n",
                         pdfName.constData());
            return 3;
        }
        grid->Table()->SelectRows(rows, false);
        selection = true;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*commandLine.PrintPdf());
    const PrintTarget::SPrintOutcome outcome = PrintTarget::PrintSafely(printer, [&](QPrinter& p) {
        return page->PrintTo(p, selection) ? PrintTarget::EPrintEnd::Printed : PrintTarget::EPrintEnd::Failed;
    });
    if (outcome.end != PrintTarget::EPrintEnd::Printed) {
        std::fprintf(stderr, "brelvantor: the PDF file %s cannot be written: %s\n", pdfName.constData(),
                     Text::DescribeErrno(outcome.error != 0 ? outcome.error : EIO).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Text::FailWritesBeyondFileSizeLimit();
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tolvex.Brelvantor"));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::printf(
            "Usage: brelvantor [-Energy] [PROJECT.zvh] [--log FILE]\n"
            "                  [--screenshot FILE [--tab series|summary]]\n"
            "                  [--print-pdf FILE [--tab series|summary] [--selection]]\n"
            "\n"
            "  -Energy            show the rebound energy values (any letter case, any position)\n"
            "  PROJECT.zvh        the project to open\n"
            "  --log FILE         write every byte exchanged with the hammer to FILE as\n"
            "                     readable hex, for support\n"
            "  --screenshot FILE  save a picture of the main window as PNG once it is painted,\n"
            "                     print the start-up time in milliseconds and end\n"
            "  --tab series|summary  the tab shown in the picture or printed (default series)\n"
            "  --print-pdf FILE   print the tab to the PDF file FILE without a dialog and end;\n"
            "                     exit status 1 when the project cannot be read or FILE cannot\n"
            "                     be written, 3 when there is nothing to print (no series, or\n"
            "                     none in the summary for --tab summary or --selection)\n"
            "  --selection        with --print-pdf on the Series tab: print only the series\n"
            "                     that are in the summary\n");
        return 0;
    }
    const CCommandLine commandLine = CCommandLine::Parse(arguments);
    if (!commandLine.Error().isEmpty()) {
        std::fprintf(stderr, "brelvantor: %s\nTry 'brelvantor --help'.\n",
                     commandLine.Error().toLocal8Bit().constData());
        return 2;
    }

    // The communication log, for support: every device the program makes writes to it.
    std::ofstream logFile;
    std::unique_ptr<Device::CHexTrafficLog> log;
    if (commandLine.Log()) {
        const std::string path = commandLine.Log()->toStdString();
        Text::EWriteRoute route = Text::EWriteRoute::Replace;
        const int refused = Text::ChooseWriteRoute(Text::FollowLinks(path), route);
        if (refused == 0) logFile.open(path, std::ios::binary | std::ios::trunc);
        if (refused != 0 || !logFile) {
            std::fprintf(stderr, "brelvantor: the log %s cannot be written: %s\n", path.c_str(),
                         Text::DescribeErrno(refused != 0 ? refused : errno).c_str());
            return 2;
        }
        log = std::make_unique<Device::CHexTrafficLog>(logFile);
        Device::SetDefaultTrafficLog(log.get());
    }
    // Devices may still log while the program ends; the log goes last.
    struct SLogScope {
        ~SLogScope() { Device::SetDefaultTrafficLog(nullptr); }
    } logScope;

    // A print must never replace the project it prints.
    if (commandLine.PrintPdf() && commandLine.Project() &&
        Text::IsSameFile(QFile::encodeName(*commandLine.PrintPdf()).toStdString(),
                         QFile::encodeName(*commandLine.Project()).toStdString())) {
        std::fprintf(stderr, "brelvantor: the PDF file and the project name the same file\n");
        return 2;
    }

    // A picture or a print is made without a user: messages go to standard error.
    std::unique_ptr<CStderrPrompt> quiet;
    if (commandLine.Screenshot() || commandLine.PrintPdf()) quiet = std::make_unique<CStderrPrompt>();

    CBrelvantorApp app({CBrelvantorApp::RunningProgramPath(), quiet.get(), {}});
    if (!app.InitInstance(commandLine, !commandLine.PrintPdf())) return 1;

    int code = 0;
    if (commandLine.PrintPdf()) {
        code = PrintPdf(*app.MainFrame(), commandLine);
    } else if (commandLine.Screenshot()) {
        app.MainFrame()->View()->Sheet()->setCurrentIndex(commandLine.ScreenshotTab());
        CScreenshot screenshot(app.MainFrame(), *commandLine.Screenshot(), sinceStart);
        code = screenshot.Run();
    } else {
        code = QApplication::exec();
    }
    app.ExitInstance();
    return code;
}
