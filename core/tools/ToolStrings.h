#pragma once
// Texts of the tools and the command-line program (ids from 62600 up), looked
// up like every other text so that a language module carries them too.
#include <string>

#include "text/Format.h"
#include "text/UserPrompt.h"

namespace Tools {

// The text of `id` from the language module, else the built-in table.
std::u16string LoadToolString(unsigned id);

template <class... A>
std::u16string FormatToolString(unsigned id, const A&... args) {
    return Text::Format(LoadToolString(id), args...);
}

// Shows the text of `id` (LoadToolString) through the prompt.
Text::MsgResult ShowToolMessage(Text::IUserPrompt& prompt, unsigned id, Text::MsgIcon icon,
                                Text::MsgButtons buttons = Text::MsgButtons::Ok);
// Shows a text already filled in from `id`'s format.
Text::MsgResult ShowToolText(Text::IUserPrompt& prompt, unsigned id, std::u16string text, Text::MsgIcon icon,
                             Text::MsgButtons buttons = Text::MsgButtons::Ok);

}  // namespace Tools
