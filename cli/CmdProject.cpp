// The commands that read a project file: show, export, summary.
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "ArgParser.h"
#include "ChunkSink.h"
#include "CliApp.h"
#include "CliOutput.h"
#include "CliStrings.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "ProjectExport.h"
#include "TextTable.h"
#include "doc/HammerDoc.h"
#include "model/SummaryData.h"
#include "report/ExportFile.h"
#include "report/FieldText.h"
#include "report/SeriesTable.h"
#include "report/SummaryTexts.h"
#include "text/Encoding.h"
#include "text/FileReplace.h"
#include "text/StringTable.h"
#include "tools/ToolStrings.h"

namespace {

// The one positional argument: the project file.
bool ProjectArgument(const CArgParser& parser, const char* command, std::string& path, int& exit) {
    const auto& p = parser.Positionals();
    if (p.size() == 1) {
        path = p.front();
        return true;
    }
    exit =
        UsageError(command, p.empty() ? "the project file is missing" : "unexpected argument '" + p[1] + "'");
    return false;
}

// "1,3-5" in the numbering `show` prints (from 1): the series indices from 0.
// Nothing for a list that does not parse; `bad` names a number outside 1..count.
std::optional<std::set<int>> ParseSeriesList(const std::string& list, int count, std::string& bad) {
    std::set<int> indices;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        const std::size_t dash = item.find('-', 1);
        const auto first = CArgParser::ParseLong(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : CArgParser::ParseLong(item.substr(dash + 1));
        if (!first || !last || *last < *first) return std::nullopt;
        for (long n : {*first, *last}) {
            if (n < 1 || n > count) {
                bad = std::to_string(n);
                return indices;
            }
        }
        for (long n = *first; n <= *last; ++n) indices.insert(static_cast<int>(n - 1));
        start = comma + 1;
    }
    return indices;
}

// The message that names the export that failed: "The CSV export could not ...".
unsigned ExportFailureId(const std::string& format, bool summary) {
    if (format == "csv") return summary ? kIdCsvSummaryNotWritten : kIdCsvNotWritten;
    if (format == "json") return summary ? kIdJsonSummaryNotWritten : kIdJsonNotWritten;
    return summary ? kIdSummaryNotWritten : kIdExportNotWritten;
}

int ShowNotWritten(CCliApp& app, unsigned failureId, const std::string& file, const std::string& reason) {
    Tools::ShowToolText(app.Prompt(), failureId, Tools::FormatToolString(failureId, file, reason),
                        Text::MsgIcon::Error);
    return kExitWriteFailed;
}

// A long export written a piece at a time: to standard output, or to a file
// that is replaced only when complete.
int WriteStreamed(CCliApp& app, unsigned failureId, const std::optional<std::string>& file,
                  const std::function<void(CChunkSink&)>& produce) {
    if (!file) {
        CChunkSink sink([](std::string_view bytes) {
            Cli::Out(bytes);
            return std::ferror(stdout) == 0;
        });
        produce(sink);
        sink.Finish();
        return kExitOk;
    }
    Text::CFileReplacement out(*file);
    if (!out.Open()) return ShowNotWritten(app, failureId, *file, out.Reason());
    CChunkSink sink([&out](std::string_view bytes) { return out.Write(bytes); });
    produce(sink);
    if (!sink.Finish() || !out.Commit()) return ShowNotWritten(app, failureId, *file, out.Reason());
    return kExitOk;
}

int WriteOutput(CCliApp& app, unsigned failureId, const std::optional<std::string>& file,
                const std::string& bytes) {
    if (!file) {
        Cli::Out(bytes);
        return kExitOk;
    }
    const int error = Text::ReplaceFile(*file, bytes);
    if (error == 0) return kExitOk;
    return ShowNotWritten(app, failureId, *file, Text::DescribeErrno(error));
}

// The UTF-16 export file, or its bytes on standard output.
int WriteExportText(CCliApp& app, unsigned failureId, const std::optional<std::string>& file,
                    std::u16string_view text) {
    if (!file) return WriteOutput(app, failureId, file, Report::EncodeExportFile(text));
    const Report::TExportFileResult written = Report::WriteExportFile(*file, text);
    return written ? kExitOk : ShowNotWritten(app, failureId, *file, written.reason);
}

}  // namespace

