#include "tools/ToolStrings.h"

#include "text/StringTable.h"

namespace Tools {

std::u16string LoadToolString(unsigned id) {
    return Text::LoadString(id);
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
