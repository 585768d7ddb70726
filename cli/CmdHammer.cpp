// The commands that talk to a hammer's series: ports, identify, download,
// delete-all; and version.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "ArgParser.h"
#include "BrelvantorVersion.h"
#include "CliApp.h"
#include "CliHammerSession.h"
#include "CliOutput.h"
#include "CliStrings.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "ProgressBar.h"
#include "TextTable.h"
#include "device/HexTrafficLog.h"
#include "device/PortTable.h"
#include "device/SeriesDecoder.h"
#include "doc/HammerDoc.h"
#include "report/ExportFile.h"
#include "report/SeriesTable.h"
#include "settings/AppSettings.h"
#include "text/Encoding.h"
#include "text/FileReplace.h"
#include "text/FileVersionInfo.h"
#include "text/StringTable.h"
#include "tools/HammerCommands.h"
#include "tools/ToolStrings.h"

namespace {

constexpr SOption kPortOption{"port", 'p', true};

void ShowFileNotWritten(CCliApp& app, const std::string& path, const std::string& reason) {
    Tools::ShowToolText(app.Prompt(), kIdFileNotWritten,
                        Tools::FormatToolString(kIdFileNotWritten, path, reason), Text::MsgIcon::Error);
}

// A file the command will write, checked before the hammer is touched: a
// download that cannot be saved is a download for nothing.
bool CanBeWritten(CCliApp& app, const std::string& file) {
    const std::filesystem::path target = Text::FollowLinks(file);
    const std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    int refused = folder.empty() || std::filesystem::is_directory(folder, ec) ? 0 : ENOENT;
    Text::EWriteRoute route = Text::EWriteRoute::Replace;
    if (refused == 0) refused = Text::ChooseWriteRoute(target, route);
    if (refused == 0) return true;
    ShowFileNotWritten(app, file, Text::DescribeErrno(refused));
    return false;
}

int NoArguments(const CArgParser& parser, const char* command) {
    if (parser.Positionals().empty()) return kExitOk;
    return UsageError(command, "unexpected argument '" + parser.Positionals().front() + "'");
}

int DownloadFailureExit(int code) {
    switch (code) {
        case Device::kDownloadRefused:
            return kExitRefused;
        case Device::kDownloadUnknownFormat:
            return kExitUnknownFormat;
        default:
            return kExitCommFailed;
    }
}

}  // namespace

int CmdPorts(CCliApp& app, Args args) {
    (void)app;
    static const std::string help =
        "Usage: brelvantor-cli ports\n"
        "\n"
        "Lists the serial port table: each port number with its device path and\n"
        "whether that device exists now. The table comes from BRELVANTOR_PORTS, else\n"
        "from the settings value SerialPorts, else from the existing /dev/ttyACM*,\n"
        "/dev/ttyUSB* and /dev/ttyS* numbered from 1.\n";
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, {}, "ports", help, exit)) return exit;
    if (const int rc = NoArguments(parser, "ports")) return rc;

    const Device::CPortTable table = Device::CPortTable::Current();
    CTextTable out({Tools::LoadToolString(kIdLabelPort), Tools::LoadToolString(kIdLabelDevicePath),
                    Tools::LoadToolString(kIdLabelExists)});
    for (const auto& entry : table.Entries()) {
        out.AddRow({Text::Widen("COM" + std::to_string(entry.Number)), Text::FromUtf8(entry.Path),
                    Tools::LoadToolString(table.Exists(entry.Number) ? kIdYes : kIdNo)});
    }
    Cli::Out(out.Render());
    return kExitOk;
}

int CmdIdentify(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli identify [--port P]\n"
        "\n"
        "Identifies the hammer and prints its device type, serial number, versions,\n"
        "hardware revision and signature, and the port it answered on.\n"
        "\n"
        "Options:\n"
        "  -p, --port P   port number, device path or IP:host:port (default: scan)\n";
    static const SOption options[] = {kPortOption};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "identify", help, exit)) return exit;
    if (const int rc = NoArguments(parser, "identify")) return rc;

    CCliHammerSession link(app.Prompt());
    if (const int rc = ConnectOrFail(link, parser, "identify")) return rc;
    std::string text = Cli::TerminalText(link.Hammer()->GetInfoText());
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += Cli::TerminalText(Tools::FormatToolString(kIdPortLine, link.PortText())) + "\n";
    Cli::Out(text);
    return kExitOk;
}

