#pragma once
// The texts of the desktop program's windows: string-table texts as QString, and
// the English texts of the ids the shipped string table does not carry yet, so
// that every window reads sensibly until it does.
#include <QString>
#include <string>
#include <string_view>

#include "text/StringTable.h"

namespace UiText {

inline QString ToQ(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQ(const QString& text) {
    return text.toStdU16String();
}

// The text of `id` from the active module, else the built-in table, else the
// program's own English text for it; empty for an id nobody knows.
std::u16string Load(unsigned id);
inline QString Get(unsigned id) {
    return ToQ(Load(id));
}

// A format text filled printf-style.
template <class... A>
QString Format(unsigned id, const A&... args) {
    return ToQ(Text::Format(Load(id), args...));
}

// A command's entry reads "prompt\ntool tip"; an entry without "\n" is all prompt.
QString PromptOf(unsigned commandId);
QString ToolTipOf(unsigned commandId);

// The English stand-in for ids the string table does not carry (empty when none).
std::u16string_view FallbackText(unsigned id);

}  // namespace UiText
