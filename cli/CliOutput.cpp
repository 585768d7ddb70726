#include "CliOutput.h"

#include <unistd.h>

#include <cstdio>

#include "text/Encoding.h"

namespace Cli {

std::string TerminalText(std::u16string_view text) {
    std::u16string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            lf.push_back(u'\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            lf.push_back(text[i]);
        }
    }
    return Text::ToUtf8(lf);
}

std::string Utf8(std::u16string_view text) {
    return Text::ToUtf8(text);
}

void Out(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Err(std::string_view bytes) {
    std::fflush(stdout);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void ErrLine(std::u16string_view text) {
    std::string line = TerminalText(text);
    if (line.empty() || line.back() != '\n') line.push_back('\n');
    Err(line);
}

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace Cli