int CmdDownload(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli download -o PROJECT [--port P] [--export TEXTFILE]\n"
        "                               [--raw FILE] [--log FILE] [--energy]\n"
        "\n"
        "Downloads every series of the hammer into a new project file: sets the\n"
        "hammer's clock, registers the curves of its slots C1 to C3 with the local\n"
        "curve library, downloads (with a progress bar when standard error is a\n"
        "terminal) and saves the project. The project file is written only when series\n"
        "came; an existing file is replaced as a whole or not at all. The series stay\n"
        "on the hammer.\n"
        "\n"
        "Options:\n"
        "  -o, --output PROJECT  the project file (.zvh) to write\n"
        "  -p, --port P          port number, device path or IP:host:port (default: scan)\n"
        "      --export FILE     also write the table export text (UTF-16) of the series\n"
        "      --energy          with the energy column in the export\n"
        "      --raw FILE        keep the download reply bytes as they came, for support\n"
        "                        (written whenever the hammer sent a reply)\n"
        "      --log FILE        write every byte exchanged with the hammer as readable hex\n";
    static const SOption options[] = {kPortOption,      {"output", 'o', true}, {"export", 0, true},
                                      {"raw", 0, true}, {"log", 0, true},      {"energy", 0, false}};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "download", help, exit)) return exit;
    if (const int rc = NoArguments(parser, "download")) return rc;
    const std::string output = parser.Value("output").value_or("");
    if (output.empty()) return UsageError("download", "the project file (-o PROJECT) is missing");
    std::vector<SNamedFile> outputs;
    for (const char* name : {"output", "export", "raw", "log"}) {
        const auto file = parser.Value(name);
        if (!file) continue;
        if (!CanBeWritten(app, *file)) return kExitWriteFailed;
        outputs.push_back({name == std::string("output") ? "-o" : std::string("--") + name, *file});
    }
    // Two outputs in one file would leave only the last one written.
    if (const int rc = SameFileError("download", outputs)) return rc;

    std::ofstream logFile;
    std::unique_ptr<Device::CHexTrafficLog> log;
    if (const auto logPath = parser.Value("log")) {
        // The log grows while the hammer talks, so it is written in place.
        logFile.open(*logPath, std::ios::binary | std::ios::trunc);
        if (!logFile) {
            ShowFileNotWritten(app, *logPath, std::strerror(errno));
            return kExitWriteFailed;
        }
        log = std::make_unique<Device::CHexTrafficLog>(logFile);
    }

    CHammerDoc doc(app.Prompt());
    doc.SetEnergyDisplay(parser.Has("energy"));
    CCliHammerSession link(app.Prompt(), log.get());
    if (const int rc = ConnectOrFail(link, parser, "download")) return rc;

    CProgressBar bar(Tools::LoadToolString(kIdPleaseWait));
    app.Prompt().SetBeforeOutput([&bar] { bar.Finish(); });
    const Tools::TDownloadOutcome outcome =
        Tools::DownloadAllSeries(*link.Hammer(), doc, app.Prompt(), &bar, std::time(nullptr));
    bar.Finish();

    int result = kExitOk;
    // The reply bytes matter most when the download could not be read.
    if (const auto rawPath = parser.Value("raw"); rawPath && link.Hammer()->HasReply()) {
        const auto& reply = link.Hammer()->Reply();
        if (const int error = Text::ReplaceFile(
                *rawPath, std::string_view(reinterpret_cast<const char*>(reply.data()), reply.size()))) {
            ShowFileNotWritten(app, *rawPath, Text::DescribeErrno(error));
            result = kExitWriteFailed;
        }
    }
    if (outcome.disconnect) link.Disconnect();

    switch (outcome.result) {
        case Tools::EDownloadResult::ClockNotSet:
            Tools::ShowToolMessage(app.Prompt(), kIdClockNotSet, Text::MsgIcon::Error);
            return kExitCommFailed;
        case Tools::EDownloadResult::NoDownloadSupport:
            return kExitNotSupported;
        case Tools::EDownloadResult::SlotsUnreadable:
        case Tools::EDownloadResult::IdentificationUnreadable:
            return kExitCommFailed;
        case Tools::EDownloadResult::DownloadFailed:
            Tools::ShowToolText(app.Prompt(), kIdDownloadCode,
                                Tools::FormatToolString(kIdDownloadCode, outcome.code), Text::MsgIcon::Error);
            return DownloadFailureExit(outcome.code);
        case Tools::EDownloadResult::NoSeries:
            return kExitNoSeries;
        case Tools::EDownloadResult::SeriesTaken:
            break;
    }

    // The document shows its own message when the project cannot be saved.
    if (!doc.SaveProject(output)) return kExitWriteFailed;
    Tools::ShowToolText(app.Prompt(), kIdDownloaded,
                        Tools::FormatToolString(kIdDownloaded, outcome.seriesCount, output),
                        Text::MsgIcon::Information);
    if (const auto exportPath = parser.Value("export")) {
        const Report::CSeriesTable table(
            {.energyDisplay = doc.IsEnergyDisplay(), .dtFormat = app.DtFormat()});
        const Report::TExportFileResult written =
            Report::WriteExportFile(*exportPath, table.ExportText(doc.WorkingData()));
        if (!written) {
            Tools::ShowToolText(app.Prompt(), kIdExportNotWritten,
                                Text::FormatString(kIdExportNotWritten, *exportPath, written.reason),
                                Text::MsgIcon::Error);
            result = kExitWriteFailed;
        }
    }
    return result;
}

