#include "JsonText.h"

#include <charconv>
#include <cmath>

#include "model/ModelTypes.h"
#include "text/Encoding.h"

namespace Json {

void AppendString(std::string& out, std::u16string_view text) {
    AppendString(out, Text::ToUtf8(text));
}

void AppendString(std::string& out, std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

void AppendFloat(std::string& out, float value) {
    if (IsNoValue(value) || !std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendDouble(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendBool(std::string& out, bool value) {
    out += value ? "true" : "false";
}

void AppendKey(std::string& out, int indent, std::string_view name) {
    out.append(static_cast<std::size_t>(indent), ' ');
    out += '"';
    out += name;
    out += "\": ";
}

}  // namespace Json
