#include "model/Version.h"

#include <array>
#include <optional>
#include <string>

#include "text/Encoding.h"

namespace {

std::u16string Decimal(std::uint64_t v) {
    return Text::Widen(std::to_string(v));
}

bool IsCSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// One decimal part the way the C library's %d reads it: leading white space,
// an optional sign, then at least one digit. Returns nothing when no digit
// follows; `negative` and `overflow` mark parts that no version can hold.
struct SPart {
    std::uint64_t value = 0;
    bool negative = false;
    bool overflow = false;
};

std::optional<SPart> ReadPart(std::u16string_view s, std::size_t& pos) {
    std::size_t p = pos;
    while (p < s.size() && IsCSpace(s[p])) ++p;
    SPart part;
    if (p < s.size() && (s[p] == u'+' || s[p] == u'-')) {
        part.negative = s[p] == u'-';
        ++p;
    }
    const std::size_t digitsStart = p;
    while (p < s.size() && s[p] >= u'0' && s[p] <= u'9') {
        const std::uint64_t digit = static_cast<std::uint64_t>(s[p] - u'0');
        if (part.value > (UINT64_MAX - digit) / 10) part.overflow = true;
        part.value = part.value * 10 + digit;
        ++p;
    }
    if (p == digitsStart) return std::nullopt;
    if (part.negative && part.value == 0) part.negative = false;  // "-0" is just 0
    pos = p;
    return part;
}

}  // namespace

std::u16string CVersion::ToString4() const {
    return Decimal(Major()) + u'.' + Decimal(Minor()) + u'.' + Decimal(Build()) + u'.' + Decimal(Revision());
}

std::u16string CVersion::ToString3() const {
    return Decimal(Major()) + u'.' + Decimal(Minor()) + u'.' + Decimal(Build());
}

std::u16string CVersion::ToString2() const {
    return Decimal(m_value >> 32) + u'.' + Decimal(m_value & 0xFFFFFFFFu);
}

std::u16string CVersion::ToString1() const {
    return Decimal(m_value);
}

CVersion CVersion::Parse(std::string_view text) {
    return Parse(Text::FromCp1252(text));
}

CVersion CVersion::Parse(std::u16string_view text) {
    std::u16string clean;
    clean.reserve(text.size());
    for (char16_t c : text) {
        if (c == u' ') continue;
        clean.push_back(c == u',' ? u'.' : c);
    }

    std::array<SPart, 4> parts{};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (count < parts.size()) {
        if (count > 0) {
            if (pos >= clean.size() || clean[pos] != u'.') break;
            ++pos;
        }
        auto part = ReadPart(clean, pos);
        if (!part) break;
        parts[count++] = *part;
    }

    for (std::size_t i = 0; i < count; ++i)
        if (parts[i].negative || parts[i].overflow) return CVersion();

    switch (count) {
        case 1:
            return clean.size() < 20 ? CVersion(parts[0].value) : CVersion();
        case 2:
            if (parts[0].value > 0xFFFFFFFFu || parts[1].value > 0xFFFFFFFFu) return CVersion();
            return CVersion((parts[0].value << 32) | parts[1].value);
        case 3:
        case 4:
            for (std::size_t i = 0; i < count; ++i)
                if (parts[i].value > 0xFFFF) return CVersion();
            return CVersion(static_cast<std::uint16_t>(parts[0].value),
                            static_cast<std::uint16_t>(parts[1].value),
                            static_cast<std::uint16_t>(parts[2].value),
                            static_cast<std::uint16_t>(count == 4 ? parts[3].value : 0));
        default:
            return CVersion();
    }
}
