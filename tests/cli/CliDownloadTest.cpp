// brelvantor-cli download against the simulated hammer: both data formats into
// a project, and every way a download can end without one.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

#include "CliTestSupport.h"
#include "core/report/ReportTestSupport.h"
#include "device/Identity.h"
#include "device/SeriesDecoder.h"
#include "doc/HammerDoc.h"
#include "report/SeriesTable.h"
#include "support/ScriptedPrompt.h"

namespace {

using namespace CliTest;

std::string ReadFile(const std::filesystem::path& file) {
    return CTempDir::Read(file);
}

class CliDownload : public CCliFixture {
  protected:
    // The project as the desktop program would open it.
    void Open(CHammerDoc& doc, const std::filesystem::path& file) { ASSERT_TRUE(doc.OpenProject(file)); }

    // Every series of the state is in the project, field by field.
    void ExpectSeriesOf(const Sim::SSimState& state, const CHammerData& data) {
        ASSERT_EQ(static_cast<int>(state.Series.size()), data.GetCount());
        for (int i = 0; i < data.GetCount(); ++i) {
            SCOPED_TRACE(i);
            const Sim::SSimSeries& s = state.Series[static_cast<std::size_t>(i)];
            const TVantrelObject& d = data.Series(i);
            EXPECT_EQ(s.ImpactCounter, d.ImpactCounter);
            EXPECT_EQ(s.DateTime, d.DateTime);
            EXPECT_EQ(s.Mode, d.AveragingMode);
            EXPECT_EQ(s.Curve, d.CurveId);
            EXPECT_EQ(s.Unit, d.Unit);
            EXPECT_EQ(s.Form, d.FormCode);
            EXPECT_EQ(Text::FromUtf8(state.Identity.SerialNumber), d.SerialNumber);
            EXPECT_EQ(Text::FromUtf8(state.Identity.DeviceType), d.DeviceType);
            EXPECT_EQ(state.NewFormat ? 1 : 0, d.NewDataFormat);
            ASSERT_EQ(s.Readings.size(), d.Readings.size());
            for (std::size_t r = 0; r < s.Readings.size(); ++r) {
                EXPECT_EQ(s.Readings[r].QHalf, d.Readings[r].QHalf);
                EXPECT_EQ(int{s.Readings[r].Energy}, int{d.Readings[r].Energy});
            }
        }
    }
};

TEST_F(CliDownload, NewerFormatIntoAProjectWithExportRawBytesAndLog) {
    const Sim::SSimState state = LoadState("new-format-L.json");
    StartSim("new-format-L.json");
    const auto project = dir / "site.zvh";
    const SRun run = Cli({"download", "-o", project.string(), "--export", (dir / "site.txt").string(),
                          "--raw", (dir / "site.raw").string(), "--log", (dir / "site.log").string()});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "4 measurement series downloaded and saved in " + project.string()));
    EXPECT_FALSE(Contains(run.err, Msg(62608))) << "no progress bar into a pipe";

    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    Open(doc, project);
    ExpectSeriesOf(state, doc.WorkingData());
    ExpectSeriesOf(state, doc.OriginalData());
    // The slot curves came along: series 2 uses C1 (identifier 50), series 4 C2.
    EXPECT_EQ(u"Tunnel T1", doc.WorkingData().GetCurveName(1));
    EXPECT_EQ(u"Prefab", doc.WorkingData().GetCurveName(3));
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Tunnel T1.zvc"));
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Prefab.zvc"));

    // The export file is the table export of that project.
    const std::u16string text = ReportTest::DecodeExportFile(ReadFile(dir / "site.txt"));
    EXPECT_SAME_TEXT(Report::CSeriesTable().ExportText(doc.WorkingData()), text);
    EXPECT_EQ(4, std::count(text.begin(), text.end(), u'\n'));
    EXPECT_NE(std::u16string::npos, text.find(u"\tTunnel T1\t"));

    // The raw reply is the simulator's download reply and decodes to the same series.
    const std::string raw = ReadFile(dir / "site.raw");
    std::size_t size = 1;  // the format byte, then each series' header and readings
    for (const auto& s : state.Series) size += 18 + 4 * s.Readings.size();
    EXPECT_EQ(size, raw.size());
    EXPECT_EQ(1, raw[0]);
    Device::SDownloadResult decoded;
    const std::vector<std::uint8_t> bytes(raw.begin(), raw.end());
    EXPECT_EQ(0, Device::DecodeSeriesNewFormat(bytes, Device::SIdentity{}, decoded));
    EXPECT_EQ(4u, decoded.Series.size());

    const std::string log = ReadFile(dir / "site.log");
    EXPECT_TRUE(Contains(log, " > ")) << log.substr(0, 400);
    EXPECT_TRUE(Contains(log, " < "));
    EXPECT_TRUE(Contains(log, "@ID@"));

    const Sim::SSimState after = StopSim();
    EXPECT_TRUE(after.ClockSet);
    EXPECT_EQ(4u, after.Series.size()) << "a download deletes nothing";
    EXPECT_GE(after.LinkOffCount, 1u) << "the link is switched off at the end";
}

