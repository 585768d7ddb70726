#pragma once
// The string table: every user-visible text by its numeric id. The English texts
// are compiled in; an active language module replaces the texts it carries.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Text {

// The text of `id` from the active module, falling back to the built-in English
// text; an empty text for an id nobody knows.
std::u16string LoadString(unsigned id);

// The built-in English text only (ignores the language module).
std::u16string_view BuiltInString(unsigned id);
bool HasBuiltInString(unsigned id);

// Every id of the built-in table, ascending.
std::vector<unsigned> BuiltInIds();

// Texts of the active language module, consulted before the built-in table;
// nullptr returns to the built-in English texts. Safe to call while other
// threads load strings.
using LanguageTexts = std::unordered_map<unsigned, std::u16string>;
void SetLanguageOverrides(std::shared_ptr<const LanguageTexts> texts);
std::shared_ptr<const LanguageTexts> GetLanguageOverrides();

// LoadString + Format in one step.
template <class... A>
std::u16string FormatString(unsigned id, const A&... args);

}  // namespace Text

#include "text/Format.h"

template <class... A>
std::u16string Text::FormatString(unsigned id, const A&... args) {
    return Format(LoadString(id), args...);
}
