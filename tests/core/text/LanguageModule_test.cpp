#include "text/LanguageModule.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text/TempDir.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

using namespace Text;

namespace {

const std::filesystem::path kGerman =
    std::filesystem::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng";

std::string U8(std::u16string_view s) {
    return ToUtf8(s);
}

std::string ModuleText(std::string_view productVersion, std::string_view strings) {
    std::string text = "[Version]\nProductVersion=";
    text += productVersion;
    text += "\nFileVersion=1.0.0.0\nInternalName=Test\n[Strings]\n";
    text += strings;
    return text;
}

std::string ProgramVersion() {
    return U8(CFileVersionInfo::Program().ProductVersion().ToText());
}

// The printf conversions of a text in order (without %%). A percent sign that
// starts no conversion ("30% (as", "20% of") is plain text.
std::vector<std::string> Conversions(std::u16string_view text) {
    const std::string s = U8(text);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < s.size() && std::string_view("-+0#").find(s[j]) != std::string_view::npos) ++j;
        if (j < s.size() && s[j] == '*') ++j;
        while (j < s.size() && isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j < s.size() && s[j] == '.') {
            ++j;
            if (j < s.size() && s[j] == '*') ++j;
            while (j < s.size() && isdigit(static_cast<unsigned char>(s[j]))) ++j;
        }
        for (std::string_view len : {"I64", "ll", "hh", "l", "h", "L"}) {
            if (s.compare(j, len.size(), len) == 0) {
                j += len.size();
                break;
            }
        }
        if (j < s.size() && std::string_view("diouxXcsSfFeEgGp").find(s[j]) != std::string_view::npos) {
            out.push_back(s.substr(i, j - i + 1));
            i = j;
        }
    }
    return out;
}

}  // namespace

TEST(GermanModule, LoadsAndFitsTheProgram) {
    auto loaded = CLanguageModule::Load(kGerman);
    ASSERT_TRUE(loaded.module) << "error " << static_cast<int>(loaded.error) << " at line " << loaded.line;
    const auto& info = loaded.module->VersionInfo();
    EXPECT_TRUE(info.IsCompatibleWith(CFileVersionInfo::Program()))
        << "update ProductVersion of the German module to the program's major and minor version";
    EXPECT_EQ(U8(info.Get(u"InternalName")), "Deutsch");
    EXPECT_EQ(U8(info.Get(u"OriginalFileName")), kGerman.filename().string());
    EXPECT_FALSE(info.Get(u"LegalCopyright").empty());
    EXPECT_FALSE(info.Get(u"Comments").empty());
}

TEST(GermanModule, TranslatesEveryTextWithTheSameConversions) {
    auto loaded = CLanguageModule::Load(kGerman);
    ASSERT_TRUE(loaded.module);
    const LanguageTexts& german = *loaded.module->Texts();
    for (unsigned id : BuiltInIds()) {
        const std::u16string_view english = BuiltInString(id);
        if (english.empty()) continue;
        auto it = german.find(id);
        ASSERT_NE(it, german.end()) << "no German text for " << id;
        EXPECT_EQ(Conversions(it->second), Conversions(english)) << "id " << id << ": " << U8(it->second);
        // Leading and trailing blanks are part of how texts are joined.
        EXPECT_EQ(it->second.front() == u' ', english.front() == u' ') << id;
        EXPECT_EQ(it->second.back() == u' ', english.back() == u' ') << id;
    }
    // Names of settings values are keys in the store, never translated.
    for (unsigned id : {602u, 603u, 604u, 605u, 606u, 607u, 608u, 651u})
        EXPECT_EQ(U8(german.at(id)), U8(BuiltInString(id))) << id;
}

TEST(LanguageModule, ParsesEntriesEscapesAndLineEnds) {
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "[Version]\r\n"
        "productversion = 1, 0\r\n"
        "FileVersion=1.0.7.9\r\n"
        "InternalName=Deutsch\r\n"
        "SomethingNewer=ignored\r\n"
        "\r\n"
        "[Strings]\r\n"
        "600\tTolvex\r\n"
        "1000\tZeile\\nzwei \\\"q\\\"\\tC:\\Daten\\x \xC3\xA4\r\n"
        "59415\t\r\n"
        "65535\tlast";
    auto loaded = CLanguageModule::Parse(text);
    ASSERT_TRUE(loaded.module) << static_cast<int>(loaded.error) << " line " << loaded.line;
    const auto& m = *loaded.module;
    EXPECT_EQ(m.VersionInfo().ProductVersion(), (TModuleVersion{{1, 0, 0, 0}}));
    EXPECT_EQ(m.VersionInfo().FileVersion(), (TModuleVersion{{1, 0, 7, 9}}));
    EXPECT_EQ(U8(m.VersionInfo().Get(u"INTERNALNAME")), "Deutsch");
    const auto& texts = *m.Texts();
    EXPECT_EQ(texts.size(), 3u);
    EXPECT_EQ(U8(texts.at(600)), "Tolvex");
    EXPECT_EQ(U8(texts.at(1000)), "Zeile\nzwei \"q\"\tC:\\Daten\\x \xC3\xA4");
    EXPECT_EQ(texts.count(59415), 0u);  // an empty text leaves the id to the built-in table
    EXPECT_EQ(U8(texts.at(65535)), "last");
}

