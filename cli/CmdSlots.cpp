// slots [show] | slots upload NAME --slot Cn | slots clear Cn: the hammer's curve slots.
#include "ArgParser.h"
#include "CliApp.h"
#include "CliHammerSession.h"
#include "CliOutput.h"
#include "CliStrings.h"
#include "Commands.h"
#include "CurveLookup.h"
#include "ExitCodes.h"
#include "TextTable.h"
#include "doc/HammerDoc.h"
#include "model/Conversion.h"
#include "text/Encoding.h"
#include "text/Format.h"
#include "text/StringTable.h"
#include "tools/CurveCreation.h"
#include "tools/SlotUpload.h"
#include "tools/ToolStrings.h"

namespace {

const std::string kSlotsHelp =
    "Usage: brelvantor-cli slots [--port P]\n"
    "       brelvantor-cli slots upload NAME --slot C1|C2|C3 [--yes] [--port P]\n"
    "       brelvantor-cli slots clear C1|C2|C3 [--yes] [--port P]\n"
    "\n"
    "The hammer's custom curve slots C1 to C3. Without an action they are shown.\n"
    "upload puts the curve NAME of the local curve library into a slot, after the\n"
    "checks the desktop program makes: the curve must be made for the hammer's type,\n"
    "an older hammer takes neither exponential nor cubic curves, and no curve may sit\n"
    "in two slots. Replacing a filled slot, and emptying one, is asked first on a\n"
    "terminal; without one, add --yes. Series measured with a replaced or emptied\n"
    "curve are converted with its successor or the default curve afterwards.\n"
    "The slots are shown again after every upload or clear.\n"
    "\n"
    "Options:\n"
    "  -p, --port P        port number, device path or IP:host:port (default: scan)\n"
    "      --slot Cn       the slot to upload into\n"
    "  -y, --yes           replace or empty without asking\n";

std::u16string HammerTypes(const TConvCust& curve) {
    std::u16string text;
    if (curve.UsableOnTypeN()) text = Text::LoadString(kIdTypeN);
    if (curve.UsableOnTypeL()) text += (text.empty() ? u"" : u", ") + Text::LoadString(kIdTypeL);
    return text;
}

void PrintSlots(const Tools::TCurveSlots& slots) {
    CTextTable out({u"", Text::LoadString(kIdName), Tools::LoadToolString(kIdLabelCurveType),
                    Tools::LoadToolString(kIdLabelQRange), Tools::LoadToolString(kIdLabelHammerType),
                    Tools::LoadToolString(kIdLabelEntryUnit)});
    for (int i = 0; i < 3; ++i) {
        const Device::SCurveSlot& slot = slots[static_cast<std::size_t>(i)];
        std::vector<std::u16string> row{Tools::SlotLabel(i) + u":", Tools::SlotContentText(slot)};
        if (!slot.Empty) {
            const TConvCust curve = Tools::CurveFromSlot(slot);
            row.push_back(
                Tools::LoadToolString(curve.Kind == kCurveExponential ? kIdExponential : kIdPolynomial));
            row.push_back(Text::Format(u"%d - %d", curve.QMin, curve.QMax));
            row.push_back(HammerTypes(curve));
            row.push_back(Model::GetUnitText(Tools::CurveEntryUnit(curve)));
        }
        out.AddRow(std::move(row));
    }
    Cli::Out(out.Render());
}

int ParseSlot(const std::string& text, int& slot) {
    const auto parsed = Tools::ParseSlotLabel(Text::FromUtf8(text));
    if (!parsed) return UsageError("slots", "a slot is C1, C2 or C3, not '" + text + "'");
    slot = *parsed;
    return kExitOk;
}

int Connect(CCliHammerSession& link, const CArgParser& parser) {
    return ConnectOrFail(link, parser, "slots");
}

// Reads the slots afresh and shows them; a hammer whose slots cannot be read is let go.
int Refresh(CCliApp& app, CCliHammerSession& link, Tools::TCurveSlots& slots) {
    if (!Tools::ReadSlots(*link.Hammer(), slots, app.Prompt())) {
        link.Disconnect();
        return kExitCommFailed;
    }
    PrintSlots(slots);
    return kExitOk;
}

// After a change the hammer confirmed whose slots could not be read back: the
// read failure alone would leave the user thinking nothing changed.
void ChangeNotShown(CCliApp& app, const std::u16string& text) {
    Tools::ShowToolText(app.Prompt(), kIdSlotFilledUnread, text, Text::MsgIcon::Warning);
}

int OutcomeExit(CCliApp& app, const Tools::TSlotResult& result) {
    switch (result.outcome) {
        case Tools::ESlotOutcome::Done:
            return kExitOk;
        case Tools::ESlotOutcome::Refused:
            // A hammer that gave no proper identification is a line problem, not a curve problem.
            return result.messageId == Tools::kIdImproperArgument ? kExitCommFailed : kExitCheckFailed;
        case Tools::ESlotOutcome::Failed:
            return kExitRefused;
        case Tools::ESlotOutcome::Declined:
            break;
    }
    if (app.Prompt().QuestionUnanswered())
        Tools::ShowToolMessage(app.Prompt(), kIdNotConfirmed, Text::MsgIcon::Warning);
    return kExitNotConfirmed;
}

}  // namespace

