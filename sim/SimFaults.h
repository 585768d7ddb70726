#pragma once
// Faults the simulated hammer can inject, so that the program's handling of a
// bad line or a misbehaving hammer can be tried without one.
#include <string>

namespace Sim {

struct SSimFaults {
    // Application replies end after this many bytes (-1: never).
    int CutAfter = -1;
    // Extended replies (the download) carry a wrong check value.
    bool BadCheck = false;
    // Application replies pause for this many ms halfway through (0: never).
    int StallMs = 0;
    // Noise bytes sent right after every reply (0: none).
    int StrayBytes = 0;
    // The download is refused as a hammer without download rights does.
    bool RefuseDownload = false;
    // Format byte of a new-layout download (-1: the state's).
    int FormatByte = -1;
    // Nothing is ever answered.
    bool Mute = false;
    // Only the first N requests are answered (-1: all); later ones are neither
    // answered nor carried out, as by a hammer switched off or unplugged.
    int GoneAfter = -1;
    // Every request is answered with noise instead of a reply.
    bool Garbage = false;
    // Application requests are answered with this device error code (-1: never).
    int DeviceError = -1;
    // Text commands are echoed from the start (a hammer whose echo was left on).
    bool Echo = false;
    // A byte that follows the text prompt (-1: none): a line that picked up noise,
    // or a bridge in between that adds a byte of its own.
    int PromptStray = -1;

    bool Any() const {
        return CutAfter >= 0 || BadCheck || StallMs > 0 || StrayBytes > 0 || RefuseDownload ||
               FormatByte >= 0 || Mute || GoneAfter >= 0 || Garbage || DeviceError >= 0 || Echo ||
               PromptStray >= 0;
    }
};

// Applies one "--fault KIND[=N]" argument; false with a message for an unknown
// kind or a bad number.
bool ParseFault(const std::string& text, SSimFaults& faults, std::string& error);

// The fault kinds with their meaning, for --help.
const char* FaultHelp();

}  // namespace Sim
