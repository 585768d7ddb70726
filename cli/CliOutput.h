#pragma once
// Writing texts to the terminal: the model's UTF-16 texts become UTF-8 with
// the platform's line ends.
#include <string>
#include <string_view>

namespace Cli {

// UTF-8 with every CRLF, lone CR and lone LF as one LF.
std::string TerminalText(std::u16string_view text);
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
