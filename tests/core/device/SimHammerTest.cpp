// The simulated hammer itself: its state files, its check values, its request
// parser, its faults, and the brelvantor-sim program around it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "E2eSupport.h"
#include "SimFaults.h"
#include "SimWire.h"
#include "core/text/TempDir.h"
#include "device/Crc.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

// Everything the hammer sends back for `input`, glued together.
Bytes Answer(Sim::CSimHammer& hammer, const Bytes& input) {
    std::vector<Sim::SSimOutput> out;
    hammer.Receive(input, out);
    Bytes bytes;
    for (const auto& o : out) bytes.insert(bytes.end(), o.Bytes.begin(), o.Bytes.end());
    return bytes;
}

}  // namespace

TEST(SimState, ExampleStatesSurviveADumpAndReload) {
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(BRELVANTOR_SOURCE_DIR) + "/sim/states")) {
        SCOPED_TRACE(entry.path().filename().string());
        Sim::SSimState loaded, reloaded;
        std::string error;
        ASSERT_TRUE(Sim::LoadStateFile(entry.path().string(), loaded, error)) << error;
        ASSERT_TRUE(Sim::ParseState(Sim::StateToJson(loaded), reloaded, error)) << error;
        EXPECT_TRUE(reloaded == loaded);
    }
}

TEST(SimState, LargeStateFillsTheReplyLimit) {
    Sim::CSimHammer hammer(E2e::LoadState("large.json"));
    const std::size_t size = hammer.BuildDownloadReply().size();
    // Header (5 bytes) and the CRC-32 around the data; data and check fit 65536.
    EXPECT_LE(size - 5, 65536u);
    EXPECT_GT(size, 60000u);
}

TEST(SimState, BadStatesAreReportedNotWrapped) {
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {"[1, 2]", "object"},
        {R"({"format": "newer"})", "format"},
        {R"({"deviceCode": 4294967296})", "deviceCode"},
        {R"({"series": [{"mode": 256}]})", "mode"},
        {R"({"series": [{"mode": -1}]})", "mode"},
        {R"({"series": [{"dateTime": "2013-02-30 10:00:00"}]})", "dateTime"},
        {R"({"series": [{"dateTime": "1999-12-31 23:59:59"}]})", "dateTime"},
        {R"({"series": [{"readings": [[1, 70000, 0]]}]})", "energy"},
        {R"({"series": [{"readings": [{"q": 20.25}]}]})", "q"},
        {R"({"curveSlots": [null, null, null, null]})", "curveSlots"},
        {R"({"clock": "yesterday"})", "clock"},
        {R"({"modes": [16]})", "mode"},
        {R"({"generate": {"series": 1000001}})", "generate"},
        {"{", "parse"},
    };
    for (const auto& c : cases) {
        Sim::SSimState state;
        std::string error;
        EXPECT_FALSE(Sim::ParseState(c.json, state, error)) << c.json;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.json << " -> " << error;
    }
}

TEST(SimWire, ChecksAgreeWithTheProgramsTables) {
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Sim::SimCrc8(digits), 0xA1);
    EXPECT_EQ(Sim::SimCrc16(digits), 0xBB3D);
    EXPECT_EQ(Sim::SimCrc32(digits), 0xCBF43926u);
    std::mt19937 rng(7);
    for (const std::size_t length : {0u, 1u, 2u, 3u, 17u, 256u, 4099u}) {
        Bytes data(length);
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        EXPECT_EQ(Sim::SimCrc8(data), Device::Crc8(data)) << length;
        EXPECT_EQ(Sim::SimCrc16(data), Device::Crc16(data)) << length;
        EXPECT_EQ(Sim::SimCrc32(data), Device::Crc32(data)) << length;
    }
}

