#pragma once
// Language modules: data files "Brelvantor_<lang>.lng" beside the program that
// carry version information and translated texts by string id.
//
// File format (UTF-8, an optional byte-order mark, lines ending in LF or CR LF):
//
//   # comment lines and blank lines are ignored
//   [Version]
//   ProductVersion=1.0.0.0
//   FileVersion=1.0.0.0
//   InternalName=Deutsch
//   OriginalFileName=Brelvantor_DEU.lng
//   Comments=...
//   LegalCopyright=...
//   FileDescription=...
//   CompanyName=...
//   ProductName=...
//   [Strings]
//   600<TAB>Tolvex
//   1000<TAB>Der Registrierungseintrag konnte nicht geschrieben werden.
//
// Version entries are "Name=Value" with the names of CFileVersionInfo (any
// case; unknown names are skipped); ProductVersion and FileVersion are
// required and must be version numbers. A string line is a decimal id from 1 to
// 65535, a tab and the text, with the escapes \n \r \t \" (every other backslash
// stands for itself); a line with an empty text leaves that id to the built-in
// table. Control characters other than the tab, malformed UTF-8, unknown
// sections, repeated sections, ids or version entries make the whole file
// unreadable: a module is used completely or not at all.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "text/FileVersionInfo.h"
#include "text/StringTable.h"

namespace Text {

inline constexpr std::u16string_view kLanguageModuleExtension = u".lng";

enum class ELanguageModuleError {
    None,
    Missing,
    NotRegular,
    TooLarge,
    ReadError,
    BadEncoding,  // malformed UTF-8 or a control character
    LineTooLong,
    BadLine,         // a line that is neither comment, section, entry nor string
    BadSection,      // an unknown or repeated section
    DuplicateEntry,  // a version entry given twice
    BadId,           // not a decimal id from 1 to 65535
    DuplicateId,
    BadVersion,  // ProductVersion or FileVersion missing or not a version
};

struct SLanguageModuleLoad;

class CLanguageModule {
  public:
    static constexpr std::size_t kMaxFileSize = 4 * 1024 * 1024;
    static constexpr std::size_t kMaxLineLength = 16 * 1024;
    static constexpr unsigned kMaxId = 65535;

    static SLanguageModuleLoad Load(const std::filesystem::path& file);
    static SLanguageModuleLoad Parse(std::string_view bytes);

    const CFileVersionInfo& VersionInfo() const { return m_info; }
    // Shared so that the string table can keep using them after this object is gone.
    const std::shared_ptr<const LanguageTexts>& Texts() const { return m_texts; }

  private:
    CFileVersionInfo m_info;
    std::shared_ptr<const LanguageTexts> m_texts;
};

struct SLanguageModuleLoad {
    std::optional<CLanguageModule> module;
    ELanguageModuleError error = ELanguageModuleError::None;
    std::size_t line = 0;  // 1-based line of a format error, 0 otherwise
};

// Whether a language-file setting names a language module: it ends with the
// module extension and has a name before it.
bool NamesLanguageModule(std::u16string_view languageFile);

// Matches a file name against a pattern with * (any run) and ? (any one
// character), case-sensitively as file names on this system are.
bool MatchesFilePattern(std::u16string_view name, std::u16string_view pattern);

struct SLanguageModuleEntry {
    std::filesystem::path file;
    CFileVersionInfo info;
};

// The readable language modules in `folder` whose file names match `pattern`
// (string 651) and whose product version fits the program's, ordered by file
// name. Unreadable and unfitting modules are left out without a word.
std::vector<SLanguageModuleEntry> FindLanguageModules(const std::filesystem::path& folder,
                                                      std::u16string_view pattern,
                                                      const CFileVersionInfo& program);

}  // namespace Text
