#pragma once
// The user prompt of the command-line program: messages go to standard error;
// a question is answered Yes at once when the user said so on the command line
// (--yes), asked on the terminal when there is one, and otherwise answered No
// and remembered as not asked, so that nothing is done unconfirmed.
#include <functional>
#include <vector>

#include "text/UserPrompt.h"

class CTerminalPrompt : public Text::IUserPrompt {
  public:
    void SetAssumeYes(bool yes) { m_assumeYes = yes; }
    // Messages without a question are not printed while quiet (settings
    // reading at start-up, whose folder checks concern the desktop program).
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    // Called before anything is printed (ends a progress bar's line).
    void SetBeforeOutput(std::function<void()> hook) { m_beforeOutput = std::move(hook); }

    Text::MsgResult ShowMessage(const Text::SMessage& msg) override;
    std::optional<std::filesystem::path> ChooseOpenFile(const Text::SFileChoice&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const Text::SFileChoice&) override {
        return std::nullopt;
    }

    // Whether a question had to be answered No because it could not be asked.
    bool QuestionUnanswered() const { return m_unanswered; }
    const std::vector<unsigned>& ShownIds() const { return m_shown; }
    bool WasShown(unsigned id) const;

    // Whether `answer` says yes: "y" or "yes" in any letter case, or the
    // letter the language's "[y/N]" offers for yes.
    static bool IsYes(std::string_view answer);

  private:
    bool m_assumeYes = false;
    bool m_quiet = false;
    bool m_unanswered = false;
    std::function<void()> m_beforeOutput;
    std::vector<unsigned> m_shown;
};
