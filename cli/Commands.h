#pragma once
// The subcommands of brelvantor-cli. Each takes the arguments after its name
// (and after its second word for "curves", "slots" and "stats"), prints its
// help for -h/--help, and returns the program's exit code.
#include <span>
#include <string>
#include <vector>

class CCliApp;

using Args = std::span<const std::string>;

int CmdPorts(CCliApp& app, Args args);
int CmdIdentify(CCliApp& app, Args args);
int CmdDownload(CCliApp& app, Args args);
int CmdDeleteAll(CCliApp& app, Args args);
int CmdShow(CCliApp& app, Args args);
int CmdExport(CCliApp& app, Args args);
int CmdSummary(CCliApp& app, Args args);
int CmdCurves(CCliApp& app, Args args);
int CmdSlots(CCliApp& app, Args args);
int CmdStats(CCliApp& app, Args args);
int CmdUpdate(CCliApp& app, Args args);
int CmdFirmware(CCliApp& app, Args args);
int CmdVersion(CCliApp& app, Args args);

// Parses `args` for a subcommand; on -h/--help prints `help` and sets `exit`
// to 0, on an error prints it with a hint and sets `exit` to 2. Returns
// whether the command should go on.
class CArgParser;
struct SOption;
bool ParseCommandArgs(CArgParser& parser, Args args, std::span<const SOption> options, const char* command,
                      const std::string& help, int& exit);
// A usage error of `command`: the message, a hint to --help; returns 2.
int UsageError(const char* command, const std::string& message);

// Connects `link` to the hammer --port names (or the one a scan finds); 0 when
// connected, else the exit code. A port text that is no port at all is a
// usage error naming every form a port takes.
class CCliHammerSession;
int ConnectOrFail(CCliHammerSession& link, const CArgParser& parser, const char* command);

// A file a command reads or writes, with the words that name it in a message.
struct SNamedFile {
    std::string role;  // "the project", "--export", ...
    std::string path;
};
// The usage error for the first two of `files` that are one file (links
// followed), so that no output replaces the input or another output; 0 when
// they are all different. A device or FIFO may be named twice: writing into
// it replaces nothing.
int SameFileError(const char* command, const std::vector<SNamedFile>& files);
