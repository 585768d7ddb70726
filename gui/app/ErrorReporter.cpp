#include "app/ErrorReporter.h"

#include "ui/CommandIds.h"
#include "ui/UiText.h"

Text::SMessage CErrorReporter::MakeReport(EKind kind, const std::u16string& text, unsigned textId) {
    Text::SMessage msg;
    msg.textId = textId;
    msg.text = text;
    msg.buttons = Text::MsgButtons::Ok;
    switch (kind) {
        case EKind::Information:
            msg.captionId = Ids::kCaptionInformation;
            msg.icon = Text::MsgIcon::Information;
            break;
        case EKind::Warning:
            msg.captionId = Ids::kCaptionWarning;
            msg.icon = Text::MsgIcon::Warning;
            break;
        case EKind::Error:
            msg.captionId = Ids::kCaptionError;
            msg.icon = Text::MsgIcon::Error;
            break;
        case EKind::Fatal:
            msg.captionId = Ids::kCaptionFatal;
            msg.icon = Text::MsgIcon::Error;
            break;
    }
    msg.caption = UiText::Load(msg.captionId);
    if (kind == EKind::Error || kind == EKind::Fatal) msg.text += UiText::Load(Ids::kSendLogFile);
    return msg;
}

void CErrorReporter::Report(Text::IUserPrompt& prompt, EKind kind, const std::u16string& text,
                            unsigned textId) {
    prompt.ShowMessage(MakeReport(kind, text, textId));
}

void CErrorReporter::ReportId(Text::IUserPrompt& prompt, EKind kind, unsigned textId) {
    Report(prompt, kind, UiText::Load(textId), textId);
}