TEST_F(CliDownload, OlderFormatWithItsCurveSlots) {
    const Sim::SSimState state = LoadState("old-format-N.json");
    StartSim("old-format-N.json");
    const auto project = dir / "old.zvh";
    const SRun run = Cli({"download", "--port", "1", "-o", project.string()});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    Open(doc, project);
    ExpectSeriesOf(state, doc.WorkingData());
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Pier 3.zvc"));
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Deck B.zvc"));
    EXPECT_EQ(2, doc.Library().Count());
}

TEST_F(CliDownload, ProgressBarOnATerminal) {
    StartSim("new-format-L.json");
    const SRun run = CliOnTerminal({"download", "-o", (dir / "p.zvh").string()});
    EXPECT_EQ(0, run.exitCode) << run.out;
    EXPECT_TRUE(Contains(run.out, Msg(62608) + " [")) << run.out;
    EXPECT_TRUE(Contains(run.out, "] 100 %")) << run.out;
    // The bar's line is ended before the next message.
    EXPECT_TRUE(Contains(run.out, "100 %\r\n4 measurement series")) << run.out;
}

TEST_F(CliDownload, EndingsWithoutAProject) {
    struct SCase {
        const char* what;
        const char* state;
        std::vector<std::string> faults;
        int exit;
        std::vector<std::string> messages;
        int rawFirstByte;  // -1: no raw file, -2: any, -3: an empty one
    };
    const SCase cases[] = {
        {"no series", "empty.json", {}, 9, {Msg(59546)}, -3},
        {"no download support", "no-download.json", {}, 8, {Msg(59442)}, -1},
        {"refused",
         "new-format-L.json",
         {"--fault", "refuse"},
         10,
         {Msg(59606), "Download error code 15."},
         1},
        {"format byte 2",
         "new-format-L.json",
         {"--fault", "format=2"},
         11,
         {Msg(59606), "Download error code 14."},
         2},
        {"bad check value", "old-format-N.json", {"--fault", "crc"}, 7, {Msg(59606)}, -2},
        {"the line goes dead half-way",
         "large.json",
         {"--fault", "cut=1000"},
         7,
         {Msg(59606) + "\n" + Msg(62810), "Download error code 6."},
         -2},
        {"clock not confirmed", "new-format-L.json", {"--fault", "device-error"}, 7, {Msg(62603)}, -1},
        {"mute hammer found by no scan", "new-format-L.json", {"--fault", "mute"}, 6, {Msg(21038)}, -1},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir / "p.raw");
        StartSim(c.state, c.faults);
        const SRun run = Cli({"download", "-o", (dir / "p.zvh").string(), "--raw", (dir / "p.raw").string()});
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        for (const std::string& m : c.messages) EXPECT_TRUE(Contains(run.err, m)) << m << "\n" << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "p.zvh"));
        if (c.rawFirstByte == -1) {
            EXPECT_FALSE(std::filesystem::exists(dir / "p.raw"));
        } else if (c.rawFirstByte == -3) {
            EXPECT_EQ("", ReadFile(dir / "p.raw"));
        } else if (c.rawFirstByte >= 0) {
            const std::string raw = ReadFile(dir / "p.raw");
            ASSERT_FALSE(raw.empty());
            EXPECT_EQ(c.rawFirstByte, static_cast<unsigned char>(raw[0]));
        }
        sim.reset();
    }
}