TEST(SimHammer, AnswersInTheFormOfItsFormat) {
    struct Case {
        bool newFormat;
        Bytes request;
        Bytes answer;
    };
    const Case cases[] = {
        {false, {0xC7, 0xD1, 0x06, 13, 4, 5, 10, 20, 30}, {0x01, 0x01}},
        {false, {0xC8, 0xD1, 0x06, 0x01, 13, 4, 5, 10, 20, 30}, {Sim::kCodeBadRequest}},
        {true, {0xC7, 0xD1, 0x06, 13, 4, 5, 10, 20, 30}, {Sim::kCodeBadRequest}},
        {true, {0xC8, 0xD1, 0x06, 0x01, 13, 2, 30, 10, 20, 30}, {0x01, 0x00}},  // 30 February
        {false, {0xC1, 0xD1, 0x16}, {Sim::kCodeUnknown}},
        {true, {0xC1, 0xD1, 0x16}, {0x06, 0x00, 2, 10, 10, 0, 0}},
        {true, {0xC2, 0xD1, 0x99, 0x00}, {Sim::kCodeUnknown}},
        {true, {0xC0, 0xF1}, {0x04, 0x00, 0x00, 0x01, 0x05}},
        {true, {0xC2, 0xF4, 0x00, 0x08}, {0x01, 0x01}},
        {true, {0xC2, 0xF4, 0x00, 0x05}, {0x01, 0x00}},
        {true, {0xC2, 0xF4, 0x03, 0x0C}, {0x03, 0x2C, 0x01, 0x00}},  // 300 ms
        {true, {0xC2, 0xF4, 0x02, 0x0C}, {}},                        // switching is not answered
        {true, {0x10}, {0x06}},
        {true, {0x10, 'R', 'L', 'G', 'O', 0x0D}, {0x06, '?', 0x0D}},
    };
    for (const auto& c : cases) {
        Sim::CSimHammer hammer(Sim::DefaultState(c.newFormat));
        EXPECT_EQ(Answer(hammer, c.request), c.answer) << c.newFormat << " " << int(c.request[1]);
    }
}

TEST(SimHammer, ResynchronisationEndsAHalfReceivedRequest) {
    Sim::CSimHammer hammer(Sim::DefaultState(false));
    EXPECT_TRUE(Answer(hammer, {0xC7, 0xD1, 0x06, 13}).empty());
    // The frame's first bytes complete the half request (a bad clock, refused);
    // 0xF0 still comes among the three bytes the program looks at.
    const Bytes answer = Answer(hammer, {0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0});
    EXPECT_EQ(answer, (Bytes{0x01, 0x00, 0xF0}));
    EXPECT_FALSE(hammer.GetState().ClockSet);
    EXPECT_EQ(Answer(hammer, {0xC1, 0xD1, 0x11}), (Bytes{0x01, 0x01}));
    EXPECT_EQ(hammer.GetRequests().back().Payload, Bytes{0x11});
}

TEST(SimHammer, ReplyFaultsShapeTheReply) {
    Sim::SSimState state = Sim::DefaultState(true);
    state.Series.push_back({});
    state.Series[0].Readings.resize(10);
    const Bytes clean = Sim::CSimHammer(state).BuildDownloadReply();
    ASSERT_EQ(clean.size(), 5u + 1 + 18 + 40 + 2);
    auto run = [&](const char* fault) {
        Sim::SSimFaults faults;
        std::string error;
        EXPECT_TRUE(Sim::ParseFault(fault, faults, error)) << error;
        Sim::CSimHammer hammer(state, faults);
        std::vector<Sim::SSimOutput> out;
        hammer.Receive(Bytes{0xC1, 0xD1, 0x10}, out);
        return out;
    };
    EXPECT_EQ(run("cut=7")[0].Bytes, Bytes(clean.begin(), clean.begin() + 7));
    const auto bad = run("crc")[0].Bytes;
    EXPECT_EQ(Bytes(bad.begin(), bad.end() - 2), Bytes(clean.begin(), clean.end() - 2));
    EXPECT_NE(bad, clean);
    const auto stalled = run("stall=1234");
    ASSERT_EQ(stalled.size(), 2u);
    EXPECT_EQ(stalled[1].PauseMs, 1234);
    EXPECT_EQ(stalled[0].Bytes.size() + stalled[1].Bytes.size(), clean.size());
    EXPECT_EQ(run("stray=5")[0].Bytes.size(), clean.size() + 5);
    EXPECT_EQ(run("refuse")[0].Bytes, (Bytes{0x01, 0x01}));
    EXPECT_EQ(run("format=9")[0].Bytes[5], 9);
    EXPECT_TRUE(run("mute").empty());
    EXPECT_EQ(run("device-error=250")[0].Bytes, Bytes{0xFA});
}