TEST(LanguageModule, RejectsMalformedFilesWithTheLine) {
    struct Case {
        const char* name;
        std::string text;
        ELanguageModuleError error;
        std::size_t line;
    };
    const std::string version = "[Version]\nProductVersion=1.0\nFileVersion=1.0\n";  // lines 1-3
    const Case cases[] = {
        {"empty", "", ELanguageModuleError::BadVersion, 0},
        {"no version", "[Strings]\n1\tx\n", ELanguageModuleError::BadVersion, 0},
        {"bad version", "[Version]\nProductVersion=1.x\nFileVersion=1.0\n", ELanguageModuleError::BadVersion,
         0},
        {"five parts", "[Version]\nProductVersion=1.0.0.0.1\nFileVersion=1.0\n",
         ELanguageModuleError::BadVersion, 0},
        {"part too big", "[Version]\nProductVersion=1.65536\nFileVersion=1.0\n",
         ELanguageModuleError::BadVersion, 0},
        {"no file version", "[Version]\nProductVersion=1.0\n", ELanguageModuleError::BadVersion, 0},
        {"text before a section", "1\tx\n" + version, ELanguageModuleError::BadLine, 1},
        {"unknown section", version + "[Menus]\n", ELanguageModuleError::BadSection, 4},
        {"repeated section", version + "[Strings]\n[Version]\n", ELanguageModuleError::BadSection, 5},
        {"version entry twice", version + "fileversion=2.0\n", ELanguageModuleError::DuplicateEntry, 4},
        {"version line without =", version + "Comments\n", ELanguageModuleError::BadLine, 4},
        {"string without tab", version + "[Strings]\n600 Tolvex\n", ELanguageModuleError::BadLine, 5},
        {"id zero", version + "[Strings]\n0\tx\n", ELanguageModuleError::BadId, 5},
        {"id too large", version + "[Strings]\n65536\tx\n", ELanguageModuleError::BadId, 5},
        {"id too long", version + "[Strings]\n0000001\tx\n", ELanguageModuleError::BadId, 5},
        {"signed id", version + "[Strings]\n+5\tx\n", ELanguageModuleError::BadId, 5},
        {"id with letters", version + "[Strings]\n6a\tx\n", ELanguageModuleError::BadId, 5},
        {"id twice", version + "[Strings]\n600\ta\n600\tb\n", ELanguageModuleError::DuplicateId, 6},
        {"malformed UTF-8", version + "[Strings]\n600\t\xC3\n", ELanguageModuleError::BadEncoding, 5},
        {"overlong UTF-8", version + "[Strings]\n600\t\xC0\xAF\n", ELanguageModuleError::BadEncoding, 5},
        {"encoded surrogate", version + "[Strings]\n600\t\xED\xA0\x80\n", ELanguageModuleError::BadEncoding,
         5},
        {"NUL byte", version + "[Strings]\n600\ta" + std::string(1, '\0') + "b\n",
         ELanguageModuleError::BadEncoding, 5},
        {"line too long",
         version + "[Strings]\n600\t" + std::string(CLanguageModule::kMaxLineLength, 'a') + "\n",
         ELanguageModuleError::LineTooLong, 5},
    };
    for (const auto& c : cases) {
        auto loaded = CLanguageModule::Parse(c.text);
        EXPECT_FALSE(loaded.module) << c.name;
        EXPECT_EQ(loaded.error, c.error) << c.name;
        EXPECT_EQ(loaded.line, c.line) << c.name;
    }
}

TEST(LanguageModule, RefusesFilesThatAreNotSmallRegularFiles) {
    CTempDir dir;
    EXPECT_EQ(CLanguageModule::Load(dir / "Brelvantor_XYZ.lng").error, ELanguageModuleError::Missing);
    EXPECT_EQ(CLanguageModule::Load(dir.Path()).error, ELanguageModuleError::NotRegular);

    // A pipe must not make the program wait for a writer that never comes.
    const auto fifo = dir / "Brelvantor_FIFO.lng";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CLanguageModule::Load(fifo).error, ELanguageModuleError::NotRegular);

    // A huge file is refused by its size, before anything is allocated for it.
    const auto huge = dir.Write("Brelvantor_BIG.lng", ModuleText(ProgramVersion(), ""));
    std::filesystem::resize_file(huge, 8ull << 30);
    EXPECT_EQ(CLanguageModule::Load(huge).error, ELanguageModuleError::TooLarge);
}

