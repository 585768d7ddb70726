// curves list | show | create | delete: the local curve library from the command line.
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "doc/CurveFile.h"

namespace {

using namespace CliTest;

class CliCurves : public CCliFixture {
  protected:
    SRun Create(const std::string& name, const std::vector<std::string>& options) {
        std::vector<std::string> args{"curves", "create", name};
        args.insert(args.end(), options.begin(), options.end());
        return Cli(args);
    }
};

TEST_F(CliCurves, CreateRefusesWhatTheChecksRefuse) {
    struct SCase {
        const char* what;
        std::string name;
        std::vector<std::string> options;
        int exit;
        std::string message;
    };
    const SCase cases[] = {
        {"empty name", "  ", {"--c", "1"}, 12, Msg(59524)},
        {"eleven characters", "ABCDEFGHIJK", {"--c", "1"}, 12, Msg(59531)},
        {"a slash", "a/b", {"--c", "1"}, 12, Msg(59539)},
        {"span of 9", "Narrow", {"--c", "1", "--qmin", "50", "--qmax", "59"}, 12, Msg(59525)},
        {"beyond Q 100", "Wide", {"--c", "1", "--qmin", "95", "--qmax", "105"}, 12, Msg(62602)},
        {"negative at the minimum", "Neg", {"--c", "1", "--d", "-20"}, 12, Msg(59526)},
        {"not increasing", "Flat", {"--d", "5"}, 12, Msg(59527)},
        {"exponential with b = 0", "Flat exp", {"--kind", "exp", "--a", "3"}, 12, Msg(59527)},
        {"over 300 N/mm2", "Steep", {"--c", "3.4"}, 12, Msg(59554)},
        {"3100 kg/cm2 at Q 90", "Kg3100", {"--c", "34.444444", "--unit", "kgcm2"}, 12, Msg(59554)},
        {"a number that is no number", "Typo", {"--c", "1,5"}, 2, "--c takes a number, not '1,5'"},
        {"infinity is no number", "Inf", {"--c", "inf"}, 2, "--c takes a number"},
        {"unknown kind", "K", {"--kind", "log"}, 2, "--kind is poly or exp"},
        {"unknown type", "T", {"--type", "X"}, 2, "--type is N or L"},
        {"unknown unit", "U", {"--unit", "bar"}, 2, "--unit is nmm2, kgcm2, psi or mpa"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const SRun run = Create(c.name, c.options);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        EXPECT_FALSE(Contains(run.err, Msg(59528)));
    }
    std::error_code ec;
    EXPECT_TRUE(!std::filesystem::exists(Curves(), ec) || std::filesystem::is_empty(Curves(), ec));
}

TEST_F(CliCurves, CreatedCurvesAreStoredAsEntered) {
    const SRun kg = Create("Kg3000", {"--c", "33.333333", "--unit", "kgcm2", "--type", "L"});
    ASSERT_EQ(0, kg.exitCode) << Describe(kg);
    EXPECT_TRUE(Contains(kg.err, Msg(59528)));
    const auto curve = Doc::ReadCurveFile(Curves() / "Kg3000.zvc");
    ASSERT_TRUE(curve);
    EXPECT_EQ(0x02 | 0x10, curve->Flags);
    EXPECT_EQ(static_cast<float>(33.333333 * 0.09806805923310778), float{curve->C});
    EXPECT_EQ(10, curve->QMin);
    EXPECT_EQ(90, curve->QMax);

    const SRun psi =
        Create("Psi 1", {"--c", "400", "--d", "100", "--unit", "psi", "--qmin", "15.5", "--qmax", "80"});
    ASSERT_EQ(0, psi.exitCode) << Describe(psi);
    const SRun shown = Cli({"curves", "show", "Psi 1"});
    ASSERT_EQ(0, shown.exitCode) << Describe(shown);
    // As the view of an existing curve: in the unit of entry, six decimals.
    const std::size_t c = shown.out.find("\nc:");
    ASSERT_NE(std::string::npos, c) << shown.out;
    EXPECT_NEAR(400.0, std::stod(shown.out.substr(c + 3)), 0.001) << shown.out;
    EXPECT_EQ('.', shown.out[shown.out.find('\n', c + 1) - 7]) << "six decimals";
    EXPECT_TRUE(Contains(shown.out, "Valid range for Q:  15 - 80\n")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "Unit of entry:      PSI\n")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "Hammer type:        Talvenbrecker N\n")) << shown.out;

    const SRun list = Cli({"curves", "list"});
    ASSERT_EQ(0, list.exitCode);
    const std::size_t kgAt = list.out.find("Kg3000 ");
    const std::size_t psiAt = list.out.find("Psi 1 ");
    ASSERT_NE(std::string::npos, kgAt) << list.out;
    ASSERT_NE(std::string::npos, psiAt) << list.out;
    EXPECT_LT(kgAt, psiAt) << "sorted by name";
    EXPECT_TRUE(Contains(list.out, "Kg3000.zvc\n"));
}

