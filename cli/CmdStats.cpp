// stats get | stats set: the hammer's custom statistics rule.
#include <algorithm>
#include <optional>
#include <vector>

#include "ArgParser.h"
#include "CliApp.h"
#include "CliHammerSession.h"
#include "CliOutput.h"
#include "CliStrings.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "TextTable.h"
#include "text/Format.h"
#include "text/StringTable.h"
#include "tools/CustomStatistics.h"
#include "tools/ToolStrings.h"

namespace {

const std::string kStatsHelp =
    "Usage: brelvantor-cli stats get [--port P]\n"
    "       brelvantor-cli stats set [--method mean|median] [--min N] [--max N]\n"
    "                                [--upper N] [--lower N] [--port P]\n"
    "\n"
    "The custom statistics rule of a hammer that has one (the newer hammers): the\n"
    "averaging method, the minimum and maximum number of impacts of a series, and\n"
    "how many of the highest and lowest readings are cut off. set changes the values\n"
    "given and keeps the others as the hammer holds them; the hammer decides whether\n"
    "the rule is acceptable, and a refusal is explained. The rule is shown as the\n"
    "hammer holds it afterwards.\n"
    "\n"
    "Options:\n"
    "  -p, --port P       port number, device path or IP:host:port (default: scan)\n"
    "      --method M     mean, or median (\"Median only\")\n"
    "      --min N        minimum number of impacts\n"
    "      --max N        maximum number of impacts\n"
    "      --upper N      upper outliers cut off\n"
    "      --lower N      lower outliers cut off\n";

void PrintRule(const Device::SCustomStatistics& rule) {
    std::u16string method = Tools::StatisticsMethodName(rule.AveragingMode);
    if (method.empty()) method = Text::Format(u"%d", rule.AveragingMode);
    const std::vector<std::pair<std::u16string, std::u16string>> lines{
        {Tools::LoadToolString(kIdLabelMethod), method},
        {Tools::LoadToolString(kIdLabelMinImpacts), Text::Format(u"%d", rule.MinImpacts)},
        {Tools::LoadToolString(kIdLabelMaxImpacts), Text::Format(u"%d", rule.MaxImpacts)},
        {Text::LoadString(kIdUpperOutliers), Text::Format(u"%d", rule.UpperOutliers)},
        {Text::LoadString(kIdLowerOutliers), Text::Format(u"%d", rule.LowerOutliers)}};
    Cli::Out(LabelledLines(lines));
}

// Reads the rule; a hammer that has none, or whose rule cannot be read, is let go.
int Read(CCliApp& app, CCliHammerSession& link, Device::SCustomStatistics& rule) {
    const Tools::TStatisticsRead read = Tools::ReadCustomStatistics(*link.Hammer(), app.Prompt());
    if (read.ok) {
        rule = read.rule;
        return kExitOk;
    }
    link.Disconnect();
    return read.messageId == Tools::kIdStatsNotSupported ? kExitNotSupported : kExitCommFailed;
}

}  // namespace

int CmdStats(CCliApp& app, Args args) {
    static const SOption options[] = {{"port", 'p', true}, {"method", 0, true}, {"min", 0, true},
                                      {"max", 0, true},    {"upper", 0, true},  {"lower", 0, true}};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "stats", kStatsHelp, exit)) return exit;
    const auto& p = parser.Positionals();
    if (p.empty() || (p.front() != "get" && p.front() != "set"))
        return UsageError("stats", p.empty() ? "say get or set" : "say get or set, not '" + p.front() + "'");
    if (p.size() > 1) return UsageError("stats", "unexpected argument '" + p[1] + "'");
    const bool set = p.front() == "set";

    std::optional<std::uint8_t> method;
    struct SNumber {
        const char* name;
        std::optional<long> value;
    };
    SNumber numbers[] = {{"min", {}}, {"max", {}}, {"upper", {}}, {"lower", {}}};
    if (!set && (parser.Has("method") || parser.Has("min") || parser.Has("max") || parser.Has("upper") ||
                 parser.Has("lower")))
        return UsageError("stats", "stats get takes only --port");
    if (const auto m = parser.Value("method")) {
        if (*m == "mean" || *m == "2") {
            method = Tools::kStatsMethodMean;
        } else if (*m == "median" || *m == "median-only" || *m == "5") {
            method = Tools::kStatsMethodMedianOnly;
        } else {
            return UsageError("stats", "--method is mean or median, not '" + *m + "'");
        }
    }
    for (SNumber& n : numbers) {
        const auto text = parser.Value(n.name);
        if (!text) continue;
        n.value = CArgParser::ParseLong(*text);
        if (!n.value)
            return UsageError("stats",
                              std::string("--") + n.name + " takes a whole number, not '" + *text + "'");
    }

    CCliHammerSession link(app.Prompt());
    if (const int rc = ConnectOrFail(link, parser, "stats")) return rc;
    Device::SCustomStatistics stored;
    if (const int rc = Read(app, link, stored)) return rc;
    if (!set) {
        PrintRule(stored);
        return kExitOk;
    }

    const auto rule = Tools::MakeCustomStatistics(
        method.value_or(stored.AveragingMode), numbers[0].value.value_or(stored.MinImpacts),
        numbers[1].value.value_or(stored.MaxImpacts), numbers[2].value.value_or(stored.UpperOutliers),
        numbers[3].value.value_or(stored.LowerOutliers));
    if (!rule) {
        Tools::ShowToolMessage(app.Prompt(), Tools::kIdStatsValueRange, Text::MsgIcon::Warning);
        return kExitCheckFailed;
    }
    unsigned message = 0;
    const bool written = Tools::WriteCustomStatistics(*link.Hammer(), *rule, app.Prompt(), &message);
    Device::SCustomStatistics now;
    const int refreshed = Read(app, link, now);
    if (refreshed == kExitOk)
        PrintRule(now);
    else if (written)
        Tools::ShowToolMessage(app.Prompt(), kIdStatsSetUnread, Text::MsgIcon::Warning);
    if (!written) return message == Tools::kIdStatsNotSupported ? kExitNotSupported : kExitRefused;
    return refreshed;
}
