#pragma once
// The fixture of the command-line tests: a folder of its own with the settings
// file and the curve library, the simulator started on demand, and the program
// run with that environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ProcessSupport.h"
#include "StateJson.h"
#include "core/text/TempDir.h"
#include "model/CurveStore.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "tools/ToolStrings.h"

namespace CliTest {

inline std::string StateFile(const std::string& name) {
    return std::string(BRELVANTOR_SOURCE_DIR) + "/sim/states/" + name;
}

inline Sim::SSimState LoadState(const std::string& name) {
    Sim::SSimState state;
    std::string error;
    if (!Sim::LoadStateFile(StateFile(name), state, error)) throw std::runtime_error(error);
    return state;
}

// A message as the program prints it: its text in UTF-8 (the tools' texts
// included, whether or not the string table has them yet).
inline std::string Msg(unsigned id) {
    return Text::ToUtf8(Tools::LoadToolString(id));
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CCliFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        m_oldCurves = Save("BRELVANTOR_CURVES");
        m_oldSettings = Save("BRELVANTOR_SETTINGS");
        // The test itself reads and writes projects: with the same library and settings.
        ::setenv("BRELVANTOR_CURVES", Curves().c_str(), 1);
        ::setenv("BRELVANTOR_SETTINGS", Settings().c_str(), 1);
        env["BRELVANTOR_CURVES"] = Curves().string();
        env["BRELVANTOR_SETTINGS"] = Settings().string();
        env["BRELVANTOR_PORTS"] = "1=" + (dir / "no-hammer").string();
        CCurveStore::Instance().Clear();
    }
    void TearDown() override {
        sim.reset();
        Restore("BRELVANTOR_CURVES", m_oldCurves);
        Restore("BRELVANTOR_SETTINGS", m_oldSettings);
        CCurveStore::Instance().Clear();
    }

    std::filesystem::path Curves() const { return dir / "curves"; }
    std::filesystem::path Settings() const { return dir / "brelvantor.settings"; }
    std::filesystem::path Dump() const { return dir / "dump.json"; }

    // Starts the simulator with a state of sim/states (or a path) and more
    // arguments (faults); the program's port 1 is its terminal.
    void StartSim(const std::string& state, std::vector<std::string> more = {}) {
        const std::string path = state.find('/') == std::string::npos ? StateFile(state) : state;
        std::vector<std::string> args{"--state", path, "--dump", Dump().string()};
        args.insert(args.end(), more.begin(), more.end());
        sim = std::make_unique<CSimProcess>(BRELVANTOR_SIM, args);
        env["BRELVANTOR_PORTS"] = "1=" + sim->Path();
    }
    // A state written by the test.
    void StartSim(const Sim::SSimState& state, std::vector<std::string> more = {}) {
        const std::string file = (dir / "state.json").string();
        std::string error;
        ASSERT_TRUE(Sim::SaveStateFile(file, state, error)) << error;
        StartSim(file, std::move(more));
    }
    // Ends the simulator and reads what it held at the end.
    Sim::SSimState StopSim() {
        sim->Stop();
        Sim::SSimState state;
        std::string error;
        EXPECT_TRUE(Sim::LoadStateFile(Dump().string(), state, error)) << error;
        return state;
    }

    SRun Cli(const std::vector<std::string>& args, const std::string& input = {}) {
        return CliTest::Run(BRELVANTOR_CLI, args, env, input);
    }
    SRun CliOnTerminal(const std::vector<std::string>& args, std::vector<SStep> steps = {}) {
        return RunOnTerminal(BRELVANTOR_CLI, args, env, std::move(steps));
    }

    CTempDir dir;
    Env env;
    std::unique_ptr<CSimProcess> sim;

  private:
    static std::pair<bool, std::string> Save(const char* name) {
        const char* v = std::getenv(name);
        return {v != nullptr, v ? v : ""};
    }
    static void Restore(const char* name, const std::pair<bool, std::string>& old) {
        if (old.first)
            ::setenv(name, old.second.c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::pair<bool, std::string> m_oldCurves;
    std::pair<bool, std::string> m_oldSettings;
};

// What a failed run printed, for the failure message of an expectation.
inline std::string Describe(const SRun& run) {
    return "exit " + std::to_string(run.exitCode) + "\n--- stdout\n" + run.out + "\n--- stderr\n" + run.err;
}

}  // namespace CliTest
