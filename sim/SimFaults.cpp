#include "SimFaults.h"

#include <cerrno>
#include <cstdlib>

namespace Sim {

namespace {

bool ReadNumber(const std::string& text, long lo, long hi, int& value, std::string& error) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi) {
        error = "expected a number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", got \"" +
                text + "\"";
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

}  // namespace

bool ParseFault(const std::string& text, SSimFaults& faults, std::string& error) {
    const auto eq = text.find('=');
    const std::string kind = text.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? text.substr(eq + 1) : std::string();
    auto number = [&](long lo, long hi, int fallback, int& out) {
        if (!hasValue) {
            out = fallback;
            return true;
        }
        return ReadNumber(value, lo, hi, out, error);
    };
    auto noValue = [&](bool& flag) {
        if (hasValue) {
            error = "fault \"" + kind + "\" takes no value";
            return false;
        }
        flag = true;
        return true;
    };
    bool ok = false;
    if (kind == "cut") {
        ok = number(0, 1 << 24, 8, faults.CutAfter);
    } else if (kind == "crc") {
        ok = noValue(faults.BadCheck);
    } else if (kind == "stall") {
        ok = number(1, 600000, 5000, faults.StallMs);
    } else if (kind == "stray") {
        ok = number(1, 4096, 16, faults.StrayBytes);
    } else if (kind == "refuse") {
        ok = noValue(faults.RefuseDownload);
    } else if (kind == "format") {
        ok = number(0, 255, 2, faults.FormatByte);
    } else if (kind == "mute") {
        ok = noValue(faults.Mute);
    } else if (kind == "gone-after") {
        ok = number(0, 1 << 24, 1, faults.GoneAfter);
    } else if (kind == "garbage") {
        ok = noValue(faults.Garbage);
    } else if (kind == "device-error") {
        ok = number(240, 255, 0xF5, faults.DeviceError);
    } else if (kind == "echo") {
        ok = noValue(faults.Echo);
    } else if (kind == "prompt-stray") {
        ok = number(0, 255, 0x3E, faults.PromptStray);
    } else {
        error = "unknown fault \"" + kind + "\"";
        return false;
    }
    if (!ok && error.find(kind) == std::string::npos) error = "fault \"" + kind + "\": " + error;
    return ok;
}

const char* FaultHelp() {
    return "  cut[=N]           application replies end after N bytes (default 8)\n"
           "  crc               the download reply carries a wrong check value\n"
           "  stall[=MS]        application replies pause for MS ms halfway (default 5000)\n"
           "  stray[=N]         N noise bytes follow every reply (default 16)\n"
           "  refuse            the download is refused (reply 01)\n"
           "  format[=N]        a new-format download starts with format byte N (default 2)\n"
           "  mute              nothing is ever answered\n"
           "  gone-after[=N]    only the first N requests are answered (default 1); the\n"
           "                    hammer then acts as if switched off\n"
           "  garbage           every request is answered with noise\n"
           "  device-error[=C]  application requests get device error code C, 240-255 (default 245)\n"
           "  echo              text commands are echoed from the start\n"
           "  prompt-stray[=B]  byte B (0-255) follows the text prompt (default 0x3E)\n";
}

}  // namespace Sim
