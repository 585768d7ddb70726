#include "TerminalPrompt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "CliOutput.h"
#include "CliStrings.h"
#include "text/Encoding.h"
#include "tools/ToolStrings.h"

namespace {

bool IsQuestion(Text::MsgButtons buttons) {
    return buttons != Text::MsgButtons::Ok;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

}  // namespace

bool CTerminalPrompt::WasShown(unsigned id) const {
    return std::find(m_shown.begin(), m_shown.end(), id) != m_shown.end();
}

bool CTerminalPrompt::IsYes(std::string_view answer) {
    std::string a = Lower(answer);
    while (!a.empty() && std::isspace(static_cast<unsigned char>(a.back()))) a.pop_back();
    while (!a.empty() && std::isspace(static_cast<unsigned char>(a.front()))) a.erase(a.begin());
    if (a == "y" || a == "yes") return true;
    // The translated choice, such as "[j/N]": its first letter means yes.
    const std::string choice = Cli::Utf8(Tools::LoadToolString(kIdYesNoChoice));
    const std::size_t open = choice.find('[');
    if (open != std::string::npos && open + 1 < choice.size()) {
        const std::string letter = Lower(choice.substr(open + 1, 1));
        if (letter != "n" && a == letter) return true;
    }
    return false;
}

Text::MsgResult CTerminalPrompt::ShowMessage(const Text::SMessage& msg) {
    m_shown.push_back(msg.textId);
    if (m_beforeOutput && !m_quiet) m_beforeOutput();
    // A text the string table lacks must still leave a trace of what happened.
    const std::u16string text =
        msg.text.empty() ? Text::FromUtf8("brelvantor-cli: message " + std::to_string(msg.textId)) : msg.text;
    if (!IsQuestion(msg.buttons)) {
        if (!m_quiet) Cli::ErrLine(text);
        return Text::MsgResult::Ok;
    }
    const bool okCancel = msg.buttons == Text::MsgButtons::OkCancel;
    const Text::MsgResult yes = okCancel ? Text::MsgResult::Ok : Text::MsgResult::Yes;
    const Text::MsgResult no = okCancel ? Text::MsgResult::Cancel : Text::MsgResult::No;
    std::string question = Cli::TerminalText(text);
    while (!question.empty() && question.back() == '\n') question.pop_back();
    if (m_assumeYes) {
        Cli::Err(question + "\n");
        return yes;
    }
    if (!Cli::StdinIsTerminal()) {
        Cli::Err(question + "\n");
        m_unanswered = true;
        return no;
    }
    Cli::Err(question + " " + Cli::Utf8(Tools::LoadToolString(kIdYesNoChoice)) + " ");
    std::string answer;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        answer.push_back(static_cast<char>(c));
    return IsYes(answer) ? yes : no;
}