TEST_F(CliCurves, AnExistingCurveIsReplacedOnlyOnRequest) {
    ASSERT_EQ(0, Create("Wall", {"--c", "1"}).exitCode);
    const std::string before = CTempDir::Read(Curves() / "Wall.zvc");
    const SRun again = Create("Wall", {"--c", "2"});
    EXPECT_EQ(12, again.exitCode);
    EXPECT_TRUE(Contains(again.err, "A curve named Wall is already in the local curve library."))
        << again.err;
    EXPECT_EQ(before, CTempDir::Read(Curves() / "Wall.zvc"));

    const SRun replaced = Create("Wall", {"--c", "2", "--replace"});
    EXPECT_EQ(0, replaced.exitCode) << Describe(replaced);
    EXPECT_EQ(2.0f, float{Doc::ReadCurveFile(Curves() / "Wall.zvc")->C});
}

TEST_F(CliCurves, DeleteOnlyWhenConfirmed) {
    ASSERT_EQ(0, Create("Wall", {"--c", "1"}).exitCode);
    const SRun unconfirmed = Cli({"curves", "delete", "Wall"});
    EXPECT_EQ(13, unconfirmed.exitCode);
    EXPECT_TRUE(Contains(unconfirmed.err, Msg(59553)));
    EXPECT_TRUE(Contains(unconfirmed.err, Msg(62609)));
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Wall.zvc"));

    const SRun answeredNo = CliOnTerminal({"curves", "delete", "Wall"}, {{"[y/N] ", "n\n"}});
    EXPECT_EQ(13, answeredNo.exitCode) << answeredNo.out;
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Wall.zvc"));

    const SRun confirmed = Cli({"curves", "delete", "Wall", "--yes"});
    EXPECT_EQ(0, confirmed.exitCode) << Describe(confirmed);
    EXPECT_FALSE(std::filesystem::exists(Curves() / "Wall.zvc"));

    const SRun gone = Cli({"curves", "delete", "Wall", "--yes"});
    EXPECT_EQ(14, gone.exitCode);
    EXPECT_TRUE(Contains(gone.err, "There is no curve named Wall in the local curve library."));
}

TEST_F(CliCurves, RepeatedNamesAreToldApartByTheirFiles) {
    ASSERT_EQ(0, Create("Deck", {"--c", "1"}).exitCode);
    // Two files of that name, as curves from a hammer or a project arrive.
    std::filesystem::copy_file(Curves() / "Deck.zvc", Curves() / "Deck~2.zvc");
    std::filesystem::rename(Curves() / "Deck.zvc", Curves() / "Deck~3.zvc");
    const SRun ambiguous = Cli({"curves", "show", "Deck"});
    EXPECT_EQ(2, ambiguous.exitCode);
    EXPECT_TRUE(Contains(ambiguous.err, "Deck~3.zvc")) << ambiguous.err;
    EXPECT_TRUE(Contains(ambiguous.err, "Deck~2.zvc")) << ambiguous.err;
    const SRun byFile = Cli({"curves", "delete", "Deck~2", "--yes"});
    EXPECT_EQ(0, byFile.exitCode) << Describe(byFile);
    EXPECT_TRUE(std::filesystem::exists(Curves() / "Deck~3.zvc"));
    EXPECT_FALSE(std::filesystem::exists(Curves() / "Deck~2.zvc"));
    // One left of that name: the name alone finds it again.
    EXPECT_EQ(0, Cli({"curves", "show", "Deck"}).exitCode);
}

TEST_F(CliCurves, AFileSizeLimitLeavesNoHalfCurveInTheLibrary) {
    std::filesystem::create_directories(Curves());
    const SRun run = CliTest::Run(
        "/bin/sh", {"-c", "ulimit -f 0; exec \"$0\" \"$@\"", BRELVANTOR_CLI, "curves", "create", "Lab", "--c", "1"},
        env);
    EXPECT_NE(0, run.exitCode) << Describe(run);
    EXPECT_LT(run.exitCode, 128) << "killed by a signal\n" << Describe(run);
    EXPECT_TRUE(Contains(run.err, "Could not create file for new curve.")) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(Curves()));
}

TEST_F(CliCurves, Arguments) {
    struct SCase {
        std::vector<std::string> args;
        int exit;
    };
    const SCase cases[] = {
        {{"curves"}, 2},
        {{"curves", "sort"}, 2},
        {{"curves", "show"}, 2},
        {{"curves", "create"}, 2},
        {{"curves", "list", "--c", "1"}, 2},
        {{"curves", "create", "X", "--yes"}, 2},
        {{"curves", "show", "Nobody"}, 14},
    };
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
    }
}

}  // namespace
