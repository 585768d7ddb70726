#pragma once
// A prompt that writes every message to standard error and answers Cancel: for
// runs without a user, such as taking a picture of the window, where a message
// box would wait for ever.
#include "text/UserPrompt.h"

class CStderrPrompt : public Text::IUserPrompt {
  public:
    Text::MsgResult ShowMessage(const Text::SMessage& msg) override;
    std::optional<std::filesystem::path> ChooseOpenFile(const Text::SFileChoice&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const Text::SFileChoice&) override {
        return std::nullopt;
    }
};
