// identify, delete-all, slots and stats against the simulated hammer.
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "doc/CurveFile.h"
#include "streamio/IoStream.h"
#include "text/Format.h"

namespace {

using namespace CliTest;

class CliDevice : public CCliFixture {
  protected:
    // A curve in the local library, made as `curves create` makes it.
    void CreateCurve(const std::string& name, const std::vector<std::string>& options) {
        std::vector<std::string> args{"curves", "create", name};
        args.insert(args.end(), options.begin(), options.end());
        const SRun run = Cli(args);
        ASSERT_EQ(0, run.exitCode) << Describe(run);
    }
};

std::string SlotName(const std::optional<Sim::SSimCurveSlot>& slot) {
    if (!slot) return "";
    std::string name;
    for (auto b : slot->Name)
        if (b) name.push_back(static_cast<char>(b));
    return name;
}

TEST_F(CliDevice, IdentifyPrintsTheHammerAndItsPort) {
    StartSim("old-format-N.json");
    const SRun run = Cli({"identify"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.out, "Device type:\tTalvenbrecker UN\n"));
    EXPECT_TRUE(Contains(run.out, "Serial number:\tTB-N-08812\n"));
    EXPECT_TRUE(Contains(run.out, "Signature:\t05000001\n"));
    EXPECT_TRUE(Contains(run.out, "Port:\tCOM1 (" + sim->Path() + ")\n")) << run.out;
}

TEST_F(CliDevice, DeleteAllOnlyWhenConfirmed) {
    struct SCase {
        const char* what;
        std::vector<std::string> args;
        bool terminal;
        std::string answer;
        std::vector<std::string> faults;
        int exit;
        std::vector<unsigned> messages;
        std::size_t seriesLeft;
    };
    const SCase cases[] = {
        {"--yes", {"--yes"}, false, "", {}, 0, {59518, 59512}, 0},
        {"no terminal to ask", {}, false, "", {}, 13, {59518, 62609}, 4},
        {"answered y on the terminal", {}, true, "y\n", {}, 0, {59518, 59512}, 0},
        {"answered no on the terminal", {}, true, "no\n", {}, 13, {59518}, 4},
        {"the hammer does not confirm",
         {"--yes"},
         false,
         "",
         {"--fault", "device-error"},
         10,
         {59518, 59403, 62809},
         4},
        // The hammer deleted, but its answer was lost: the user must not take
        // the series for still being there.
        {"the confirmation is lost", {"--yes"}, false, "", {"--fault", "cut=0"}, 10, {59518, 59403, 62809}, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        StartSim("new-format-L.json", c.faults);
        std::vector<std::string> args{"delete-all"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SRun run = c.terminal ? CliOnTerminal(args, {{"[y/N] ", c.answer}}) : Cli(args);
        const std::string& shown = c.terminal ? run.out : run.err;
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        for (unsigned id : c.messages) EXPECT_TRUE(Contains(shown, Msg(id))) << id << "\n" << shown;
        if (c.exit != 0) {
            EXPECT_FALSE(Contains(shown, Msg(59512)));
        }
        EXPECT_EQ(c.seriesLeft, StopSim().Series.size());
    }
}

TEST_F(CliDevice, DeleteAllWithoutAHammer) {
    const SRun run = Cli({"delete-all", "--yes"});
    EXPECT_EQ(6, run.exitCode);
    EXPECT_TRUE(Contains(run.err, Msg(59513))) << run.err;
}

TEST_F(CliDevice, SlotsAreShown) {
    StartSim("new-format-L.json");
    const SRun run = Cli({"slots"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.out, "C1:  Tunnel T1  Polynomial ")) << run.out;
    EXPECT_TRUE(Contains(run.out, "C2:  Prefab     Exponential")) << run.out;
    EXPECT_TRUE(Contains(run.out, "C3:  [Empty]\n")) << run.out;
}

TEST_F(CliDevice, SlotUploadRefusalsLeaveTheSlotsAlone) {
    struct SCase {
        const char* what;
        const char* state;
        std::string curve;
        std::vector<std::string> options;
        std::string slot;
        unsigned message;
    };
    const SCase cases[] = {
        {"type N curve to an L hammer",
         "new-format-L.json",
         "ForN",
         {"--c", "1", "--type", "N"},
         "C3",
         59550},
        {"type L curve to an N hammer",
         "old-format-N.json",
         "ForL",
         {"--c", "1", "--type", "L"},
         "C2",
         59549},
        {"cubic to an older hammer",
         "old-format-N.json",
         "Cubic",
         {"--a", "0.00001", "--c", "1"},
         "C2",
         59579},
        {"exponential to an older hammer",
         "old-format-N.json",
         "Exp",
         {"--kind", "exp", "--a", "1", "--b", "0.05"},
         "C2",
         59579},
        {"name of C2 into an empty slot",
         "new-format-L.json",
         "Prefab",
         {"--c", "1", "--type", "L"},
         "C3",
         59551},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CreateCurve(c.curve, c.options);
        const Sim::SSimState before = LoadState(c.state);
        StartSim(c.state);
        const SRun run = Cli({"slots", "upload", c.curve, "--slot", c.slot, "--yes"});
        EXPECT_EQ(12, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Msg(c.message))) << run.err;
        EXPECT_EQ(before.Slots, StopSim().Slots);
    }
}

TEST_F(CliDevice, ADamagedCurveFileNeverReachesASlot) {
    // The library reads whatever its files hold; a slot converts every later
    // series on the hammer. Offsets are those of a format 2 curve file.
    struct SCase {
        const char* what;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    const SCase cases[] = {
        {"c is not a number", 80, {0x00, 0x00, 0xC0, 0x7F}},
        {"Q range upside down", 69, {90, 10}},
        {"Q maximum beyond 100", 70, {250}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Curves());
        CreateCurve("Cracked", {"--c", "1", "--type", "L"});
        std::string bytes = CTempDir::Read(Curves() / "Cracked.zvc");
        ASSERT_GE(bytes.size(), c.offset + c.bytes.size());
        for (std::size_t i = 0; i < c.bytes.size(); ++i) bytes[c.offset + i] = static_cast<char>(c.bytes[i]);
        dir.Write("curves/Cracked.zvc", bytes);

        const Sim::SSimState before = LoadState("new-format-L.json");
        StartSim("new-format-L.json");
        const SRun run = Cli({"slots", "upload", "Cracked", "--slot", "C3", "--yes"});
        EXPECT_EQ(12, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Msg(62895))) << run.err;
        EXPECT_EQ(before.Slots, StopSim().Slots);
    }
}

TEST_F(CliDevice, UploadIntoAFilledSlotOnlyWhenConfirmed) {
    CreateCurve("Wall 2", {"--c", "0.8", "--d", "-4", "--qmin", "20", "--qmax", "70", "--type", "L"});
    const std::string question =
        Text::ToUtf8(Text::FormatString(59548, u"Tunnel T1", u"Tunnel T1", u"Wall 2"));
    {
        StartSim("new-format-L.json");
        const SRun run = Cli({"slots", "upload", "Wall 2", "--slot", "c1"});
        EXPECT_EQ(13, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, question)) << run.err;
        EXPECT_TRUE(Contains(run.err, Msg(62609)));
        EXPECT_TRUE(Contains(run.out, "C1:  Tunnel T1")) << "the slots are shown again";
        EXPECT_EQ("Tunnel T1", SlotName(StopSim().Slots[0]));
    }
    {
        StartSim("new-format-L.json");
        const SRun run = Cli({"slots", "upload", "Wall 2", "--slot", "C1", "--yes"});
        EXPECT_EQ(0, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.out, "C1:  Wall 2")) << run.out;
        const Sim::SSimState after = StopSim();
        ASSERT_TRUE(after.Slots[0]);
        EXPECT_EQ("Wall 2", SlotName(after.Slots[0]));
        EXPECT_EQ(0x0A, after.Slots[0]->Flags);
        EXPECT_FLOAT_EQ(0.8f, after.Slots[0]->C);
        EXPECT_EQ(20, after.Slots[0]->QMin);
    }
    {
        // An empty slot is filled without a question; an older hammer takes a quadratic curve.
        CreateCurve("Quad", {"--b", "0.002", "--c", "0.5", "--d", "1"});
        StartSim("old-format-N.json");
        const SRun run = Cli({"slots", "upload", "Quad", "--slot", "C2"});
        EXPECT_EQ(0, run.exitCode) << Describe(run);
        EXPECT_EQ("Quad", SlotName(StopSim().Slots[1]));
    }
}