int CmdDeleteAll(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli delete-all [--port P] [--yes]\n"
        "\n"
        "Deletes every series on the hammer. Asks first on a terminal; without a\n"
        "terminal nothing is deleted unless --yes is given. Download the series first:\n"
        "they cannot be brought back.\n"
        "\n"
        "Options:\n"
        "  -p, --port P   port number, device path or IP:host:port (default: scan)\n"
        "  -y, --yes      delete without asking\n";
    static const SOption options[] = {kPortOption, {"yes", 'y', false}};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "delete-all", help, exit)) return exit;
    if (const int rc = NoArguments(parser, "delete-all")) return rc;

    CCliHammerSession link(app.Prompt());
    if (const int rc = ConnectOrFail(link, parser, "delete-all")) {
        if (rc != kExitUsage)
            Text::ShowMessageId(app.Prompt(), Tools::kIdNotConnected, Text::MsgIcon::Warning);
        return rc;
    }
    app.Prompt().SetAssumeYes(parser.Has("yes"));
    switch (Tools::DeleteAllSeriesOnHammer(*link.Hammer(), app.Prompt())) {
        case Tools::EDeleteResult::Deleted:
            return kExitOk;
        case Tools::EDeleteResult::Failed:
            return kExitRefused;
        case Tools::EDeleteResult::Declined:
            break;
    }
    if (app.Prompt().QuestionUnanswered())
        Tools::ShowToolMessage(app.Prompt(), kIdNotConfirmed, Text::MsgIcon::Warning);
    return kExitNotConfirmed;
}

int CmdVersion(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli version\n"
        "\n"
        "Prints the program's version, and the language module in use when the\n"
        "settings select one.\n";
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, {}, "version", help, exit)) return exit;
    if (const int rc = NoArguments(parser, "version")) return rc;
    std::string text = "brelvantor-cli " BRELVANTOR_VERSION_TEXT "\n";
    const Settings::CAppSettings& settings = app.AppSettings();
    if (settings.IsLanguageModuleLoaded()) {
        const Text::CFileVersionInfo& info = settings.ResourceVersionInfo();
        text += Cli::Utf8(info.Get(u"InternalName")) + " " + Cli::Utf8(info.FileVersion().ToText()) + " (" +
                Cli::Utf8(settings.LanguageFile()) + ")\n";
    }
    Cli::Out(text);
    return kExitOk;
}
