#pragma once
// The texts of the desktop program's windows: string-table texts as QString,
// printf-style formats filled, and the two halves of a command's entry.
#include <QString>
#include <string>
#include <string_view>

#include "text/Format.h"
#include "text/StringTable.h"

namespace UiText {

inline QString ToQ(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQ(const QString& text) {
    return text.toStdU16String();
}

// The text of `id` from the active language module, else the built-in table;
// empty for an id nobody knows.
inline std::u16string Load(unsigned id) {
    return Text::LoadString(id);
}
inline QString Get(unsigned id) {
    return ToQ(Load(id));
}

// A format text of the table, or a given one, filled printf-style.
template <class... A>
QString Format(unsigned id, const A&... args) {
    return ToQ(Text::Format(Load(id), args...));
}
template <class... A>
QString FormatText(std::u16string_view format, const A&... args) {
    return ToQ(Text::Format(format, args...));
}

// A command's entry reads "prompt\ntool tip"; an entry without "\n" is all prompt.
QString PromptOf(unsigned commandId);
QString ToolTipOf(unsigned commandId);

}  // namespace UiText