TEST(ModuleVersion, ParsesVersionTexts) {
    struct Case {
        const char16_t* text;
        std::optional<TModuleVersion> want;
    };
    const Case cases[] = {
        {u"1.2.3.4", TModuleVersion{{1, 2, 3, 4}}},
        {u"2.1", TModuleVersion{{2, 1, 0, 0}}},
        {u" 1, 2, 0, 65535 ", TModuleVersion{{1, 2, 0, 65535}}},
        {u"7", TModuleVersion{{7, 0, 0, 0}}},
        {u"", std::nullopt},
        {u"1.", std::nullopt},
        {u".1", std::nullopt},
        {u"1..2", std::nullopt},
        {u"1.2.3.4.5", std::nullopt},
        {u"1.-2", std::nullopt},
        {u"99999999999999999999", std::nullopt},
        {u"1.2 beta", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TModuleVersion::Parse(c.text), c.want) << U8(c.text);
    EXPECT_EQ(U8(TModuleVersion{{10, 0, 2, 65535}}.ToText()), "10.0.2.65535");
}

TEST(ModuleVersion, ModulesFitOnMajorAndMinorOnly) {
    CFileVersionInfo program, module;
    program.SetProductVersion({{2, 2, 0, 0}});
    module.SetProductVersion({{2, 2, 9, 9}});
    EXPECT_TRUE(module.IsCompatibleWith(program));
    module.SetProductVersion({{2, 1, 0, 0}});
    EXPECT_FALSE(module.IsCompatibleWith(program));
    module.SetProductVersion({{3, 2, 0, 0}});
    EXPECT_FALSE(module.IsCompatibleWith(program));
}

TEST(LanguageModule, FolderListsOnlyReadableFittingModules) {
    CTempDir dir;
    dir.Write("Brelvantor_DEU.lng", CTempDir::Read(kGerman));
    dir.Write("Brelvantor_FRA.lng", ModuleText(ProgramVersion(), "600\tTolvex\n"));
    dir.Write("Brelvantor_OLD.lng", ModuleText("0.9", ""));
    dir.Write("Brelvantor_BAD.lng",
              "\x7F"
              "ELF garbage");
    dir.Write("Other_ITA.lng", ModuleText(ProgramVersion(), ""));
    dir.Write("Brelvantor_ESP.lng.bak", ModuleText(ProgramVersion(), ""));
    std::filesystem::create_directory(dir / "Brelvantor_DIR.lng");

    const auto found = FindLanguageModules(dir.Path(), u"Brelvantor_*.lng", CFileVersionInfo::Program());
    std::vector<std::string> names;
    for (const auto& m : found) names.push_back(m.file.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"Brelvantor_DEU.lng", "Brelvantor_FRA.lng"}));
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(U8(found[0].info.Get(u"InternalName")), "Deutsch");

    EXPECT_TRUE(FindLanguageModules(dir / "missing", u"*", CFileVersionInfo::Program()).empty());
}

TEST(LanguageModule, FilePatternsAndModuleNames) {
    struct Case {
        const char16_t* name;
        const char16_t* pattern;
        bool match;
    };
    const Case cases[] = {
        {u"Brelvantor_DEU.lng", u"Brelvantor_*.lng", true},
        {u"Brelvantor_.lng", u"Brelvantor_*.lng", true},
        {u"brelvantor_DEU.lng", u"Brelvantor_*.lng", false},
        {u"Brelvantor_DEU.lng.bak", u"Brelvantor_*.lng", false},
        {u"Brelvantor_DE.lng", u"Brelvantor_??.lng", true},
        {u"Brelvantor_DEU.lng", u"Brelvantor_??.lng", false},
        {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"*a*a*a*a*a*a*a*a*a*a*a*c", false},
        {u"", u"*", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.match) << U8(c.name);

    EXPECT_TRUE(NamesLanguageModule(u"/opt/brelvantor/Brelvantor_DEU.lng"));
    EXPECT_FALSE(NamesLanguageModule(u".lng"));
    EXPECT_FALSE(NamesLanguageModule(u"/opt/brelvantor/brelvantor"));
    EXPECT_FALSE(NamesLanguageModule(u"/opt/x.lng/brelvantor"));
    EXPECT_FALSE(NamesLanguageModule(u""));
}
