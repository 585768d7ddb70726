#pragma once
// The user prompt of the desktop program: message boxes and file dialogs.
#include <QString>

#include "text/UserPrompt.h"

class QWidget;

class CMessageBoxPrompt : public Text::IUserPrompt {
  public:
    Text::MsgResult ShowMessage(const Text::SMessage& msg) override;
    std::optional<std::filesystem::path> ChooseOpenFile(const Text::SFileChoice& choice) override;
    std::optional<std::filesystem::path> ChooseSaveFile(const Text::SFileChoice& choice) override;

    // "Text (*.txt)|*.txt|All Files (*.*)|*.*||" as a file dialog takes it:
    // "Text (*.txt);;All Files (*.*)".
    static QString ToDialogFilter(std::u16string_view filter);
    // The caption a message gets: its own, else the reporter's caption for its
    // icon, else the program's name.
    static QString CaptionOf(const Text::SMessage& msg);
    // Whether an OK/Cancel question is really "try again?" and reads better
    // with a Retry button.
    static bool IsRetryQuestion(const Text::SMessage& msg);

  private:
    static QWidget* Parent();
};
