#pragma once
// Conversions between the text encodings the program meets: UTF-16 (model and
// file texts), UTF-8 (paths, terminal, language modules) and Windows-1252 (the
// 8-bit texts of old project files, curve names and the device).
#include <string>
#include <string_view>

namespace Text {

std::string ToUtf8(std::u16string_view s);
// Invalid UTF-8 sequences become U+FFFD; never throws.
std::u16string FromUtf8(std::string_view s);

std::u16string FromCp1252(std::string_view s);
// Characters without a Windows-1252 form become '?'.
std::string ToCp1252(std::u16string_view s);

// Plain ASCII widening, for literals in code.
std::u16string Widen(std::string_view ascii);

}  // namespace Text
