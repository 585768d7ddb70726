#pragma once
// Texts of the tools and the command-line program that are newer than the
// string table shipped with this build. They are looked up like every other
// text, so a language module can carry them; until the table has them, the
// English text below stands in.
#include <span>
#include <string>

#include "text/Format.h"
#include "text/UserPrompt.h"

namespace Tools {

struct TToolString {
    unsigned id;
    const char16_t* english;
};

// Every id from 62600 up that this program uses, with its English text.
std::span<const TToolString> ToolStrings();

// The text of `id` from the string table (and so from a language module),
// else the English text of ToolStrings, else the plain table lookup.
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
