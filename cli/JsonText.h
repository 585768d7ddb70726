#pragma once
// Pieces of JSON text: strings with their escapes, numbers in their shortest
// exact form, and the program's no-value marker as null.
#include <cstdint>
#include <string>
#include <string_view>

namespace Json {

void AppendString(std::string& out, std::u16string_view text);
void AppendString(std::string& out, std::string_view utf8);
// The shortest text that reads back as the same float; null for the no-value
// marker and for values that are no number.
void AppendFloat(std::string& out, float value);
void AppendDouble(std::string& out, double value);
void AppendInt(std::string& out, std::int64_t value);
void AppendBool(std::string& out, bool value);

// `"name": ` after the indentation, for the members of an object.
void AppendKey(std::string& out, int indent, std::string_view name);

}  // namespace Json