TEST(SimHammer, GoneAfterAnswersTheFirstRequestsOnly) {
    Sim::SSimFaults faults;
    std::string error;
    ASSERT_TRUE(Sim::ParseFault("gone-after=2", faults, error)) << error;
    Sim::CSimHammer hammer(Sim::DefaultState(true), faults);
    const Bytes deviceCode{0xC0, 0xF1};
    EXPECT_FALSE(Answer(hammer, deviceCode).empty());
    EXPECT_FALSE(Answer(hammer, deviceCode).empty());
    // Switched off: neither a reply nor the clock set, and no prompt for text.
    const Bytes setClock{0xC8, 0xD1, 0x06, 0x01, 13, 2, 10, 10, 20, 30};
    EXPECT_TRUE(Answer(hammer, setClock).empty());
    EXPECT_FALSE(hammer.GetState().ClockSet);
    Sim::CSimHammer on(Sim::DefaultState(true));
    EXPECT_FALSE(Answer(on, setClock).empty());
    EXPECT_TRUE(on.GetState().ClockSet);
    EXPECT_TRUE(Answer(hammer, {'@'}).empty());
}

TEST(SimFaults, Parsing) {
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {"cut", true},          {"cut=0", true},          {"cut=-1", false},     {"crc", true},
        {"crc=1", false},       {"stall=100", true},      {"stall=0", false},    {"stray=4096", true},
        {"stray=4097", false},  {"format=255", true},     {"format=256", false}, {"device-error=239", false},
        {"device-error", true}, {"echo", true},           {"mute", true},        {"garbage", true},
        {"refuse", true},       {"sometimes", false},     {"cut=12abc", false},  {"gone-after", true},
        {"gone-after=0", true}, {"gone-after=-1", false},
    };
    for (const auto& c : cases) {
        Sim::SSimFaults faults;
        std::string error;
        EXPECT_EQ(Sim::ParseFault(c.text, faults, error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
}

// The program as a user runs it: a stable link, a state, and the state written
// back on SIGTERM with what the hammer was sent.
TEST(SimProgram, ServesThroughItsLinkAndDumpsOnTermination) {
    const std::string program = std::string(BRELVANTOR_BINARY_DIR) + "/bin/brelvantor-sim";
    ASSERT_EQ(::access(program.c_str(), X_OK), 0) << program << " is not built";
    CTempDir dir;
    const std::string link = (dir / "hammer").string();
    const std::string dump = (dir / "after.json").string();
    const std::string state = E2e::StatePath("new-format-L.json");

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(program.c_str(), program.c_str(), "--state", state.c_str(), "--link", link.c_str(), "--dump",
                dump.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string firstLine;
    char c = 0;
    pollfd pfd{out[0], POLLIN, 0};
    while (firstLine.size() < 256 && ::poll(&pfd, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') {
        firstLine += c;
    }
    ::close(out[0]);
    EXPECT_EQ(firstLine.rfind("/dev/pts/", 0), 0u) << firstLine;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), firstLine);

    {
        auto hammer = E2e::ConnectIdentified(link);
        EXPECT_TRUE(hammer);
        if (hammer) {
            EXPECT_TRUE(hammer->IsNewFormat());
            EXPECT_TRUE(hammer->DeleteCurveSlots(Device::kSlotC2));
            EXPECT_TRUE(hammer->WriteCustomStatistics({5, 7, 12, 1, 0}));
            EXPECT_TRUE(hammer->SendLinkControl(false, 0));
        }
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    std::ifstream in(dump);
    ASSERT_TRUE(in) << "no dump written";
    const auto json = nlohmann::json::parse(in);
    EXPECT_TRUE(json["curveSlots"][1].is_null());
    EXPECT_FALSE(json["curveSlots"][0].is_null());
    EXPECT_EQ(json["customStatistics"]["mode"], 5);
    EXPECT_EQ(json["customStatistics"]["minImpacts"], 7);
    EXPECT_EQ(json["link"]["offCount"], 1);
    EXPECT_EQ(json["series"].size(), 4u);
}

TEST(SimProgram, HelpAndBadArguments) {
    const std::string program = std::string(BRELVANTOR_BINARY_DIR) + "/bin/brelvantor-sim";
    ASSERT_EQ(::access(program.c_str(), X_OK), 0) << program << " is not built";
    auto run = [&](const std::string& args) {
        const int status = std::system((program + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run("--fault sometimes"), 2);
    EXPECT_EQ(run("--line-rate fast"), 2);
    EXPECT_EQ(run("--state /nonexistent/state.json"), 1);
    EXPECT_EQ(run("--state " + E2e::StatePath("large.json") + " --print-size"), 0);
}
