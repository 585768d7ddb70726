#pragma once
// Version information of a module: the program itself or a language module.
// It carries the file and product version numbers (four 16-bit parts each) and
// the descriptive texts the about box, the settings dialog and the update check
// show or compare.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Text {

// major, minor, build, revision
struct TModuleVersion {
    std::array<std::uint16_t, 4> parts{};

    std::uint16_t Major() const { return parts[0]; }
    std::uint16_t Minor() const { return parts[1]; }
    // "1.2.3.4"
    std::u16string ToText() const;
    // One to four decimal parts separated by points (commas and blanks are
    // tolerated, as version texts are often written "1, 2, 0, 0"); missing
    // parts are 0. Nothing for any other text or a part above 65535.
    static std::optional<TModuleVersion> Parse(std::u16string_view text);

    bool operator==(const TModuleVersion&) const = default;
};

class CFileVersionInfo {
  public:
    // The names of the texts a version record can carry.
    static constexpr std::array<std::u16string_view, 13> kNames = {
        u"CompanyName",      u"FileDescription", u"FileVersion",      u"InternalName", u"LegalCopyright",
        u"OriginalFileName", u"ProductName",     u"ProductVersion",   u"Comments",     u"LegalTrademarks",
        u"PrivateBuild",     u"SpecialBuild",    u"RequiredOSVersion"};

    // The program's own record, from the build's version numbers.
    static const CFileVersionInfo& Program();

    // The canonical spelling of a known name (compared without regard to
    // case), or an empty view for a name that is not one of kNames.
    static std::u16string_view CanonicalName(std::u16string_view name);

    // Texts are looked up without regard to case; an absent text is empty.
    std::u16string Get(std::u16string_view name) const;
    bool Has(std::u16string_view name) const;
    // Ignored for names that are not in kNames.
    void Set(std::u16string_view name, std::u16string value);

    const TModuleVersion& FileVersion() const { return m_fileVersion; }
    const TModuleVersion& ProductVersion() const { return m_productVersion; }
    void SetFileVersion(const TModuleVersion& v) { m_fileVersion = v; }
    void SetProductVersion(const TModuleVersion& v) { m_productVersion = v; }

    // A module is used with the program only when the two product versions
    // agree in their major and minor parts.
    bool IsCompatibleWith(const CFileVersionInfo& program) const;

  private:
    TModuleVersion m_fileVersion;
    TModuleVersion m_productVersion;
    std::map<std::u16string, std::u16string, std::less<>> m_texts;  // by canonical name
};

}  // namespace Text
