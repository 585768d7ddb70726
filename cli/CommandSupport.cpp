#include "ArgParser.h"
#include "CliHammerSession.h"
#include "CliOutput.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "text/FileReplace.h"

bool ParseCommandArgs(CArgParser& parser, Args args, std::span<const SOption> options, const char* command,
                      const std::string& help, int& exit) {
    std::string error;
    if (!parser.Parse(args, options, error)) {
        exit = UsageError(command, error);
        return false;
    }
    if (parser.HelpRequested()) {
        Cli::Out(help + "\n" + ExitCodeHelp());
        exit = kExitOk;
        return false;
    }
    return true;
}

int UsageError(const char* command, const std::string& message) {
    Cli::Err(std::string("brelvantor-cli ") + command + ": " + message + "\nTry 'brelvantor-cli " + command +
             " --help'.\n");
    return kExitUsage;
}

int ConnectOrFail(CCliHammerSession& link, const CArgParser& parser, const char* command) {
    const int rc = link.Connect(parser.Value("port"));
    if (rc != kExitUsage) return rc;
    return UsageError(command,
                      "--port takes a port number from 1 to 9999, a device path or IP:host:port, not '" +
                          parser.Value("port").value_or("") + "'");
}

int SameFileError(const char* command, const std::vector<SNamedFile>& files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (!Text::IsSameFile(files[i].path, files[j].path)) continue;
            Text::EWriteRoute route = Text::EWriteRoute::Replace;
            if (Text::ChooseWriteRoute(Text::FollowLinks(files[j].path), route) == 0 &&
                route == Text::EWriteRoute::Through)
                continue;
            return UsageError(command, files[i].role + " and " + files[j].role + " name the same file '" +
                                           files[j].path + "'; nothing was written");
        }
    }
    return 0;
}
