#include "ArgParser.h"

#include <charconv>
#include <cmath>

bool CArgParser::Parse(std::span<const std::string> args, std::span<const SOption> options,
                       std::string& error) {
    m_given.clear();
    m_positionals.clear();
    m_help = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            m_help = true;
            continue;
        }
        const SOption* option = nullptr;
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            std::string_view name = std::string_view(arg).substr(2);
            const std::size_t eq = name.find('=');
            if (eq != std::string_view::npos) {
                inlineValue = std::string(name.substr(eq + 1));
                name = name.substr(0, eq);
            }
            for (const SOption& o : options)
                if (name == o.longName) option = &o;
        } else if (arg.size() == 2) {
            for (const SOption& o : options)
                if (o.shortName != 0 && arg[1] == o.shortName) option = &o;
        }
        if (option == nullptr) {
            error = "unknown option " + arg;
            return false;
        }
        const std::string shown = std::string("--") + option->longName;
        if (Has(option->longName)) {
            error = "option " + shown + " given twice";
            return false;
        }
        SGiven given{option->longName, std::nullopt};
        if (option->takesValue) {
            if (inlineValue) {
                given.value = std::move(inlineValue);
            } else if (i + 1 < args.size()) {
                given.value = args[++i];
            } else {
                error = "option " + shown + " needs a value";
                return false;
            }
        } else if (inlineValue) {
            error = "option " + shown + " takes no value";
            return false;
        }
        m_given.push_back(std::move(given));
    }
    return true;
}

bool CArgParser::Has(std::string_view longName) const {
    for (const SGiven& g : m_given)
        if (g.name == longName) return true;
    return false;
}

std::optional<std::string> CArgParser::Value(std::string_view longName) const {
    for (const SGiven& g : m_given)
        if (g.name == longName) return g.value;
    return std::nullopt;
}

std::optional<long> CArgParser::ParseLong(std::string_view text) {
    long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!text.empty() && text[0] == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

std::optional<double> CArgParser::ParseDouble(std::string_view text) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!text.empty() && text[0] == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (text.empty() || ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}