int CmdShow(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli show PROJECT [--energy]\n"
        "\n"
        "Prints the project's series table as aligned text: number (as --series of\n"
        "'summary' takes it), impact counter, name, date and time, mean value, averaging\n"
        "mode, outliers, valid/total, standard deviation, curve, form and carbonation.\n"
        "\n"
        "Options:\n"
        "      --energy   add the mean rebound energy column\n";
    static const SOption options[] = {{"energy", 0, false}};
    CArgParser parser;
    int exit = 0;
    std::string path;
    if (!ParseCommandArgs(parser, args, options, "show", help, exit)) return exit;
    if (!ProjectArgument(parser, "show", path, exit)) return exit;

    CHammerDoc doc(app.Prompt());
    if (const int rc = app.LoadProject(doc, path)) return rc;
    const Report::CSeriesTable table({.energyDisplay = parser.Has("energy"), .dtFormat = app.DtFormat()});
    CHammerData& data = doc.WorkingData();
    const int state = data.GetNewDataFormatState();

    std::vector<std::u16string> header{u"#"};
    for (int c = 0; c < table.ColumnCount(); ++c) header.push_back(table.HeaderCaption(c, state));
    CTextTable out(std::move(header));
    out.AlignRight(0);
    out.AlignRight(1 + Report::kColImpactCounter);
    out.AlignRight(1 + Report::kColUpperOutliers);
    out.AlignRight(1 + Report::kColLowerOutliers);
    out.AlignRight(1 + Report::kColValidTotal);
    for (int i = 0; i < data.GetCount(); ++i) {
        const TStatistics stats = data.CalcStatistics(i);
        std::vector<std::u16string> row{Text::Widen(std::to_string(i + 1))};
        for (int c = 0; c < table.ColumnCount(); ++c)
            row.push_back(Report::FieldText(table.CellText(data, i, stats, c)));
        out.AddRow(std::move(row));
    }
    Cli::Out(out.Render());
    return kExitOk;
}

int CmdExport(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli export PROJECT [-o FILE] [--summary] [--energy]\n"
        "                             [--format text|csv|json]\n"
        "\n"
        "Exports the project's series table, or its summary, to FILE or to standard\n"
        "output. An existing FILE is replaced as a whole or not at all.\n"
        "\n"
        "Formats:\n"
        "  text   the export file of the desktop program, byte for byte: UTF-16\n"
        "         little-endian with byte-order mark, tab-separated (the default)\n"
        "  csv    RFC 4180, UTF-8: the same fields, one record per series (or per line\n"
        "         of the summary text)\n"
        "  json   one object per series with its settings, statistics (null where\n"
        "         there is no value), readings and flags; with --summary one object\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE   write to FILE instead of standard output\n"
        "      --summary       export the summary of the series taking part\n"
        "      --energy        add the energy column to the table\n"
        "  -f, --format F      text, csv or json\n";
    static const SOption options[] = {
        {"output", 'o', true}, {"summary", 0, false}, {"energy", 0, false}, {"format", 'f', true}};
    CArgParser parser;
    int exit = 0;
    std::string path;
    if (!ParseCommandArgs(parser, args, options, "export", help, exit)) return exit;
    if (!ProjectArgument(parser, "export", path, exit)) return exit;
    const std::string format = parser.Value("format").value_or("text");
    if (format != "text" && format != "csv" && format != "json")
        return UsageError("export", "--format is text, csv or json, not '" + format + "'");

    CHammerDoc doc(app.Prompt());
    doc.SetEnergyDisplay(parser.Has("energy"));
    if (const int rc = app.LoadProject(doc, path)) return rc;
    const std::optional<std::string> output = parser.Value("output");
    if (output) {
        if (const int rc = SameFileError("export", {{"the project", path}, {"-o", *output}})) return rc;
    }
    CHammerData& data = doc.WorkingData();
    const unsigned failureId = ExportFailureId(format, parser.Has("summary"));

    if (parser.Has("summary")) {
        CSummaryData& summary = doc.Summary();
        summary.BuildSummary(data);
        const Report::CSummaryTexts texts(app.DtFormat());
        if (format == "json") return WriteOutput(app, failureId, output, ProjectExport::SummaryJson(summary, texts));
        const std::u16string text = texts.ExportText(summary, 0);
        if (format == "csv") return WriteOutput(app, failureId, output, ProjectExport::TextCsv(text));
        return WriteExportText(app, failureId, output, text);
    }

    const Report::CSeriesTable table({.energyDisplay = doc.IsEnergyDisplay(), .dtFormat = app.DtFormat()});
    if (format == "json")
        return WriteStreamed(app, failureId, output,
                             [&](CChunkSink& sink) { ProjectExport::TableJson(data, table, sink); });
    if (format == "csv")
        return WriteStreamed(app, failureId, output,
                             [&](CChunkSink& sink) { ProjectExport::TableCsv(data, table, sink); });
    return WriteExportText(app, failureId, output, table.ExportText(data));
}

