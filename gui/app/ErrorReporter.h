#pragma once
// The shared error reporter: information, warning, error and fatal boxes with
// their captions; error and fatal reports ask the user to send the log file.
#include <string>

#include "text/UserPrompt.h"

class CErrorReporter {
  public:
    enum class EKind { Information, Warning, Error, Fatal };

    // The message as the reporter shows it: caption by kind, icon, OK button,
    // and for Error and Fatal the request to send the log file appended.
    static Text::SMessage MakeReport(EKind kind, const std::u16string& text, unsigned textId = 0);
    static void Report(Text::IUserPrompt& prompt, EKind kind, const std::u16string& text,
                       unsigned textId = 0);
    static void ReportId(Text::IUserPrompt& prompt, EKind kind, unsigned textId);
};