TEST_F(CliDevice, ClearingAFilledSlotAsksTheQuestionOfTheFormat) {
    struct SCase {
        const char* state;
        std::string slot;
        unsigned question;
        std::string name;
    };
    const SCase cases[] = {{"new-format-L.json", "C2", 59580, "Prefab"},
                           {"old-format-N.json", "C3", 59547, "Deck B"}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.state);
        StartSim(c.state);
        const SRun run = Cli({"slots", "clear", c.slot, "--yes"});
        EXPECT_EQ(0, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Text::ToUtf8(Text::FormatString(c.question, Text::FromUtf8(c.name)))))
            << run.err;
        EXPECT_TRUE(Contains(run.out, c.slot + ":  [Empty]")) << run.out;
        const auto slots = StopSim().Slots;
        EXPECT_FALSE(slots[c.slot == "C2" ? 1 : 2]);
    }
}

TEST_F(CliDevice, SlotArguments) {
    CreateCurve("Wall", {"--c", "1", "--type", "L"});
    StartSim("new-format-L.json");
    struct SCase {
        std::vector<std::string> args;
        int exit;
    };
    const SCase cases[] = {
        {{"slots", "upload", "Nobody", "--slot", "C1"}, 14},
        {{"slots", "upload", "Wall"}, 2},
        {{"slots", "upload", "Wall", "--slot", "C4"}, 2},
        {{"slots", "clear"}, 2},
        {{"slots", "clear", "C9"}, 2},
        {{"slots", "fill"}, 2},
    };
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << c.args[1] << "\n" << Describe(run);
    }
    EXPECT_EQ(LoadState("new-format-L.json").Slots, StopSim().Slots);
}

