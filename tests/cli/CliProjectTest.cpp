// show, export and summary of project files, byte for byte where the desktop
// program's export is the reference; bad inputs with their exit codes; the
// language module.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliTestSupport.h"
#include "core/report/ReportTestSupport.h"
#include "doc/HammerDoc.h"
#include "model/SummaryData.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompt.h"

namespace {

using namespace CliTest;
using ReportTest::Add;

// RFC 4180 records.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            records.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    if (records.back().empty() && field.empty()) records.pop_back();
    return records;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliProject : public CCliFixture {
  protected:
    std::filesystem::path MakeProject(const std::string& name, const std::function<void(CHammerDoc&)>& fill) {
        CScriptedPrompt prompt;
        CHammerDoc doc(prompt);
        fill(doc);
        const auto file = dir / name;
        EXPECT_TRUE(doc.SaveProject(file)) << name;
        CCurveStore::Instance().Clear();
        return file;
    }

    void SetSettingsValue(const Settings::TSettingsValue& value) {
        Settings::CSettingsStore store(Settings());
        const std::u16string key = u"Software\\Tolvex\\Brelvantor\\Settings";
        ASSERT_TRUE(store.OpenKey(key, true));
        ASSERT_TRUE(store.WriteValue(key, value));
    }

    // Plain Mean series in N/mm²: 34.5 N/mm², spread 1.0.
    static void AddWallA(CHammerData& data) {
        Add(data, {.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}});
        data.Series(data.GetCount() - 1).Readings[2].Energy = 520;
        data.Series(data.GetCount() - 1).Readings[3].Energy = 520;
    }

    // Every kind of series of the export fixtures: collapsed and expanded, an
    // escaped comment, a series that cannot be converted, a carbonation factor.
    static void AddMixed(CHammerData& data) {
        AddWallA(data);
        Add(data, {.impactCounter = 18,
                   .name = u"Column 3",
                   .dateTime = 736590600,
                   .mode = kModeMeanOutlier,
                   .form = 20,
                   .q = {36, 38, 39, 40, 40, 41, 41, 42, 43, 50},
                   .serial = u"S-1002",
                   .comment = u"Line one\r\nSay \"hi\"",
                   .expanded = 1});
        Add(data, {.impactCounter = 19,
                   .name = u"Low",
                   .dateTime = ReportTest::kMay4 + 60,
                   .unit = kUnitMPa,
                   .q = {12, 13}});
        Add(data, {.impactCounter = 20,
                   .name = u"Slab",
                   .dateTime = 0,
                   .mode = kModeMedianEN,
                   .unit = kUnitQ,
                   .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}});
        Add(data, {.impactCounter = 21,
                   .name = u"Carb factor",
                   .dateTime = ReportTest::kMay4 + 3600,
                   .carbonation = 85,
                   .q = {40, 41, 42, 43}});
        Add(data, {.impactCounter = 22,
                   .name = u"Inch",
                   .dateTime = ReportTest::kMay4 + 86400,
                   .unit = kUnitPSI,
                   .carbonation = 3,
                   .q = {40, 40, 41, 41}});
        Add(data, {.impactCounter = 23,
                   .name = u"One",
                   .dateTime = ReportTest::kMay4 + 12 * 3600,
                   .mode = kModeSingle,
                   .unit = kUnitQ,
                   .q = {35}});
    }

    // Four N/mm² series: 21.5 (no name), not convertible, 34.5 and 41.5.
    static void AddFour(CHammerData& data) {
        Add(data, {.impactCounter = 5, .name = u"North", .q = {40, 40, 41, 41}});
        Add(data, {.impactCounter = 3, .q = {30, 30, 31, 31}});
        Add(data, {.impactCounter = 4, .name = u"Edge", .dateTime = 736590600, .q = {12, 13}});
        Add(data, {.impactCounter = 7, .name = u"East", .q = {44, 45, 45, 46}});
    }

    std::filesystem::path Mixed() {
        return MakeProject("mixed.zvh", [](CHammerDoc& doc) { AddMixed(doc.WorkingData()); });
    }
    std::filesystem::path Four(std::uint8_t averaging) {
        return MakeProject("four.zvh", [averaging](CHammerDoc& doc) {
            AddFour(doc.WorkingData());
            doc.Summary().BuildSummary(doc.WorkingData());
            doc.Summary().SetAveraging(0, averaging);
        });
    }
};

