#include "text/FileVersionInfo.h"

#include "BrelvantorVersion.h"

namespace Text {
namespace {

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// An empty version macro (a project version with fewer than four parts) reads as 0.
constexpr std::uint16_t kMajor = BRELVANTOR_VERSION_MAJOR + 0;
constexpr std::uint16_t kMinor = BRELVANTOR_VERSION_MINOR + 0;
constexpr std::uint16_t kPatch = BRELVANTOR_VERSION_PATCH + 0;
constexpr std::uint16_t kTweak = BRELVANTOR_VERSION_TWEAK + 0;

CFileVersionInfo MakeProgramInfo() {
    CFileVersionInfo info;
    const TModuleVersion v{{kMajor, kMinor, kPatch, kTweak}};
    info.SetFileVersion(v);
    info.SetProductVersion(v);
    info.Set(u"ProductVersion", v.ToText());
    info.Set(u"FileVersion", v.ToText());
    info.Set(u"CompanyName", u"Tolvex SA");
    info.Set(u"ProductName", u"Brelvantor");
    // The language list names the built-in texts by this entry.
    info.Set(u"InternalName", u"English");
    info.Set(u"OriginalFileName", u"brelvantor");
    info.Set(u"FileDescription", u"Brelvantor, companion program of the Talvenbrecker concrete test hammer");
    info.Set(u"LegalCopyright", u"Copyright (C) 2026 Tolvex SA");
    info.Set(u"Comments", u"English user interface (built in)");
    return info;
}

}  // namespace

std::u16string TModuleVersion::ToText() const {
    std::u16string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i != 0) out += u'.';
        std::u16string digits;
        unsigned v = parts[i];
        do {
            digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
            v /= 10;
        } while (v != 0);
        out += digits;
    }
    return out;
}

std::optional<TModuleVersion> TModuleVersion::Parse(std::u16string_view text) {
    TModuleVersion v;
    std::size_t part = 0;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    };
    skipBlanks();
    while (true) {
        if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return std::nullopt;
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
            value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
            if (value > 0xFFFF || ++digits > 5) return std::nullopt;
            ++i;
        }
        v.parts[part++] = static_cast<std::uint16_t>(value);
        skipBlanks();
        if (i == text.size()) return v;
        if ((text[i] != u'.' && text[i] != u',') || part == v.parts.size()) return std::nullopt;
        ++i;
        skipBlanks();
    }
}

const CFileVersionInfo& CFileVersionInfo::Program() {
    static const CFileVersionInfo info = MakeProgramInfo();
    return info;
}

std::u16string_view CFileVersionInfo::CanonicalName(std::u16string_view name) {
    for (auto known : kNames)
        if (EqualNoCase(known, name)) return known;
    return {};
}

std::u16string CFileVersionInfo::Get(std::u16string_view name) const {
    auto it = m_texts.find(CanonicalName(name));
    return it != m_texts.end() ? it->second : std::u16string();
}

bool CFileVersionInfo::Has(std::u16string_view name) const {
    return m_texts.count(CanonicalName(name)) != 0;
}

void CFileVersionInfo::Set(std::u16string_view name, std::u16string value) {
    const auto canonical = CanonicalName(name);
    if (canonical.empty()) return;
    m_texts[std::u16string(canonical)] = std::move(value);
}

bool CFileVersionInfo::IsCompatibleWith(const CFileVersionInfo& program) const {
    return m_productVersion.Major() == program.m_productVersion.Major() &&
           m_productVersion.Minor() == program.m_productVersion.Minor();
}

}  // namespace Text
