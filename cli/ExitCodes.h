#pragma once
// The exit codes of brelvantor-cli: one per kind of failure, so that a script
// can tell a hammer that is not there from one that refused, and both from a
// file it could not write.

enum EExitCode : int {
    kExitOk = 0,
    kExitInternal = 1,        // an unexpected error inside the program
    kExitUsage = 2,           // bad arguments
    kExitFileMissing = 3,     // an input file does not exist
    kExitUnreadable = 4,      // an input file is not a project or curve file, or cannot be read
    kExitWriteFailed = 5,     // an output file could not be written
    kExitNoHammer = 6,        // no hammer: no such port, port cannot be opened, nobody answers
    kExitCommFailed = 7,      // the hammer's replies failed or could not be read
    kExitNotSupported = 8,    // this hammer cannot do it (download, custom statistics)
    kExitNoSeries = 9,        // the hammer holds no series: nothing was saved
    kExitRefused = 10,        // the hammer refused or did not confirm the request
    kExitUnknownFormat = 11,  // the hammer's data carry a format this program does not know
    kExitCheckFailed = 12,    // the input did not pass the checks (curve, slot upload)
    kExitNotConfirmed = 13,   // a question was answered No, or could not be asked
    kExitNotFound = 14,       // no curve or series of that name or number
    kExitServerUnreachable = 15,  // the update server cannot be reached, or broke off a transfer
};

// The table above as the help texts list it.
const char* ExitCodeHelp();