TEST_F(CliProject, TextExportIsTheDesktopExportByteForByte) {
    struct SCase {
        const char* fixture;
        std::function<void(CHammerData&)> fill;
        bool energy;
    };
    const SCase cases[] = {
        {"header.txt", [](CHammerData&) {}, false}, {"header_energy.txt", [](CHammerData&) {}, true},
        {"one_series.txt", AddWallA, false},        {"one_series_energy.txt", AddWallA, true},
        {"mixed_series.txt", AddMixed, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.fixture);
        const auto project = MakeProject("p.zvh", [&](CHammerDoc& doc) { c.fill(doc.WorkingData()); });
        const std::string expected = ReportTest::ReadBytes(ReportTest::FixturePath(c.fixture));
        std::vector<std::string> args{"export", project.string()};
        if (c.energy) args.push_back("--energy");
        const SRun toStdout = Cli(args);
        ASSERT_EQ(0, toStdout.exitCode) << Describe(toStdout);
        EXPECT_SAME_TEXT(ReportTest::DecodeExportFile(expected), ReportTest::DecodeExportFile(toStdout.out));
        EXPECT_EQ(expected, toStdout.out);

        args.insert(args.end(), {"-o", (dir / "out.txt").string(), "--format", "text"});
        const SRun toFile = Cli(args);
        ASSERT_EQ(0, toFile.exitCode) << Describe(toFile);
        EXPECT_TRUE(toFile.out.empty());
        EXPECT_EQ(expected, CTempDir::Read(dir / "out.txt"));
    }
}

