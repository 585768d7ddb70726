// brelvantor [-Energy] [project.zvh] [--screenshot FILE [--tab series|summary]]
#include <QApplication>
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
#include "device/DeviceFactory.h"
#include "device/HexTrafficLog.h"
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
            "Usage: brelvantor [-Energy] [PROJECT.zvh] [--log FILE]\n"
            "                  [--screenshot FILE [--tab series|summary]]\n"
            "\n"
            "  -Energy            show the rebound energy values (any letter case, any position)\n"
            "  PROJECT.zvh        the project to open\n"
            "  --log FILE         write every byte exchanged with the hammer to FILE as\n"
            "                     readable hex, for support\n"
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
