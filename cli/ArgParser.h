#pragma once
// A small parser for the options of one subcommand: "--name value",
// "--name=value", "-x value" for the short forms, flags without a value, and
// positional arguments; "--" ends the options. "-h" and "--help" are known to
// every subcommand. An unknown option, a missing value or an option given
// twice is an error with a message that names it.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SOption {
    const char* longName;  // without the dashes
    char shortName;        // 0: none
    bool takesValue;
};

class CArgParser {
  public:
    bool Parse(std::span<const std::string> args, std::span<const SOption> options, std::string& error);

    bool HelpRequested() const { return m_help; }
    bool Has(std::string_view longName) const;
    std::optional<std::string> Value(std::string_view longName) const;
    const std::vector<std::string>& Positionals() const { return m_positionals; }

    // Strict number readers: the whole text must be the number.
    static std::optional<long> ParseLong(std::string_view text);
    // A finite decimal number ("12", "-6.5", "1e-3").
    static std::optional<double> ParseDouble(std::string_view text);

  private:
    struct SGiven {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<SGiven> m_given;
    std::vector<std::string> m_positionals;
    bool m_help = false;
};
