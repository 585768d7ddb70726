// curves list | show NAME | create NAME ... | delete NAME: the local curve library.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ArgParser.h"
#include "CliApp.h"
#include "CliOutput.h"
#include "CliStrings.h"
#include "Commands.h"
#include "CurveLookup.h"
#include "ExitCodes.h"
#include "TextTable.h"
#include "doc/CurveFile.h"
#include "doc/HammerDoc.h"
#include "model/Conversion.h"
#include "text/Encoding.h"
#include "text/Format.h"
#include "text/StringTable.h"
#include "tools/CurveCreation.h"
#include "tools/ToolStrings.h"

namespace {

const std::string kCurvesHelp =
    "Usage: brelvantor-cli curves list\n"
    "       brelvantor-cli curves show NAME\n"
    "       brelvantor-cli curves create NAME [--kind poly|exp] [--a A] [--b B] [--c C]\n"
    "                                    [--d D] [--qmin MIN] [--qmax MAX] [--type N|L]\n"
    "                                    [--unit nmm2|kgcm2|psi|mpa] [--replace]\n"
    "       brelvantor-cli curves delete NAME [--yes]\n"
    "\n"
    "The local curve library: the custom conversion curves (.zvc files) in the\n"
    "folder BRELVANTOR_CURVES names, else CustomCurves beside the program, else\n"
    "~/.local/share/Tolvex/Brelvantor/CustomCurves. A curve is named by its name or\n"
    "by its file name.\n"
    "\n"
    "create makes a curve fck(Q) and checks it before saving: a name of at most 10\n"
    "characters (A-Z a-z 0-9 _ # % - . and blanks), a Q range of at least 10 within\n"
    "0 to 100, values not below 0 and increasing over the range, at most 300 N/mm2\n"
    "at its top.\n"
    "  --kind poly|exp   fck = aQ^3 + bQ^2 + cQ + d (default), or fck = a * e^(Qb)\n"
    "  --a --b --c --d   the coefficients in the unit of entry (default 0)\n"
    "  --qmin --qmax     the valid range for Q (default 10 and 90)\n"
    "  --type N|L        the hammer type the curve is made for (default N)\n"
    "  --unit U          the unit of entry: nmm2 (default), kgcm2, psi or mpa\n"
    "  --replace         replace a curve of the same name in the library\n"
    "\n"
    "delete asks first on a terminal; without one, add --yes.\n";

std::u16string HammerTypes(const TConvCust& curve) {
    std::u16string text;
    if (curve.UsableOnTypeN()) text = Text::LoadString(kIdTypeN);
    if (curve.UsableOnTypeL()) text += (text.empty() ? u"" : u", ") + Text::LoadString(kIdTypeL);
    return text;
}

std::u16string KindText(const TConvCust& curve) {
    return Tools::LoadToolString(curve.Kind == kCurveExponential ? kIdExponential : kIdPolynomial);
}

std::u16string RangeText(const TConvCust& curve) {
    return Text::Format(u"%d - %d", curve.QMin, curve.QMax);
}

std::u16string FileText(CHammerDoc& doc, int position) {
    return Text::FromUtf8(doc.Library().FileOf(position).filename().string());
}

int List(CCliApp& app, const CArgParser& parser) {
    if (parser.Positionals().size() > 1)
        return UsageError("curves", "unexpected argument '" + parser.Positionals()[1] + "'");
    CHammerDoc doc(app.Prompt());
    const auto& curves = doc.CurveLibrary();
    CTextTable out({Text::LoadString(kIdName), Tools::LoadToolString(kIdLabelCurveType),
                    Tools::LoadToolString(kIdLabelQRange), Tools::LoadToolString(kIdLabelHammerType),
                    Tools::LoadToolString(kIdLabelEntryUnit), Tools::LoadToolString(kIdLabelFile)});
    for (int position : doc.Library().PositionsByName()) {
        const TConvCust& c = curves[static_cast<std::size_t>(position)];
        out.AddRow({c.Name(), KindText(c), RangeText(c), HammerTypes(c),
                    Model::GetUnitText(Tools::CurveEntryUnit(c)), FileText(doc, position)});
    }
    Cli::Out(out.Render());
    return kExitOk;
}

int Show(CCliApp& app, const CArgParser& parser) {
    if (parser.Positionals().size() != 2) return UsageError("curves", "curves show takes one curve name");
    CHammerDoc doc(app.Prompt());
    const SCurveLookup found = FindLibraryCurve(app, doc, parser.Positionals()[1]);
    if (found.exit != kExitOk) return found.exit;
    const TConvCust& c = doc.CurveLibrary()[static_cast<std::size_t>(found.position)];
    const auto k = Tools::CoefficientsInEntryUnit(c);
    const bool exponential = c.Kind == kCurveExponential;

    std::vector<std::pair<std::u16string, std::u16string>> lines{
        {Text::LoadString(kIdName), c.Name()},
        {Tools::LoadToolString(kIdLabelCurveType),
         KindText(c) + (exponential ? u": fck = a * e^(Qb)" : u": fck = aQ^3 + bQ^2 + cQ + d")},
        {u"a", Text::Format(u"%0.6f", k[0])},
        {u"b", Text::Format(u"%0.6f", k[1])}};
    if (!exponential) {
        lines.emplace_back(u"c", Text::Format(u"%0.6f", k[2]));
        lines.emplace_back(u"d", Text::Format(u"%0.6f", k[3]));
    }
    lines.emplace_back(Tools::LoadToolString(kIdLabelQRange), RangeText(c));
    lines.emplace_back(Tools::LoadToolString(kIdLabelHammerType), HammerTypes(c));
    lines.emplace_back(Tools::LoadToolString(kIdLabelEntryUnit),
                       Model::GetUnitText(Tools::CurveEntryUnit(c)));
    lines.emplace_back(Tools::LoadToolString(kIdLabelFile), FileText(doc, found.position));

    Cli::Out(LabelledLines(lines));
    return kExitOk;
}

std::optional<std::uint8_t> ParseUnit(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    if (text == "nmm2" || text == "n/mm2" || text == "n/mm\xc2\xb2") return kUnitNmm2;
    if (text == "kgcm2" || text == "kg/cm2" || text == "kg/cm\xc2\xb2") return kUnitKgCm2;
    if (text == "psi") return kUnitPSI;
    if (text == "mpa") return kUnitMPa;
    return std::nullopt;
}

int Create(CCliApp& app, const CArgParser& parser) {
    if (parser.Positionals().size() != 2) return UsageError("curves", "curves create takes one curve name");
    Tools::TNewCurveInput input;
    input.name = Text::FromUtf8(parser.Positionals()[1]);

    const std::string kind = parser.Value("kind").value_or("poly");
    if (kind == "poly" || kind == "polynomial") {
        input.kind = kCurvePolynomial;
    } else if (kind == "exp" || kind == "exponential") {
        input.kind = kCurveExponential;
    } else {
        return UsageError("curves", "--kind is poly or exp, not '" + kind + "'");
    }
    // A number the user mistyped must not quietly become 0 and pass as a curve.
    struct SNumber {
        const char* name;
        double* target;
    };
    const SNumber numbers[] = {{"a", &input.a}, {"b", &input.b},       {"c", &input.c},
                               {"d", &input.d}, {"qmin", &input.qMin}, {"qmax", &input.qMax}};
    for (const SNumber& n : numbers) {
        const auto text = parser.Value(n.name);
        if (!text) continue;
        const auto value = CArgParser::ParseDouble(*text);
        if (!value)
            return UsageError("curves", std::string("--") + n.name + " takes a number, not '" + *text + "'");
        *n.target = *value;
    }
    const std::string type = parser.Value("type").value_or("N");
    if (type != "N" && type != "n" && type != "L" && type != "l")
        return UsageError("curves", "--type is N or L, not '" + type + "'");
    input.typeN = type == "N" || type == "n";
    const std::string unitText = parser.Value("unit").value_or("nmm2");
    const auto unit = ParseUnit(unitText);
    if (!unit) return UsageError("curves", "--unit is nmm2, kgcm2, psi or mpa, not '" + unitText + "'");
    input.unit = *unit;

    const Tools::TNewCurveCheck check = Tools::CheckNewCurve(input);
    if (!check.Passed()) {
        Tools::ShowToolMessage(app.Prompt(), check.messageId, Text::MsgIcon::Warning);
        return kExitCheckFailed;
    }

    CHammerDoc doc(app.Prompt());
    // Saving replaces a curve file of the same name; on the command line that
    // must be asked for, since a typo would otherwise overwrite another curve.
    if (!parser.Has("replace")) {
        bool taken = std::any_of(doc.CurveLibrary().begin(), doc.CurveLibrary().end(),
                                 [&](const TConvCust& c) { return c.Name8() == check.curve.Name8(); });
        std::error_code ec;
        const auto folder = CHammerDoc::CurveFolder();
        taken = taken ||
                (!folder.empty() && std::filesystem::exists(folder / Doc::CurveFileName(check.curve), ec));
        if (taken) {
            Tools::ShowToolText(app.Prompt(), kIdCurveExists,
                                Tools::FormatToolString(kIdCurveExists, check.curve.Name()),
                                Text::MsgIcon::Warning);
            return kExitCheckFailed;
        }
    }
    // The library shows its own message when the file cannot be written.
    if (!doc.SaveCurveFile(check.curve)) return kExitWriteFailed;
    Text::ShowMessageId(app.Prompt(), Tools::kIdCurveCreated, Text::MsgIcon::Information);
    return kExitOk;
}

int Delete(CCliApp& app, const CArgParser& parser) {
    if (parser.Positionals().size() != 2) return UsageError("curves", "curves delete takes one curve name");
    CHammerDoc doc(app.Prompt());
    const SCurveLookup found = FindLibraryCurve(app, doc, parser.Positionals()[1]);
    if (found.exit != kExitOk) return found.exit;
    app.Prompt().SetAssumeYes(parser.Has("yes"));
    if (Text::ShowMessageId(app.Prompt(), kIdDeleteCurveQuestion, Text::MsgIcon::Question,
                            Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes) {
        if (app.Prompt().QuestionUnanswered())
            Tools::ShowToolMessage(app.Prompt(), kIdNotConfirmed, Text::MsgIcon::Warning);
        return kExitNotConfirmed;
    }
    const std::string file = doc.Library().FileOf(found.position).string();
    if (!doc.DeleteCurveFile(found.position)) {
        Tools::ShowToolText(app.Prompt(), kIdCurveNotDeleted,
                            Tools::FormatToolString(kIdCurveNotDeleted, file), Text::MsgIcon::Error);
        return kExitWriteFailed;
    }
    return kExitOk;
}

}  // namespace

int CmdCurves(CCliApp& app, Args args) {
    static const SOption options[] = {{"kind", 0, true},     {"a", 0, true},     {"b", 0, true},
                                      {"c", 0, true},        {"d", 0, true},     {"qmin", 0, true},
                                      {"qmax", 0, true},     {"type", 0, true},  {"unit", 0, true},
                                      {"replace", 0, false}, {"yes", 'y', false}};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "curves", kCurvesHelp, exit)) return exit;
    const auto& p = parser.Positionals();
    if (p.empty()) return UsageError("curves", "say list, show, create or delete");
    const std::string& action = p.front();
    const bool createOptions = parser.Has("kind") || parser.Has("a") || parser.Has("b") || parser.Has("c") ||
                               parser.Has("d") || parser.Has("qmin") || parser.Has("qmax") ||
                               parser.Has("type") || parser.Has("unit") || parser.Has("replace");
    if (action != "create" && createOptions)
        return UsageError("curves", "those options belong to curves create");
    if (action != "delete" && parser.Has("yes"))
        return UsageError("curves", "--yes belongs to curves delete");
    if (action == "list") return List(app, parser);
    if (action == "show") return Show(app, parser);
    if (action == "create") return Create(app, parser);
    if (action == "delete") return Delete(app, parser);
    return UsageError("curves", "unknown action '" + action + "'");
}
