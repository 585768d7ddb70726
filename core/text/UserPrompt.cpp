#include "text/UserPrompt.h"

#include "text/StringTable.h"

namespace Text {

MsgResult ShowMessageId(IUserPrompt& prompt, unsigned textId, MsgIcon icon, MsgButtons buttons,
                        unsigned captionId) {
    SMessage msg;
    msg.textId = textId;
    msg.text = LoadString(textId);
    msg.captionId = captionId;
    if (captionId != 0) msg.caption = LoadString(captionId);
    msg.icon = icon;
    msg.buttons = buttons;
    return prompt.ShowMessage(msg);
}

}  // namespace Text
