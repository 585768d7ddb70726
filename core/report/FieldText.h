#pragma once
// Small text pieces shared by the table and summary texts: how free texts
// become one tab-separated field, how comments are escaped, and the Q texts of
// single readings.
#include <cstdint>
#include <string>
#include <string_view>

namespace Report {

// A free text (name, serial, curve name) as one export field. A tab or a line
// break inside it would start a new field or a new line and shift every value
// after it in a spreadsheet, so each tab, CR, LF and CRLF becomes one blank.
void AppendFieldText(std::u16string& out, std::u16string_view text);
std::u16string FieldText(std::u16string_view text);

// The comment as the exports carry it, without the enclosing quotes: CRLF
// becomes "<br>", a double quote "&quot". A lone CR or LF (comments typed on
// this platform end their lines with LF alone) is a line break as well and
// becomes "<br>"; a tab becomes a blank. So the comment always stays one field.
void AppendEscapedComment(std::u16string& out, std::u16string_view comment);
std::u16string EscapedComment(std::u16string_view comment);

// A reading's Q as "%0.1f" of QHalf * 0.5. Half units only ever end in .0 or
// .5, so the text is exact; it comes from a table because the table export
// writes millions of them.
std::u16string_view HalfQText(std::uint8_t qHalf);

}  // namespace Report
