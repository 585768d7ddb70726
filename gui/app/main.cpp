// brelvantor [-Energy] [project.zvh] [--screenshot FILE [--tab series|summary]]
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

#include "app/BrelvantorApp.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/Screenshot.h"
#include "app/StderrPrompt.h"
#include "text/FileReplace.h"
#include "views/ChildView.h"
#include "views/TabSheet.h"

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
            "Usage: brelvantor [-Energy] [PROJECT.zvh] [--screenshot FILE [--tab series|summary]]\n"
            "\n"
            "  -Energy            show the rebound energy values (any letter case, any position)\n"
            "  PROJECT.zvh        the project to open\n"
            "  --screenshot FILE  save a picture of the main window as PNG once it is painted,\n"
            "                     print the start-up time in milliseconds and end\n"
            "  --tab series|summary  the tab shown in the picture (default series)\n");
        return 0;
    }
    const CCommandLine commandLine = CCommandLine::Parse(arguments);
    if (!commandLine.Error().isEmpty()) {
        std::fprintf(stderr, "brelvantor: %s\nTry 'brelvantor --help'.\n",
                     commandLine.Error().toLocal8Bit().constData());
        return 2;
    }

    // A picture is taken without a user: messages go to standard error.
    std::unique_ptr<CStderrPrompt> quiet;
    if (commandLine.Screenshot()) quiet = std::make_unique<CStderrPrompt>();

    CBrelvantorApp app({CBrelvantorApp::RunningProgramPath(), quiet.get(), {}});
    if (!app.InitInstance(commandLine)) return 1;

    int code = 0;
    if (commandLine.Screenshot()) {
        app.MainFrame()->View()->Sheet()->setCurrentIndex(commandLine.ScreenshotTab());
        CScreenshot screenshot(app.MainFrame(), *commandLine.Screenshot(), sinceStart);
        code = screenshot.Run();
    } else {
        code = QApplication::exec();
    }
    app.ExitInstance();
    return code;
}
