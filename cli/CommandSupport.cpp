#include "ArgParser.h"
#include "CliOutput.h"
#include "Commands.h"
#include "ExitCodes.h"

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
