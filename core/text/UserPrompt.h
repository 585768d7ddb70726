#pragma once
// How core asks the user something or tells them something. core never shows a
// window itself: the desktop program implements this with message boxes and file
// dialogs, the command-line program with the terminal, tests with scripted answers.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Text {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct SMessage {
    unsigned textId = 0;     // string id the text came from (0 when built from several)
    std::u16string text;     // the final text, formats already filled in
    unsigned captionId = 0;  // string id of the caption (0: the program's name)
    std::u16string caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

struct SFileChoice {
    unsigned titleId = 0;
    std::u16string filter;  // e.g. "Brelvantor project (*.zvh)|*.zvh"
    std::u16string defaultExtension;
    std::filesystem::path suggested;
};

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    virtual MsgResult ShowMessage(const SMessage& msg) = 0;
    virtual std::optional<std::filesystem::path> ChooseOpenFile(const SFileChoice& choice) = 0;
    virtual std::optional<std::filesystem::path> ChooseSaveFile(const SFileChoice& choice) = 0;
};

// Shows the string `textId` with the given icon and buttons.
MsgResult ShowMessageId(IUserPrompt& prompt, unsigned textId, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                        unsigned captionId = 0);

// A prompt that shows nothing and answers every question with a fixed answer.
class CSilentPrompt : public IUserPrompt {
public:
    explicit CSilentPrompt(MsgResult answer = MsgResult::Cancel) : m_answer(answer) {}
    MsgResult ShowMessage(const SMessage&) override { return m_answer; }
    std::optional<std::filesystem::path> ChooseOpenFile(const SFileChoice&) override { return std::nullopt; }
    std::optional<std::filesystem::path> ChooseSaveFile(const SFileChoice&) override { return std::nullopt; }

private:
    MsgResult m_answer;
};

}  // namespace Text