int CmdSummary(CCliApp& app, Args args) {
    static const std::string help =
        "Usage: brelvantor-cli summary PROJECT [--median|--mean] [--series LIST]\n"
        "\n"
        "Prints the summary of the series that take part in it, as the summary export\n"
        "text (UTF-8 with the platform's line ends; 'export --summary' writes the\n"
        "export file itself). The summary keeps the largest group of series that share\n"
        "a unit, as the desktop program does.\n"
        "\n"
        "Options:\n"
        "      --median      characteristic value: the median of the series' values\n"
        "      --mean        characteristic value: their mean\n"
        "                    (default: as saved in the project)\n"
        "  -s, --series LIST the series to summarise instead of those taking part, by\n"
        "                    the numbers 'show' prints: \"1,3-5\"\n";
    static const SOption options[] = {{"median", 0, false}, {"mean", 0, false}, {"series", 's', true}};
    CArgParser parser;
    int exit = 0;
    std::string path;
    if (!ParseCommandArgs(parser, args, options, "summary", help, exit)) return exit;
    if (!ProjectArgument(parser, "summary", path, exit)) return exit;
    if (parser.Has("median") && parser.Has("mean"))
        return UsageError("summary", "--median and --mean exclude each other");

    CHammerDoc doc(app.Prompt());
    if (const int rc = app.LoadProject(doc, path)) return rc;
    CHammerData& data = doc.WorkingData();
    if (const auto list = parser.Value("series")) {
        std::string bad;
        const auto indices = ParseSeriesList(*list, data.GetCount(), bad);
        if (!indices) return UsageError("summary", "--series takes numbers and ranges such as \"1,3-5\"");
        if (!bad.empty()) {
            Tools::ShowToolText(app.Prompt(), kIdNoSuchSeries, Tools::FormatToolString(kIdNoSuchSeries, bad),
                                Text::MsgIcon::Error);
            return kExitNotFound;
        }
        for (int i = 0; i < data.GetCount(); ++i) data.Series(i).UseInSummary = indices->count(i) ? 1 : 0;
    }
    CSummaryData& summary = doc.Summary();
    summary.BuildSummary(data);
    if (summary.GetEntryCount() > 0) {
        if (parser.Has("median")) summary.SetAveraging(0, kSummaryMedian);
        if (parser.Has("mean")) summary.SetAveraging(0, kSummaryMean);
    }
    const std::u16string text = Report::CSummaryTexts(app.DtFormat()).ExportText(summary, 0);
    if (!text.empty()) Cli::Out(Cli::TerminalText(text) + "\n");
    return kExitOk;
}