int CmdSlots(CCliApp& app, Args args) {
    static const SOption options[] = {{"port", 'p', true}, {"slot", 0, true}, {"yes", 'y', false}};
    CArgParser parser;
    int exit = 0;
    if (!ParseCommandArgs(parser, args, options, "slots", kSlotsHelp, exit)) return exit;
    const auto& p = parser.Positionals();
    const std::string action = p.empty() ? "show" : p.front();
    app.Prompt().SetAssumeYes(parser.Has("yes"));

    if (action == "show") {
        if (p.size() > 1) return UsageError("slots", "unexpected argument '" + p[1] + "'");
        if (parser.Has("slot") || parser.Has("yes"))
            return UsageError("slots", "showing the slots takes only --port");
        CCliHammerSession link(app.Prompt());
        if (const int rc = Connect(link, parser)) return rc;
        Tools::TCurveSlots slots;
        return Refresh(app, link, slots);
    }

    if (action == "upload") {
        if (p.size() != 2) return UsageError("slots", "slots upload takes one curve name");
        const auto slotText = parser.Value("slot");
        if (!slotText) return UsageError("slots", "slots upload needs --slot C1, C2 or C3");
        int slot = 0;
        if (const int rc = ParseSlot(*slotText, slot)) return rc;
        CHammerDoc doc(app.Prompt());
        const SCurveLookup found = FindLibraryCurve(app, doc, p[1]);
        if (found.exit != kExitOk) return found.exit;
        const TConvCust curve = doc.CurveLibrary()[static_cast<std::size_t>(found.position)];

        CCliHammerSession link(app.Prompt());
        if (const int rc = Connect(link, parser)) return rc;
        Tools::TCurveSlots shown;
        if (!Tools::ReadSlots(*link.Hammer(), shown, app.Prompt())) {
            link.Disconnect();
            return kExitCommFailed;
        }
        const Tools::TSlotResult result =
            Tools::UploadCurveToSlot(*link.Hammer(), curve, slot, shown, app.Prompt());
        // Without a proper identification nothing was sent, and nothing changed to show.
        if (result.messageId == Tools::kIdImproperArgument) return OutcomeExit(app, result);
        const int refreshed = Refresh(app, link, shown);
        if (refreshed != kExitOk && result.outcome == Tools::ESlotOutcome::Done)
            ChangeNotShown(
                app, Tools::FormatToolString(kIdSlotFilledUnread, curve.Name(), Tools::SlotLabel(slot)));
        const int rc = OutcomeExit(app, result);
        return rc != kExitOk ? rc : refreshed;
    }

    if (action == "clear") {
        if (p.size() != 2) return UsageError("slots", "slots clear takes one slot: C1, C2 or C3");
        if (parser.Has("slot")) return UsageError("slots", "slots clear names its slot without --slot");
        int slot = 0;
        if (const int rc = ParseSlot(p[1], slot)) return rc;
        CCliHammerSession link(app.Prompt());
        if (const int rc = Connect(link, parser)) return rc;
        Tools::TCurveSlots shown;
        if (!Tools::ReadSlots(*link.Hammer(), shown, app.Prompt())) {
            link.Disconnect();
            return kExitCommFailed;
        }
        const Tools::TSlotResult result = Tools::EmptySlot(*link.Hammer(), slot, shown, app.Prompt());
        const int refreshed = Refresh(app, link, shown);
        if (refreshed != kExitOk && result.outcome == Tools::ESlotOutcome::Done)
            ChangeNotShown(app, Tools::FormatToolString(kIdSlotEmptiedUnread, Tools::SlotLabel(slot)));
        const int rc = OutcomeExit(app, result);
        return rc != kExitOk ? rc : refreshed;
    }
    return UsageError("slots", "unknown action '" + action + "'");
}
