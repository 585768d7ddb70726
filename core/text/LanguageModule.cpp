#include "text/LanguageModule.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "text/Encoding.h"
#include "text/SmallFile.h"

namespace Text {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Of
// the control characters only the tab may appear inside a line.
bool IsCleanUtf8Line(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if ((b < 0x20 && b != '\t') || b == 0x7F) return false;
            ++i;
            continue;
        }
        std::size_t extra;
        char32_t cp;
        char32_t min;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// The escapes of the string table: \n \r \t \" ; any other backslash stays.
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[i + 1];
            if (n == 'n' || n == 'r' || n == 't' || n == '"') {
                out += n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : '"';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

SLanguageModuleLoad Failure(ELanguageModuleError error, std::size_t line = 0) {
    SLanguageModuleLoad r;
    r.error = error;
    r.line = line;
    return r;
}

}  // namespace

SLanguageModuleLoad CLanguageModule::Load(const std::filesystem::path& file) {
    SSmallFile f = ReadSmallFile(file, kMaxFileSize);
    switch (f.status) {
        case ESmallFileStatus::Ok:
            return Parse(f.bytes);
        case ESmallFileStatus::Missing:
            return Failure(ELanguageModuleError::Missing);
        case ESmallFileStatus::NotRegular:
            return Failure(ELanguageModuleError::NotRegular);
        case ESmallFileStatus::TooLarge:
            return Failure(ELanguageModuleError::TooLarge);
        case ESmallFileStatus::ReadError:
            break;
    }
    return Failure(ELanguageModuleError::ReadError);
}

SLanguageModuleLoad CLanguageModule::Parse(std::string_view bytes) {
    if (bytes.size() > kMaxFileSize) return Failure(ELanguageModuleError::TooLarge);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);

    enum class ESection { None, Version, Strings };
    ESection section = ESection::None;
    bool seenVersion = false;
    bool seenStrings = false;
    CFileVersionInfo info;
    auto texts = std::make_shared<LanguageTexts>();
    std::vector<bool> idSeen(kMaxId + 1, false);

    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        ++lineNo;
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxLineLength) return Failure(ELanguageModuleError::LineTooLong, lineNo);
        if (!IsCleanUtf8Line(line)) return Failure(ELanguageModuleError::BadEncoding, lineNo);
        if (TrimBlanks(line).empty() || line.front() == '#') continue;

        if (line.front() == '[') {
            const std::string_view name = TrimBlanks(line);
            if (name == "[Version]" && !seenVersion) {
                section = ESection::Version;
                seenVersion = true;
            } else if (name == "[Strings]" && !seenStrings) {
                section = ESection::Strings;
                seenStrings = true;
            } else {
                return Failure(ELanguageModuleError::BadSection, lineNo);
            }
            continue;
        }

        if (section == ESection::Version) {
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) return Failure(ELanguageModuleError::BadLine, lineNo);
            const std::u16string name = FromUtf8(TrimBlanks(line.substr(0, eq)));
            if (name.empty()) return Failure(ELanguageModuleError::BadLine, lineNo);
            if (CFileVersionInfo::CanonicalName(name).empty()) continue;  // a name newer programs know
            if (info.Has(name)) return Failure(ELanguageModuleError::DuplicateEntry, lineNo);
            info.Set(name, FromUtf8(Unescape(line.substr(eq + 1))));
        } else if (section == ESection::Strings) {
            const std::size_t tab = line.find('\t');
            if (tab == std::string_view::npos) return Failure(ELanguageModuleError::BadLine, lineNo);
            const std::string_view digits = line.substr(0, tab);
            if (digits.empty() || digits.size() > 5 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return Failure(ELanguageModuleError::BadId, lineNo);
            unsigned id = 0;
            for (char c : digits) id = id * 10 + static_cast<unsigned>(c - '0');
            if (id == 0 || id > kMaxId) return Failure(ELanguageModuleError::BadId, lineNo);
            if (idSeen[id]) return Failure(ELanguageModuleError::DuplicateId, lineNo);
            idSeen[id] = true;
            const std::string_view text = line.substr(tab + 1);
            if (!text.empty()) texts->emplace(id, FromUtf8(Unescape(text)));
        } else {
            return Failure(ELanguageModuleError::BadLine, lineNo);
        }
    }

    const auto product = TModuleVersion::Parse(info.Get(u"ProductVersion"));
    const auto file = TModuleVersion::Parse(info.Get(u"FileVersion"));
    if (!product || !file) return Failure(ELanguageModuleError::BadVersion);
    info.SetProductVersion(*product);
    info.SetFileVersion(*file);

    SLanguageModuleLoad result;
    result.module.emplace();
    result.module->m_info = std::move(info);
    result.module->m_texts = std::move(texts);
    return result;
}

bool NamesLanguageModule(std::u16string_view languageFile) {
    return languageFile.size() > kLanguageModuleExtension.size() &&
           languageFile.ends_with(kLanguageModuleExtension);
}

bool MatchesFilePattern(std::u16string_view name, std::u16string_view pattern) {
    // Iterative wildcard match with one back-tracking point: linear in practice,
    // never exponential.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

std::vector<SLanguageModuleEntry> FindLanguageModules(const std::filesystem::path& folder,
                                                      std::u16string_view pattern,
                                                      const CFileVersionInfo& program) {
    std::vector<SLanguageModuleEntry> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return found;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::filesystem::path& file = it->path();
        if (!MatchesFilePattern(FromUtf8(file.filename().native()), pattern)) continue;
        auto loaded = CLanguageModule::Load(file);
        if (!loaded.module || !loaded.module->VersionInfo().IsCompatibleWith(program)) continue;
        found.push_back({file, loaded.module->VersionInfo()});
    }
    std::sort(found.begin(), found.end(),
              [](const SLanguageModuleEntry& a, const SLanguageModuleEntry& b) { return a.file < b.file; });
    return found;
}

}  // namespace Text