TEST_F(CliDevice, ArgumentErrorsNameWhatIsWrong) {
    // Caught before any port is opened: no hammer is needed.
    struct SCase {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string ports = "a port number from 1 to 9999, a device path or IP:host:port, not ";
    const SCase cases[] = {
        {{"stats", "get", "now"}, "unexpected argument 'now'"},
        {{"stats", "set", "--min", "5", "twice"}, "unexpected argument 'twice'"},
        {{"update", "check", "now"}, "unexpected argument 'now'"},
        {{"firmware", "check", "now"}, "unexpected argument 'now'"},
        {{"stats", "put"}, "say get or set, not 'put'"},
        {{"slots", "--port", "IP:127.0.0.1"}, ports + "'IP:127.0.0.1'"},
        {{"slots", "clear", "C1", "--port", "0"}, ports + "'0'"},
        {{"stats", "get", "--port", "10000"}, ports + "'10000'"},
        {{"firmware", "check", "--port", "IP:host:99999"}, ports + "'IP:host:99999'"},
    };
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(2, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.message)) << c.message << "\n" << run.err;
    }
}

TEST_F(CliDevice, StatisticsAreShownAndChanged) {
    StartSim("new-format-L.json");
    const SRun get = Cli({"stats", "get"});
    ASSERT_EQ(0, get.exitCode) << Describe(get);
    EXPECT_TRUE(Contains(get.out, "Statistic method:           Mean\n")) << get.out;
    EXPECT_TRUE(Contains(get.out, "Maximum number of impacts:  20\n")) << get.out;

    const SRun set = Cli({"stats", "set", "--method", "median", "--min", "9", "--max", "15", "--lower", "1"});
    ASSERT_EQ(0, set.exitCode) << Describe(set);
    EXPECT_TRUE(Contains(set.out, "Median only")) << set.out;
    const Sim::SSimState after = StopSim();
    ASSERT_TRUE(after.Statistics);
    // The upper outliers were not given: they stay as the hammer held them.
    EXPECT_EQ((Sim::SSimStatistics{5, 9, 15, 2, 1}), *after.Statistics);
}

TEST_F(CliDevice, AChangeTheHammerConfirmedIsSaidEvenWhenItCannotBeReadBack) {
    // The hammer carries out the change and goes away before the read-back
    // (it answers the identification, the read before the change and the
    // change itself). Failing is right, but the user must learn that the
    // change was made: trying it again would meet a changed hammer.
    CreateCurve("Wall 2", {"--c", "0.8", "--qmin", "20", "--qmax", "70", "--type", "L"});
    struct SCase {
        std::vector<std::string> args;
        const char* fault;
        std::string said;
    };
    const SCase cases[] = {
        {{"slots", "upload", "Wall 2", "--slot", "C3", "--yes"},
         "gone-after=4",
         Text::ToUtf8(Tools::FormatToolString(62896, "Wall 2", "C3"))},
        {{"slots", "clear", "C1", "--yes"},
         "gone-after=3",
         Text::ToUtf8(Tools::FormatToolString(62897, "C1"))},
        {{"stats", "set", "--min", "5"}, "gone-after=3", Msg(62898)},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.args[1]);
        StartSim("new-format-L.json", {"--fault", c.fault});
        const SRun run = Cli(c.args);
        EXPECT_EQ(7, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.said)) << run.err;
        const Sim::SSimState after = StopSim();
        const Sim::SSimState before = LoadState("new-format-L.json");
        if (c.args[0] == "stats") {
            ASSERT_TRUE(after.Statistics);
            EXPECT_EQ(5, after.Statistics->MinImpacts);
        } else {
            EXPECT_NE(before.Slots, after.Slots);
        }
    }
}

TEST_F(CliDevice, RefusedStatisticsChooseTheirMessage) {
    struct SCase {
        std::vector<std::string> args;
        int exit;
        unsigned message;
    };
    const SCase cases[] = {
        {{"--min", "0", "--max", "120"}, 10, 59592},
        {{"--min", "5", "--max", "20", "--upper", "3", "--lower", "3"}, 10, 59590},
        {{"--min", "20", "--max", "10"}, 10, 59589},
        {{"--max", "120"}, 10, 59591},
        {{"--max", "300"}, 12, 62601},  // never sent as its low byte, 44
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.message);
        StartSim("new-format-L.json");
        std::vector<std::string> args{"stats", "set"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SRun run = Cli(args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Msg(c.message))) << run.err;
        const Sim::SSimState after = StopSim();
        ASSERT_TRUE(after.Statistics);
        EXPECT_EQ((Sim::SSimStatistics{2, 10, 20, 2, 2}), *after.Statistics);
    }
}

TEST_F(CliDevice, StatisticsOfAnOlderHammer) {
    StartSim("old-format-N.json");
    for (const char* action : {"get", "set"}) {
        const SRun run = Cli({"stats", action, "--port", "1"});
        EXPECT_EQ(8, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Msg(59593))) << run.err;
    }
    const SRun bad = Cli({"stats", "set", "--min", "ten"});
    EXPECT_EQ(2, bad.exitCode);
}

}  // namespace
