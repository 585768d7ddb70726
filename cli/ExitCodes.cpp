#include "ExitCodes.h"

const char* ExitCodeHelp() {
    return "Exit codes:\n"
           "   0  success\n"
           "   1  internal error\n"
           "   2  bad arguments\n"
           "   3  an input file does not exist\n"
           "   4  an input file is not a project or curve file, or cannot be read\n"
           "   5  an output file could not be written\n"
           "   6  no hammer: no such port, the port cannot be opened, or nothing answered\n"
           "   7  communication with the hammer failed\n"
           "   8  this hammer does not support the operation\n"
           "   9  the hammer holds no series (no project was written)\n"
           "  10  the hammer refused or did not confirm the request\n"
           "  11  the hammer's data carry a format this program does not know\n"
           "  12  the input did not pass the checks (new curve, slot upload)\n"
           "  13  not confirmed: a question was answered No or could not be asked\n"
           "  14  no such curve or series\n"
           "  15  the update server cannot be reached, or broke off the transfer\n";
}
