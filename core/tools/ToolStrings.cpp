#include "tools/ToolStrings.h"

#include <algorithm>
#include <array>

#include "text/StringTable.h"

namespace Tools {
namespace {

constexpr std::array kStrings = {
    TToolString{62600, u"The curve %s could not be written into slot %s of the Talvenbrecker."},
    TToolString{
        62601,
        u"Every number of the custom statistics must lie between 0 and 255.\nStatistics not uploaded!"},
    TToolString{62602, u"The valid range for Q must lie between 0 and 100.\nCurve was not created!"},
    TToolString{62603, u"The Talvenbrecker did not confirm the new clock time.\nNo data was downloaded."},
    TToolString{62604, u"Download error code %d."},
    TToolString{62605, u"%d measurement series downloaded and saved in %s."},
    TToolString{62606, u"The file %s does not exist."},
    TToolString{62607, u"A curve named %s is already in the local curve library.\nCurve was not created!"},
    TToolString{62608, u"Please wait while downloading..."},
    TToolString{62609, u"Not confirmed: answer the question on a terminal, or add --yes."},
    TToolString{62610, u"[y/N]"},
    TToolString{62611, u"No Talvenbrecker answered on %s."},
    TToolString{62612, u"There is no curve named %s in the local curve library."},
    TToolString{62613, u"Several curves of the local curve library are named %s. Name one by its file: %s"},
    TToolString{62614, u"The file %s could not be written:\n%s"},
    TToolString{62615, u"Slot %s of the Talvenbrecker could not be emptied."},
    TToolString{62616, u"There is no serial port %s."},
    TToolString{62617, u"Port"},
    TToolString{62618, u"Device path"},
    TToolString{62619, u"Exists"},
    TToolString{62620, u"yes"},
    TToolString{62621, u"no"},
    TToolString{62622, u"Port:\t%s"},
    TToolString{62623, u"The curve file %s could not be deleted."},
    TToolString{62624, u"Statistic method"},
    TToolString{62625, u"Minimum number of impacts"},
    TToolString{62626, u"Maximum number of impacts"},
    TToolString{62627, u"Curve type"},
    TToolString{62628, u"Polynomial"},
    TToolString{62629, u"Exponential"},
    TToolString{62630, u"Valid range for Q"},
    TToolString{62631, u"Hammer type"},
    TToolString{62632, u"Unit of entry"},
    TToolString{62633, u"File"},
    TToolString{62634, u"There is no series number %s in this project."},
};

}  // namespace

std::span<const TToolString> ToolStrings() {
    return kStrings;
}

std::u16string LoadToolString(unsigned id) {
    std::u16string text = Text::LoadString(id);
    if (!text.empty()) return text;
    const auto it =
        std::find_if(kStrings.begin(), kStrings.end(), [id](const TToolString& s) { return s.id == id; });
    return it == kStrings.end() ? std::u16string() : std::u16string(it->english);
}

Text::MsgResult ShowToolMessage(Text::IUserPrompt& prompt, unsigned id, Text::MsgIcon icon,
                                Text::MsgButtons buttons) {
    return ShowToolText(prompt, id, LoadToolString(id), icon, buttons);
}

Text::MsgResult ShowToolText(Text::IUserPrompt& prompt, unsigned id, std::u16string text, Text::MsgIcon icon,
                             Text::MsgButtons buttons) {
    Text::SMessage msg;
    msg.textId = id;
    msg.text = std::move(text);
    msg.icon = icon;
    msg.buttons = buttons;
    return prompt.ShowMessage(msg);
}

}  // namespace Tools