TEST_F(CliDownload, AReplyTooLargeIsKeptAsFarAsItCame) {
    // More series than one reply may carry: the download fails with code 12,
    // and support gets the bytes that arrived.
    std::string state = CTempDir::Read(StateFile("large.json"));
    const std::string generated = "\"series\": 158";
    const std::size_t count = state.find(generated);
    ASSERT_NE(count, std::string::npos);
    state.replace(count, generated.size(), "\"series\": 200");
    const auto file = dir.Write("overfull.json", state);
    StartSim(file.string());
    const SRun run = Cli({"download", "-o", (dir / "p.zvh").string(), "--raw", (dir / "p.raw").string()});
    EXPECT_EQ(7, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "Download error code 12.")) << run.err;
    EXPECT_EQ(std::filesystem::file_size(dir / "p.raw"), 65536u);
    EXPECT_FALSE(std::filesystem::exists(dir / "p.zvh"));
}

TEST_F(CliDownload, AHammerBehindANetworkBridge) {
    // The simulator serves on TCP as a serial-to-network bridge would.
    StartSim("new-format-L.json", {"--tcp", "127.0.0.1:0"});
    const std::string address = sim->Path();
    ASSERT_TRUE(address.starts_with("IP:127.0.0.1:")) << address;

    // Named directly on the command line...
    const SRun identify = Cli({"identify", "--port", address});
    EXPECT_EQ(0, identify.exitCode) << Describe(identify);
    EXPECT_TRUE(Contains(identify.out, "TB-L-20417")) << identify.out;
    EXPECT_TRUE(Contains(identify.out, "Port:\tCOM1 (" + address + ")\n")) << identify.out;

    // ...and as an entry of the port table, which the scan tries with the rest.
    env["BRELVANTOR_PORTS"] = "3=" + (dir / "no-such-tty").string() + ";9=" + address;
    const SRun ports = Cli({"ports"});
    EXPECT_TRUE(Contains(ports.out, address)) << ports.out;
    // The port found by the scan is named as the table names it, in a form
    // --port takes again.
    const SRun scanned = Cli({"identify"});
    EXPECT_EQ(0, scanned.exitCode) << Describe(scanned);
    EXPECT_TRUE(Contains(scanned.out, "Port:\tCOM9 (" + address + ")\n")) << scanned.out;
    const SRun run = Cli({"download", "-o", (dir / "bridge.zvh").string()});
    EXPECT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "4 measurement series downloaded")) << run.err;
    CScriptedPrompt prompt;
    CHammerDoc doc(prompt);
    Open(doc, dir / "bridge.zvh");
    EXPECT_EQ(doc.WorkingData().GetCount(), 4);
    EXPECT_TRUE(StopSim().ClockSet);

    EXPECT_EQ(2, Cli({"identify", "--port", "IP:127.0.0.1"}).exitCode);  // no port number
}

