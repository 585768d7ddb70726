// Figures for brelvantor-cli on a large project: the whole command, from the
// start of the program to its last byte of output, as a script meets it.
// 20,000 series, once with ten readings each (a typical day's work) and once
// with 99 each (the most a series holds).
//
// Run the release build: build/release/bin/bench_cli_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchProject.h"
#include "doc/HammerDoc.h"
#include "model/ModelTypes.h"
#include "text/UserPrompt.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int kSeries = 20000;

fs::path WorkFolder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "brelvantor-cli-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        ::setenv("BRELVANTOR_SETTINGS", (fs::path(pattern) / "brelvantor.settings").c_str(), 1);
        ::setenv("BRELVANTOR_CURVES", (fs::path(pattern) / "curves").c_str(), 1);
        // Kept in a buffer of its own: it must outlive the static path at exit.
        static char removeAtExit[4096];
        std::snprintf(removeAtExit, sizeof removeAtExit, "%s", pattern.c_str());
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(removeAtExit, ec);
        });
        return fs::path(pattern);
    }();
    return folder;
}

// The same project on every run: every unit, several modes, forms and
// carbonation codes, names and comments.
fs::path Project(int readings) {
    static std::map<int, fs::path> made;
    if (made.count(readings)) return made[readings];
    const fs::path file = WorkFolder() / ("project-" + std::to_string(readings) + ".zvh");
    Text::CSilentPrompt prompt;
    CHammerDoc doc(prompt);
    Bench::FillProject(doc.WorkingData(), kSeries, readings);
    doc.Summary().BuildSummary(doc.WorkingData());
    if (!doc.SaveProject(file)) std::abort();
    made[readings] = file;
    return file;
}

std::string Program() {
    std::error_code ec;
    return (fs::read_symlink("/proc/self/exe", ec).parent_path() / "brelvantor-cli").string();
}

// Runs the program with its standard output into `output` (or nowhere).
int RunCli(const std::vector<std::string>& args, const std::string& output = "/dev/null") {
    const std::string program = Program();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunCommand(benchmark::State& state, const std::vector<std::string>& extra, const char* outputName) {
    if (!fs::exists(Program())) {
        state.SkipWithError("brelvantor-cli is not built beside this benchmark");
        return;
    }
    const int readings = static_cast<int>(state.range(0));
    const fs::path project = Project(readings);
    const fs::path output = WorkFolder() / outputName;
    std::vector<std::string> args{extra.front(), project.string()};
    args.insert(args.end(), extra.begin() + 1, extra.end());
    for (auto _ : state) {
        if (RunCli(args, output.string()) != 0) {
            state.SkipWithError("brelvantor-cli failed");
            return;
        }
    }
    state.counters["output_MB"] = static_cast<double>(fs::file_size(output)) / 1e6;
    state.counters["series"] = kSeries;
}

void BM_ExportText(benchmark::State& state) {
    RunCommand(state, {"export"}, "export.txt");
}
void BM_ExportJson(benchmark::State& state) {
    RunCommand(state, {"export", "--format", "json"}, "export.json");
}
void BM_ExportCsv(benchmark::State& state) {
    RunCommand(state, {"export", "--format", "csv"}, "export.csv");
}
// Into a file through -o: written beside it, flushed to the disk, renamed.
void BM_ExportTextToFile(benchmark::State& state) {
    RunCommand(state, {"export", "-o", (WorkFolder() / "export-o.txt").string()}, "stdout.txt");
    state.counters["output_MB"] = static_cast<double>(fs::file_size(WorkFolder() / "export-o.txt")) / 1e6;
}
void BM_ExportJsonToFile(benchmark::State& state) {
    RunCommand(state, {"export", "--format", "json", "-o", (WorkFolder() / "export-o.json").string()},
               "stdout.json");
    state.counters["output_MB"] = static_cast<double>(fs::file_size(WorkFolder() / "export-o.json")) / 1e6;
}
void BM_Show(benchmark::State& state) {
    RunCommand(state, {"show"}, "show.txt");
}
void BM_Summary(benchmark::State& state) {
    RunCommand(state, {"summary"}, "summary.txt");
}

}  // namespace

BENCHMARK(BM_ExportText)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportJson)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportCsv)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportTextToFile)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportJsonToFile)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Show)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Summary)->Arg(10)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
