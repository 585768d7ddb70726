#include "app/StderrPrompt.h"

#include <cstdio>

#include "app/MessageBoxPrompt.h"
#include "ui/UiText.h"

Text::MsgResult CStderrPrompt::ShowMessage(const Text::SMessage& msg) {
    const QString caption = CMessageBoxPrompt::CaptionOf(msg);
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                 UiText::ToQ(msg.text).toLocal8Bit().constData());
    return msg.buttons == Text::MsgButtons::Ok ? Text::MsgResult::Ok : Text::MsgResult::Cancel;
}
