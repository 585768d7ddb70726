// brelvantor-sim: a simulated hammer on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SimFaults.h"
#include "SimHammer.h"
#include "SimPty.h"
#include "SimWire.h"
#include "StateJson.h"

namespace {

Sim::CSimPty* g_Pty = nullptr;
Sim::CSimPty* g_Beside = nullptr;  // the terminal served beside a TCP line

extern "C" void OnSignal(int) {
    if (g_Pty) g_Pty->RequestStop();
    if (g_Beside) g_Beside->RequestStop();
}

void PrintHelp() {
    std::printf(
        "Usage: brelvantor-sim [options]\n"
        "\n"
        "Simulates a Talvenbrecker hammer on a pseudo-terminal. The first line written\n"
        "to standard output is the path of the terminal; open it like a serial port\n"
        "(for example with BRELVANTOR_PORTS=\"1=/dev/pts/7\"). The simulator answers the\n"
        "hammer's requests until it is ended with Ctrl+C or SIGTERM, and keeps serving\n"
        "when the program closes the port and opens it again.\n"
        "\n"
        "Options:\n"
        "  --state FILE       the hammer's state: identity, format, series, curve slots,\n"
        "                     custom statistics, clock (JSON; examples in sim/states/)\n"
        "  --format old|new   without --state: an empty hammer of this format (default new)\n"
        "  --dump FILE        write the state back as JSON on exit, with what the hammer\n"
        "                     was sent: clock, curve slots, statistics, deletions, link-off\n"
        "  --link PATH        make PATH a symbolic link to the terminal (removed on exit)\n"
        "  --tcp HOST:PORT    serve on TCP instead of a terminal, as a hammer behind a\n"
        "                     serial-to-network bridge (port 0: any free port); the\n"
        "                     line printed is then IP:HOST:PORT\n"
        "  --pty              with --tcp: serve on a terminal too (one hammer, two\n"
        "                     lines); its path is printed first, then IP:HOST:PORT\n"
        "  --line-rate N      send at most N bytes per second (3840 is a 38400 baud line);\n"
        "                     default: as fast as the terminal takes them\n"
        "  --fault KIND[=N]   inject a fault (repeatable):\n"
        "%s"
        "                     Reply faults (cut, stall) apply to every reply to an\n"
        "                     application request (0xD1), crc to the download.\n"
        "  --print-size       print the size of the download reply for the state and exit\n"
        "  -v, --verbose      describe every request on standard error\n"
        "  -h, --help         this text\n"
        "\n"
        "Device error codes: 0xF3 unknown request, 0xF4 request of the wrong length or\n"
        "form for this hammer's format; 0xF0 answers the resynchronisation frame.\n"
        "\n"
        "Example:\n"
        "  brelvantor-sim --state sim/states/new-format-L.json --link /tmp/hammer \\\n"
        "                 --dump /tmp/hammer-after.json --line-rate 3840\n",
        Sim::FaultHelp());
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "brelvantor-sim: %s\nTry 'brelvantor-sim --help'.\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string statePath, dumpPath, format = "new";
    Sim::CSimPty::SOptions options;
    Sim::SSimFaults faults;
    bool printSize = false;
    bool keepPty = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "-h" || arg == "--help") {
            PrintHelp();
            return 0;
        } else if (arg == "--state") {
            if (!value(statePath)) return Usage("--state needs a file");
        } else if (arg == "--dump") {
            if (!value(dumpPath)) return Usage("--dump needs a file");
        } else if (arg == "--tcp") {
            if (!value(options.TcpAddress)) return Usage("--tcp needs HOST:PORT");
        } else if (arg == "--pty") {
            keepPty = true;
        } else if (arg == "--link") {
            if (!value(options.LinkPath)) return Usage("--link needs a path");
        } else if (arg == "--format") {
            if (!value(format) || (format != "old" && format != "new"))
                return Usage("--format is old or new");
        } else if (arg == "--line-rate") {
            char* end = nullptr;
            if (!value(v)) return Usage("--line-rate needs a number");
            const unsigned long rate = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || rate > 100000000) return Usage("bad --line-rate: " + v);
            options.LineRate = static_cast<std::uint32_t>(rate);
        } else if (arg == "--fault") {
            std::string error;
            if (!value(v)) return Usage("--fault needs a kind");
            if (!Sim::ParseFault(v, faults, error)) return Usage(error);
        } else if (arg == "--print-size") {
            printSize = true;
        } else if (arg == "-v" || arg == "--verbose") {
            options.Verbose = true;
        } else {
            return Usage("unknown option " + arg);
        }
    }

    Sim::SSimState state = Sim::DefaultState(format == "new");
    if (!statePath.empty()) {
        std::string error;
        if (!Sim::LoadStateFile(statePath, state, error)) {
            std::fprintf(stderr, "brelvantor-sim: %s\n", error.c_str());
            return 1;
        }
    }
    Sim::CSimHammer hammer(state, faults);
    if (printSize) {
        std::printf("%zu\n", hammer.BuildDownloadReply().size());
        return 0;
    }

    if (keepPty && options.TcpAddress.empty()) return Usage("--pty goes with --tcp");
    // Beside a TCP line the terminal serves the same hammer on a thread of its
    // own; the hammer takes one request at a time from either.
    Sim::CSimPty::SOptions besideOptions = options;
    besideOptions.TcpAddress.clear();
    if (keepPty) options.LinkPath.clear();  // --link names the terminal
    Sim::CSimPty beside(hammer, besideOptions);
    std::string error;
    if (keepPty && !beside.Start(error)) {
        std::fprintf(stderr, "brelvantor-sim: %s\n", error.c_str());
        return 1;
    }
    Sim::CSimPty pty(hammer, options);
    if (!pty.Open(error)) {
        std::fprintf(stderr, "brelvantor-sim: %s\n", error.c_str());
        return 1;
    }
    g_Pty = &pty;
    if (keepPty) g_Beside = &beside;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (keepPty) std::printf("%s\n", beside.SlavePath().c_str());
    std::printf("%s\n", pty.SlavePath().c_str());
    std::fflush(stdout);
    const std::string lines = keepPty ? beside.SlavePath() + " and " + pty.SlavePath() : pty.SlavePath();
    const std::string& link = keepPty ? besideOptions.LinkPath : options.LinkPath;
    std::fprintf(stderr, "brelvantor-sim: %s-format hammer \"%s\", %zu series, serving on %s%s%s\n",
                 state.NewFormat ? "new" : "old", state.Identity.DeviceType.c_str(), state.Series.size(),
                 lines.c_str(), link.empty() ? "" : " linked as ", link.c_str());

    pty.Run();
    g_Pty = nullptr;
    beside.Stop();
    g_Beside = nullptr;

    int rc = 0;
    if (!dumpPath.empty()) {
        if (!Sim::SaveStateFile(dumpPath, hammer.GetState(), error)) {
            std::fprintf(stderr, "brelvantor-sim: %s\n", error.c_str());
            rc = 1;
        }
    }
    return rc;
}
