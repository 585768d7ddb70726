#include "CliOutput.h"

#include <unistd.h>

#include <cstdio>

#include "text/Encoding.h"

namespace Cli {
namespace {

// C0, DEL and C1: the characters a terminal obeys instead of showing.
bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::string TerminalText(std::u16string_view text) {
    std::u16string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            lf.push_back(u'\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            lf.push_back(c == u'\n' || c == u'\t' || !IsControl(c) ? c : u'?');
        }
    }
    return Text::ToUtf8(lf);
}

std::string Utf8(std::u16string_view text) {
    std::u16string line(text);
    for (char16_t& c : line)
        if (IsControl(c)) c = u'?';
    return Text::ToUtf8(line);
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
