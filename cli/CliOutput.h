#pragma once
// Writing texts to the terminal: the model's UTF-16 texts become UTF-8 with
// the platform's line ends. Names from a hammer or a project may hold any
// character; control characters (ESC, BEL, ...) would act on the terminal
// instead of being shown, so they are shown as "?".
#include <string>
#include <string_view>

namespace Cli {

// UTF-8 with every CRLF, lone CR and lone LF as one LF; tabs stay, other
// control characters become "?".
std::string TerminalText(std::u16string_view text);
// One line of UTF-8: every control character, line ends and tabs too, as "?".
std::string Utf8(std::u16string_view text);

// Write the bytes as they are; the standard streams are unbuffered C streams.
void Out(std::string_view bytes);
void Err(std::string_view bytes);
// A message on standard error, ending in a line end.
void ErrLine(std::u16string_view text);

// Whether standard input, output or error is a terminal.
bool StdinIsTerminal();
bool StdoutIsTerminal();
bool StderrIsTerminal();

}  // namespace Cli