TEST_F(CliProject, SummaryExportsAreTheDesktopTexts) {
    // The single series: its title line has no order label; dates in the user's patterns.
    SetSettingsValue(Settings::TSettingsValue::Dword(u"DTFormat", 0x0303));
    const auto single = MakeProject("single.zvh", [](CHammerDoc& doc) {
        AddWallA(doc.WorkingData());
        doc.Summary().BuildSummary(doc.WorkingData());
        doc.Summary().SetAveraging(0, kSummaryMean);
        doc.Summary().SetTitle(0, u"Site \"B\"\r\nEast");
    });
    const std::string expected = ReportTest::ReadBytes(ReportTest::FixturePath("summary_single.txt"));
    const SRun run = Cli({"export", single.string(), "--summary"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_EQ(expected, run.out);

    // The summary command prints the same text for the terminal.
    const SRun printed = Cli({"summary", single.string()});
    ASSERT_EQ(0, printed.exitCode) << Describe(printed);
    std::string lf = Text::ToUtf8(ReportTest::DecodeExportFile(expected));
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    EXPECT_EQ(lf + "\n", printed.out);

    SetSettingsValue(Settings::TSettingsValue::Dword(u"DTFormat", 0));
    struct SCase {
        std::uint8_t saved;
        std::vector<std::string> options;
        const char* fixture;
    };
    const SCase cases[] = {
        {kSummaryMedian, {}, "summary_median.txt"},
        {kSummaryMean, {}, "summary_mean.txt"},
        {kSummaryMean, {"--median"}, "summary_median.txt"},
        {kSummaryMedian, {"--mean"}, "summary_mean.txt"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.fixture);
        const auto project = Four(c.saved);
        std::vector<std::string> args{"summary", project.string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const SRun summary = Cli(args);
        ASSERT_EQ(0, summary.exitCode) << Describe(summary);
        std::string text = Text::ToUtf8(ReportTest::FixtureText(c.fixture));
        for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
        EXPECT_EQ(text + "\n", summary.out);
        if (c.options.empty()) {
            const SRun exported = Cli({"export", project.string(), "--summary"});
            EXPECT_EQ(ReportTest::ReadBytes(ReportTest::FixturePath(c.fixture)), exported.out);
        }
    }
}

TEST_F(CliProject, SummaryOfChosenSeries) {
    const auto project = Four(kSummaryMean);
    const SRun two = Cli({"summary", project.string(), "--series", "1,4"});
    ASSERT_EQ(0, two.exitCode) << Describe(two);
    EXPECT_TRUE(Contains(two.out, "Total used series\tN\t2\n")) << two.out;
    EXPECT_TRUE(Contains(two.out, "5\tNorth\t34.5\n"));
    EXPECT_TRUE(Contains(two.out, "7\tEast\t41.5\n"));
    EXPECT_FALSE(Contains(two.out, "Edge"));

    const SRun range = Cli({"summary", project.string(), "-s", "2-3"});
    ASSERT_EQ(0, range.exitCode);
    EXPECT_TRUE(Contains(range.out, "Total used series\tN\t1\t2\n")) << range.out;

    struct SCase {
        std::vector<std::string> args;
        int exit;
        std::string message;
    };
    const SCase cases[] = {
        {{"--series", "5"}, 14, "There is no series number 5 in this project."},
        {{"--series", "0"}, 14, "There is no series number 0 in this project."},
        {{"--series", "x"}, 2, "--series takes numbers"},
        {{"--series", "3-1"}, 2, "--series takes numbers"},
        {{"--series", ""}, 2, "--series takes numbers"},
        {{"--median", "--mean"}, 2, "exclude each other"},
    };
    for (const SCase& c : cases) {
        std::vector<std::string> args{"summary", project.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SRun run = Cli(args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    }
}

TEST_F(CliProject, ShowAlignsTheTable) {
    const SRun run = Cli({"show", Mixed().string()});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(8u, lines.size()) << run.out;
    EXPECT_TRUE(lines[0].starts_with("#  Impact counter  Name")) << lines[0];
    const std::size_t nameColumn = lines[0].find("Name");
    const char* names[] = {"Wall A", "Column 3", "Low", "Slab", "Carb factor", "Inch", "One"};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(names[i], lines[i + 1].substr(nameColumn, std::strlen(names[i]))) << lines[i + 1];
        EXPECT_TRUE(lines[i + 1].starts_with(std::to_string(i + 1) + " ")) << lines[i + 1];
        EXPECT_NE(' ', lines[i + 1].back());
    }
    EXPECT_TRUE(Contains(lines[1], "34.5 N/mm\xc2\xb2")) << lines[1];
    EXPECT_TRUE(Contains(lines[3], "(12.5 Q)")) << lines[3];
    EXPECT_FALSE(Contains(run.out, "Energy"));

    const SRun energy = Cli({"show", Mixed().string(), "--energy"});
    ASSERT_EQ(0, energy.exitCode);
    EXPECT_TRUE(Contains(Lines(energy.out)[0], "Energy")) << energy.out;
}

TEST_F(CliProject, CsvCarriesTheExportFields) {
    const SRun run = Cli({"export", Mixed().string(), "--format", "csv"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    const auto records = ParseCsv(run.out);
    ASSERT_EQ(8u, records.size());
    for (const auto& r : records) EXPECT_EQ(records[0].size(), r.size());
    EXPECT_EQ("Impact counter", records[0][0]);
    EXPECT_EQ("Comment", records[0][19]);
    EXPECT_EQ("Q-Values", records[0][20]);
    EXPECT_EQ(20u + 10u, records[0].size());  // the longest series has ten readings
    EXPECT_EQ("Line one\r\nSay \"hi\"", records[2][19]);
    EXPECT_EQ("Conversion not possible", records[3][3]);
    EXPECT_EQ("12.5", records[3][4]);
    EXPECT_EQ("Q", records[3][5]);
    EXPECT_EQ("0.85", records[5][17]);
    EXPECT_EQ("35.0", records[7][20]);
    EXPECT_EQ("", records[7][21]);

    const SRun summary = Cli({"export", Four(kSummaryMean).string(), "--summary", "--format", "csv"});
    ASSERT_EQ(0, summary.exitCode);
    const auto lines = ParseCsv(summary.out);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ("Summary of Series", lines[0][0]);
    // Measurement order: 3 (no name), 4, 5, 7.
    EXPECT_EQ((std::vector<std::string>{"5", "North", "34.5"}),
              std::vector<std::string>(lines[5].begin(), lines[5].begin() + 3));
    for (const auto& r : lines) EXPECT_EQ(lines[0].size(), r.size());
}

TEST_F(CliProject, JsonCarriesValuesForScripts) {
    const SRun run = Cli({"export", Mixed().string(), "--format", "json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    const nlohmann::json series = nlohmann::json::parse(run.out);
    ASSERT_TRUE(series.is_array());
    ASSERT_EQ(7u, series.size());

    const auto& wall = series[0];
    EXPECT_EQ(1, wall["index"]);
    EXPECT_EQ(17, wall["impactCounter"]);
    EXPECT_EQ("Wall A", wall["name"]);
    EXPECT_EQ("2023-05-04T13:07:09", wall["dateTime"]);
    EXPECT_EQ("valid", wall["statistics"]["status"]);
    EXPECT_DOUBLE_EQ(34.5, wall["statistics"]["value"].get<double>());
    EXPECT_DOUBLE_EQ(40.5, wall["statistics"]["meanQ"].get<double>());
    EXPECT_EQ(4, wall["statistics"]["count"]);
    EXPECT_EQ(kUnitNmm2, wall["settings"]["unit"]);
    ASSERT_EQ(4u, wall["readings"].size());
    EXPECT_DOUBLE_EQ(41.0, wall["readings"][3]["q"].get<double>());
    EXPECT_DOUBLE_EQ(0.52, wall["readings"][3]["energy"].get<double>());
    EXPECT_EQ(false, wall["flags"]["expanded"]);
    EXPECT_EQ(true, wall["flags"]["useInSummary"]);

    EXPECT_EQ("Line one\r\nSay \"hi\"", series[1]["comment"]);
    EXPECT_EQ(true, series[1]["flags"]["expanded"]);
    // Mean outlier cuts one reading at each end of ten.
    int excluded = 0;
    for (const auto& r : series[1]["readings"]) excluded += r["excluded"].get<bool>() ? 1 : 0;
    EXPECT_EQ(2, excluded);

    const auto& low = series[2];
    EXPECT_EQ("conversionNotPossible", low["statistics"]["status"]);
    EXPECT_TRUE(low["statistics"]["value"].is_null());
    EXPECT_TRUE(low["statistics"]["stdDev"].is_null());
    EXPECT_DOUBLE_EQ(12.5, low["statistics"]["meanQ"].get<double>());
    EXPECT_EQ("invalid", series[3]["statistics"]["status"]);
    EXPECT_EQ(85, series[4]["settings"]["carbonationCode"]);
    EXPECT_TRUE(series[6]["statistics"]["stdDevQ"].is_null()) << "one reading has no spread";

    const SRun summary = Cli({"export", Four(kSummaryMedian).string(), "--summary", "--format", "json"});
    ASSERT_EQ(0, summary.exitCode) << Describe(summary);
    const nlohmann::json s = nlohmann::json::parse(summary.out);
    EXPECT_EQ("median", s["averaging"]);
    EXPECT_EQ(4, s["statistics"]["valueCount"]);
    EXPECT_EQ(3, s["statistics"]["usableCount"]);
    ASSERT_EQ(4u, s["values"].size());
    int nulls = 0;
    for (const auto& v : s["values"]) nulls += v["value"].is_null() ? 1 : 0;
    EXPECT_EQ(1, nulls);

    const SRun empty = Cli({"export", MakeProject("e.zvh", [](CHammerDoc&) {}).string(), "--format", "json"});
    EXPECT_EQ("[]\n", empty.out);
}

TEST_F(CliProject, BadInputsHaveTheirExitCodes) {
    const auto project = Mixed();
    const auto text = dir.Write("notes.txt", "this is not a project");
    const std::string missing = (dir / "missing.zvh").string();
    struct SCase {
        std::vector<std::string> args;
        int exit;
        std::string message;
    };
    const SCase cases[] = {
        {{"show", missing}, 3, "The file " + missing + " does not exist."},
        {{"export", missing}, 3, "does not exist"},
        {{"summary", missing}, 3, "does not exist"},
        {{"show", text.string()}, 4, Msg(59396)},
        {{"export", dir.Path().string()}, 4, Msg(59396)},
        {{"show"}, 2, "the project file is missing"},
        {{"show", project.string(), "more"}, 2, "unexpected argument 'more'"},
        {{"show", project.string(), "--wide"}, 2, "unknown option --wide"},
        {{"export", project.string(), "--format", "xml"}, 2, "--format is text, csv or json"},
        {{"export", project.string(), "--format"}, 2, "needs a value"},
        {{"export", project.string(), "-o", (dir / "nowhere" / "x.txt").string()}, 5, "could not be written"},
        {{"export", project.string(), "-f", "json", "-o", (dir / "nowhere" / "x.json").string()},
         5,
         "could not be written"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{}, 2, "Usage: brelvantor-cli COMMAND"},
    };
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.message)) << c.message << "\n" << run.err;
        if (c.exit != 0) {
            EXPECT_TRUE(run.out.empty()) << run.out;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

TEST_F(CliProject, OutputsThatAreNoRegularFilesAreWrittenInto) {
    const std::string project = Mixed().string();
    // A device node of our own (the null device's numbers) and a FIFO another
    // program reads: a rename over either would leave a plain file in its place.
    const auto device = dir / "null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> exports = {
        {}, {"--format", "csv"}, {"--summary", "--format", "json"}};
    for (const auto& more : exports) {
        std::vector<std::string> args{"export", project, "-o"};
        if (haveDevice) {
            std::vector<std::string> toDevice = args;
            toDevice.push_back(device.string());
            toDevice.insert(toDevice.end(), more.begin(), more.end());
            const SRun run = Cli(toDevice);
            EXPECT_EQ(0, run.exitCode) << Describe(run);
            EXPECT_TRUE(std::filesystem::is_character_file(device));
        }
        args.push_back(fifo.string());
        args.insert(args.end(), more.begin(), more.end());
        std::vector<std::string> toFile = args;
        toFile[3] = (dir / "plain.out").string();
        ASSERT_EQ(0, Cli(toFile).exitCode);
        auto reader = std::async(std::launch::async, [&] { return CTempDir::Read(fifo); });
        const SRun run = Cli(args);
        EXPECT_EQ(0, run.exitCode) << Describe(run);
        EXPECT_EQ(reader.get(), CTempDir::Read(dir / "plain.out"));
        EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    }
}

TEST_F(CliProject, OutputsThatWouldDestroyAFileAreRefused) {
    const auto project = Mixed();
    const std::string before = CTempDir::Read(project);
    const auto readOnly = dir / "handed-in.txt";
    {
        std::ofstream(readOnly) << "signed off";
    }
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    std::filesystem::create_symlink(project, dir / "link.zvh");
    struct SCase {
        std::vector<std::string> args;
        int exit;
        std::string message;
    };
    const SCase cases[] = {
        {{"export", project.string(), "-o", readOnly.string()}, 5, "Permission denied"},
        {{"export", project.string(), "-f", "csv", "-o", readOnly.string()}, 5, "Permission denied"},
        {{"export", project.string(), "-o", project.string()}, 2, "name the same file"},
        {{"export", project.string(), "-f", "json", "-o", (dir / "link.zvh").string()}, 2, "name the same file"},
        {{"export", (dir / "link.zvh").string(), "--summary", "-o", (dir / "." / "mixed.zvh").string()},
         2,
         "name the same file"},
    };
    for (const SCase& c : cases) {
        const SRun run = Cli(c.args);
        EXPECT_EQ(c.exit, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    }
    EXPECT_EQ(CTempDir::Read(project), before);
    EXPECT_EQ(CTempDir::Read(readOnly), "signed off");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.zvh"));
}

TEST_F(CliProject, FailedExportsNameWhatFailedAndLeaveNothingBehind) {
    const std::string project = Mixed().string();
    struct SCase {
        std::vector<std::string> more;
        std::string what;
    };
    const SCase cases[] = {
        {{}, "The text export"},
        {{"-f", "csv"}, "The CSV export"},
        {{"-f", "json"}, "The JSON export"},
        {{"--summary"}, "The summary export"},
        {{"--summary", "-f", "csv"}, "The CSV summary export"},
        {{"--summary", "-f", "json"}, "The JSON summary export"},
    };
    for (const SCase& c : cases) {
        std::vector<std::string> args{"export", project, "-o", (dir / "nowhere" / "x").string()};
        args.insert(args.end(), c.more.begin(), c.more.end());
        const SRun run = Cli(args);
        EXPECT_EQ(5, run.exitCode) << Describe(run);
        EXPECT_TRUE(run.err.starts_with(c.what + " could not be written")) << run.err;
    }

    // Under a file-size limit the write fails with its reason instead of the
    // program being killed half-way with a temporary file left beside.
    const auto out = dir / "limited" / "big.json";
    std::filesystem::create_directories(out.parent_path());
    const SRun limited = CliTest::Run("/bin/sh",
                                      {"-c", "ulimit -f 1; exec \"$0\" \"$@\"", BRELVANTOR_CLI, "export",
                                       project, "-f", "json", "-o", out.string()},
                                      env);
    EXPECT_EQ(5, limited.exitCode) << Describe(limited);
    EXPECT_TRUE(Contains(limited.err, "File too large")) << limited.err;
    EXPECT_TRUE(std::filesystem::is_empty(out.parent_path()));
}

TEST_F(CliProject, ControlCharactersReachTheTerminalAsQuestionMarks) {
    const auto project = MakeProject("bell.zvh", [](CHammerDoc& doc) {
        Add(doc.WorkingData(), {.impactCounter = 1, .name = u"Bell\a Esc\x1b[31m", .q = {40, 40, 41, 41}});
    });
    const SRun show = Cli({"show", project.string()});
    ASSERT_EQ(0, show.exitCode) << Describe(show);
    EXPECT_TRUE(Contains(show.out, "Bell? Esc?[31m")) << show.out;
    const SRun summary = Cli({"summary", project.string()});
    EXPECT_FALSE(Contains(summary.out, "\x1b")) << summary.out;
    EXPECT_FALSE(Contains(summary.out, "\a")) << summary.out;
    // The exports keep the name as it is: they are data, not terminal text.
    const SRun json = Cli({"export", project.string(), "-f", "json"});
    EXPECT_TRUE(Contains(json.out, "Bell\\u0007 Esc\\u001b[31m")) << json.out;
}

TEST_F(CliProject, WhatBecameOfTheSettingsFileIsToldOnce) {
    const std::string project = Mixed().string();
    {
        std::ofstream(Settings(), std::ios::binary) << "\x7F" "ELF garbage";
    }
    const SRun first = Cli({"show", project});
    EXPECT_EQ(0, first.exitCode) << Describe(first);
    EXPECT_TRUE(Contains(first.err, "The settings file " + Settings().string() + " was damaged")) << first.err;
    EXPECT_EQ(CTempDir::Read(Settings().string() + ".damaged"), "\x7F" "ELF garbage");
    const SRun second = Cli({"show", project});
    EXPECT_TRUE(second.err.empty()) << second.err;

    // A settings path that leads to a device is never written.
    const auto device = dir / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return;
    std::filesystem::remove(Settings());
    std::filesystem::create_symlink(device, Settings());
    const SRun linked = Cli({"show", project});
    EXPECT_EQ(0, linked.exitCode) << Describe(linked);
    EXPECT_TRUE(Contains(linked.err, "cannot be used because it is not a regular file")) << linked.err;
    EXPECT_TRUE(std::filesystem::is_character_file(device));
    EXPECT_TRUE(std::filesystem::is_symlink(Settings()));
}

TEST_F(CliProject, EveryCommandHasHelp) {
    const SRun top = Cli({"--help"});
    EXPECT_EQ(0, top.exitCode);
    const char* commands[] = {"ports",   "identify", "download", "delete-all", "show",   "export",
                              "summary", "curves",   "slots",    "stats",      "version"};
    for (const char* command : commands) {
        EXPECT_TRUE(Contains(top.out, std::string("  ") + command + " ")) << command;
        const SRun run = Cli({command, "--help"});
        EXPECT_EQ(0, run.exitCode) << command;
        EXPECT_TRUE(Contains(run.out, std::string("Usage: brelvantor-cli ") + command)) << run.out;
        EXPECT_TRUE(Contains(run.out, "Exit codes:\n")) << command;
        EXPECT_TRUE(Contains(run.out, "  13  not confirmed")) << command;
    }
}

TEST_F(CliProject, OutputFollowsTheLanguageModule) {
    SetSettingsValue(Settings::TSettingsValue::String(
        u"LanguageFile", Text::FromUtf8(std::string(BRELVANTOR_SOURCE_DIR) + "/lang/Brelvantor_DEU.lng")));
    const auto project = Four(kSummaryMean);
    const SRun show = Cli({"show", project.string()});
    ASSERT_EQ(0, show.exitCode) << Describe(show);
    EXPECT_TRUE(Contains(Lines(show.out)[0], "Schlagz\xc3\xa4hler")) << show.out;
    const SRun summary = Cli({"summary", project.string()});
    EXPECT_TRUE(Contains(summary.out, "Zusammenfassung der Messreihen")) << summary.out;
    const SRun bad = Cli({"show", (dir / "brelvantor.settings").string()});
    EXPECT_EQ(4, bad.exitCode);
    EXPECT_TRUE(Contains(bad.err, "Dies ist keine Brelvantor-Projektdatei")) << bad.err;
    const SRun version = Cli({"version"});
    EXPECT_TRUE(Contains(version.out, "Deutsch")) << version.out;
}

}  // namespace