// The setup a lab uses: the hammer's serial line handed to the network by
// socat. The project is the same, byte for byte, as over the line itself.
TEST_F(CliDownload, ThroughASocatBridgeTheProjectIsTheSameAsOverTheLine) {
    StartSim("new-format-L.json");
    const std::string pty = sim->Path();
    const SRun serial = Cli({"download", "--port", pty, "-o", (dir / "serial.zvh").string()});
    ASSERT_EQ(0, serial.exitCode) << Describe(serial);

    // A free port: the system picks one, the bridge takes it over.
    int port = 0;
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len), 0);
        port = ntohs(a.sin_port);
        ::close(s);
    }
    // One connection, no forking: a second socat child still reading the line
    // would take the hammer's answers. It says on stderr when it listens.
    int log[2];
    ASSERT_EQ(::pipe(log), 0);
    const pid_t bridge = ::fork();
    ASSERT_GE(bridge, 0);
    if (bridge == 0) {
        ::dup2(log[1], 2);
        ::close(log[0]);
        const std::string listen = "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr";
        const std::string line = "FILE:" + pty + ",raw,echo=0";
        ::execlp("socat", "socat", "-d", "-d", listen.c_str(), line.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(log[1]);
    std::string said;
    for (char c = 0; said.find("listening on") == std::string::npos && ::read(log[0], &c, 1) == 1;) said += c;
    ASSERT_NE(said.find("listening on"), std::string::npos) << said;
    const std::string address = "IP:127.0.0.1:" + std::to_string(port);
    const SRun bridged = Cli({"download", "--port", address, "-o", (dir / "bridged.zvh").string()});
    ::kill(bridge, SIGTERM);
    WaitExit(bridge);
    ::close(log[0]);  // only now: socat logs the connection there
    ASSERT_EQ(0, bridged.exitCode) << Describe(bridged);
    EXPECT_TRUE(Contains(bridged.err, "4 measurement series downloaded")) << bridged.err;
    EXPECT_EQ(ReadFile(dir / "bridged.zvh"), ReadFile(dir / "serial.zvh"));
}

TEST_F(CliDownload, OneHammerOnATerminalAndOnTcpAtOnce) {
    // Paced like a fast line, on both lines of one simulated hammer.
    StartSim("new-format-L.json", {"--tcp", "127.0.0.1:0", "--pty", "--line-rate", "200000"});
    const std::string address = sim->NextLine();
    ASSERT_TRUE(address.starts_with("IP:127.0.0.1:")) << address;
    for (const std::string& port : {sim->Path(), address}) {
        SCOPED_TRACE(port);
        const SRun identify = Cli({"identify", "--port", port});
        EXPECT_EQ(0, identify.exitCode) << Describe(identify);
        EXPECT_TRUE(Contains(identify.out, "TB-L-20417")) << identify.out;
    }
    const SRun run = Cli({"download", "--port", address, "-o", (dir / "tcp.zvh").string()});
    EXPECT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "4 measurement series downloaded")) << run.err;
    EXPECT_TRUE(StopSim().ClockSet);

    // A fault of the hammer reaches the program over TCP as over the terminal.
    for (const bool overTcp : {false, true}) {
        SCOPED_TRACE(overTcp ? "tcp" : "terminal");
        StartSim("large.json", {"--tcp", "127.0.0.1:0", "--pty", "--fault", "cut=1000"});
        const std::string tcp = sim->NextLine();
        const SRun cut =
            Cli({"download", "--port", overTcp ? tcp : sim->Path(), "-o", (dir / "cut.zvh").string()});
        EXPECT_EQ(7, cut.exitCode) << Describe(cut);
        EXPECT_TRUE(Contains(cut.err, Msg(59606) + "\n" + Msg(62810))) << cut.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "cut.zvh"));
        sim.reset();
    }
}

