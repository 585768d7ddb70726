#pragma once
// A user prompt for tests: answers from a script, records everything shown.
#include <deque>
#include <functional>

#include "text/UserPrompt.h"

class CScriptedPrompt : public Text::IUserPrompt {
public:
    std::vector<Text::SMessage> shown;
    std::deque<Text::MsgResult> answers;  // taken in order; Cancel when exhausted
    std::deque<std::optional<std::filesystem::path>> files;  // for open and save choices
    std::function<void(const Text::SMessage&)> onShow;       // sees each message as it is shown

    Text::MsgResult ShowMessage(const Text::SMessage& msg) override {
        shown.push_back(msg);
        if (onShow) onShow(msg);
        if (answers.empty()) return Text::MsgResult::Cancel;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const Text::SFileChoice&) override { return NextFile(); }
    std::optional<std::filesystem::path> ChooseSaveFile(const Text::SFileChoice&) override { return NextFile(); }

    std::vector<unsigned> ShownIds() const {
        std::vector<unsigned> ids;
        for (const auto& m : shown) ids.push_back(m.textId);
        return ids;
    }

private:
    std::optional<std::filesystem::path> NextFile() {
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};