TEST_F(CliDownload, PortsByNumberPathAndScan) {
    StartSim("new-format-L.json");
    const std::string pty = sim->Path();
    struct SCase {
        const char* what;
        std::string ports;
        std::vector<std::string> args;
        int exit;
        std::string message;
    };
    const std::string missing = (dir / "missing-tty").string();
    const SCase cases[] = {
        {"the terminal's path", "1=" + pty, {"--port", pty}, 0, ""},
        {"a scan finds the hammer on the second port", "1=" + missing + ";2=" + pty, {}, 0, ""},
        {"a port number without an entry", "1=" + pty, {"--port", "5"}, 6, "There is no serial port COM5."},
        {"a path that cannot be opened",
         "1=" + pty,
         {"--port", missing},
         6,
         missing + ": " + Text::ToUtf8(Text::LoadString(20004)) + " The device does not exist."},
        {"a scan that finds nothing", "1=" + missing, {}, 6, Msg(21038)},
        {"neither number nor path", "1=" + pty, {"--port", "COM1"}, 2, "--port takes a port number"},
        {"port 0", "1=" + pty, {"--port", "0"}, 2, "--port takes a port number"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        env["BRELVANTOR_PORTS"] = c.ports;
        std::vector<std::string> args{"identify"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SRun run = Cli(args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        if (c.exit == 0) {
            EXPECT_TRUE(Contains(run.out, "Serial number:\tTB-L-20417\n")) << run.out;
        } else {
            EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        }
    }
}

TEST_F(CliDownload, NoAnswerOnTheGivenPort) {
    StartSim("new-format-L.json", {"--fault", "mute"});
    const SRun run = Cli({"download", "--port", "1", "-o", (dir / "p.zvh").string()});
    EXPECT_EQ(6, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "No Talvenbrecker answered on COM1 (" + sim->Path() + ").")) << run.err;
}

TEST_F(CliDownload, ArgumentsAndAnUnwritableProject) {
    StartSim("new-format-L.json");
    struct SCase {
        std::vector<std::string> args;
        int exit;
    };
    const SCase cases[] = {
        {{"download"}, 2},
        {{"download", "-o"}, 2},
        {{"download", "-o", "a.zvh", "extra"}, 2},
        {{"download", "-o", "a.zvh", "--bogus"}, 2},
        {{"download", "-o", "a.zvh", "-o", "b.zvh"}, 2},
        {{"download", "-o", (dir / "no-such-folder" / "p.zvh").string()}, 5},
        {{"download", "-o", (dir / "p.zvh").string(), "--log", (dir / "no-such-folder" / "x.log").string()},
         5},
        {{"download", "-o", (dir / "p.zvh").string(), "--export",
          (dir / "no-such-folder" / "x.txt").string()},
         5},
        // One file named twice would hold only what was written last.
        {{"download", "-o", (dir / "p.zvh").string(), "--export", (dir / "p.zvh").string()}, 2},
        {{"download", "-o", (dir / "p.zvh").string(), "--raw", (dir / "sub" / ".." / "p.zvh").string()}, 2},
        {{"download", "-o", (dir / "p.zvh").string(), "--raw", (dir / "x").string(), "--log",
          (dir / "x").string()},
         2},
        // A file the user made read-only is left alone.
        {{"download", "-o", (dir / "read-only.zvh").string()}, 5},
    };
    dir.Write("read-only.zvh", "kept");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::permissions(dir / "read-only.zvh", std::filesystem::perms::owner_read);
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << c.args.back() << "\n" << Describe(run);
        if (c.exit == 5) {
            EXPECT_TRUE(Contains(run.err, "could not be written")) << run.err;
        }
    }
    EXPECT_EQ(CTempDir::Read(dir / "read-only.zvh"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_FALSE(std::filesystem::exists(dir / "p.zvh"));
    // Nothing was asked of the hammer for a download that could not be kept.
    EXPECT_FALSE(StopSim().ClockSet);
}

TEST_F(CliDownload, AProjectThatCannotBeSavedLeavesTheTargetAlone) {
    // A folder as the target is refused before the hammer is asked anything.
    StartSim("new-format-L.json");
    dir.Write("taken/keep.txt", "keep");
    const SRun run = Cli({"download", "-o", (dir / "taken").string()});
    EXPECT_EQ(5, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "Is a directory")) << run.err;
    EXPECT_EQ("keep", CTempDir::Read(dir / "taken" / "keep.txt"));
    EXPECT_FALSE(StopSim().ClockSet);

    // A save that fails after the download (here: the file-size limit) says
    // why, and leaves no half project and no temporary file behind.
    StartSim("new-format-L.json");
    const auto out = dir / "limited";
    std::filesystem::create_directory(out);
    const SRun limited = CliTest::Run(
        "/bin/sh",
        {"-c", "ulimit -f 0; exec \"$0\" \"$@\"", BRELVANTOR_CLI, "download", "-o", (out / "p.zvh").string()},
        env);
    EXPECT_EQ(5, limited.exitCode) << Describe(limited);
    EXPECT_TRUE(Contains(limited.err, "File too large")) << limited.err;
    EXPECT_FALSE(Contains(limited.err, "measurement series downloaded")) << limited.err;
    EXPECT_TRUE(std::filesystem::is_empty(out));
    EXPECT_TRUE(StopSim().ClockSet);
}

}  // namespace
