#include "settings/AppSettings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/settings/EnvVar.h"
#include "core/text/TempDir.h"
#include "settings/InstallLayout.h"
#include "support/ScriptedPrompt.h"
#include "support/SmallFileLimit.h"
#include "text/LanguageModule.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

using namespace Settings;

namespace {

constexpr std::u16string_view kKey = u"Software\\Tolvex\\Brelvantor\\Settings";

std::string U8(std::u16string_view s) {
    return Text::ToUtf8(s);
}
std::u16string U16(const std::filesystem::path& p) {
    return Text::FromUtf8(p.native());
}

std::string ModuleWithVersion(std::string_view version, std::string_view warning) {
    std::string text = "[Version]\nProductVersion=";
    text += version;
    text += "\nFileVersion=";
    text += version;
    text += "\nInternalName=Test\n[Strings]\n28502\t";
    text += warning;
    text += "\n";
    return text;
}

std::string OtherMinorVersion() {
    const auto v = Text::CFileVersionInfo::Program().ProductVersion();
    return std::to_string(v.Major()) + "." + std::to_string(v.Minor() + 1);
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

class AppSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(bin);
        dir.Write("bin/brelvantor", "");
        store = std::make_unique<CSettingsStore>(CSettingsStore::DefaultFilePath());
    }
    void TearDown() override { Text::SetLanguageOverrides(nullptr); }

    CAppSettings Make(std::filesystem::path programPath) { return CAppSettings(*store, prompt, programPath); }
    CAppSettings Make() { return Make(program); }

    CSettingsKey Key() {
        auto key = store->OpenKey(kKey, true);
        if (!key) throw std::runtime_error("no settings key");
        return *key;
    }
    std::string FileBytes() { return CTempDir::Read(store->FilePath()); }

    CTempDir dir;
    // Everything the settings touch stays inside the test's folder.
    CEnvVar settingsFile{"BRELVANTOR_SETTINGS", (dir / "config" / "brelvantor.settings").c_str()};
    CEnvVar dataHome{"XDG_DATA_HOME", (dir / "data").c_str()};
    std::filesystem::path bin = dir / "bin";
    std::filesystem::path program = bin / "brelvantor";
    std::unique_ptr<CSettingsStore> store;
    CScriptedPrompt prompt;
};

}  // namespace

TEST_F(AppSettingsTest, FirstStartCreatesAllFiveValues) {
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(settings.LanguageFile(), U16(program));
    EXPECT_EQ(settings.DataFolder(), u"");
    EXPECT_EQ(settings.GridCheck(), 0u);
    EXPECT_EQ(settings.DTFormat(), 0u);
    EXPECT_EQ(settings.Pfad(), U16(bin));
    EXPECT_EQ(U8(settings.RegistryRoot()), "Tolvex");

    auto key = Key();
    EXPECT_EQ(key.ReadString(u"LanguageFile"), U16(program));
    EXPECT_EQ(key.ReadString(u"DataFolder"), u"");
    EXPECT_EQ(key.ReadDword(u"GridCheck"), 0u);
    EXPECT_EQ(key.ReadDword(u"DTFormat"), 0u);
    EXPECT_EQ(key.ReadString(u"Pfad"), U16(bin));

    // The next start finds everything and writes nothing.
    const std::string before = FileBytes();
    auto next = Make();
    next.ReadSettings();
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(next.Pfad(), U16(bin));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AppSettingsTest, StoredValuesAreTaken) {
    std::filesystem::create_directories(dir / "updates");
    auto key = Key();
    key.WriteString(u"LanguageFile", u"/opt/brelvantor/Brelvantor_DEU.lng");
    key.WriteString(u"DataFolder", u"/srv/data");
    key.WriteDword(u"GridCheck", 7);
    key.WriteDword(u"DTFormat", 0x0203);
    key.WriteString(u"Pfad", U16(dir / "updates"));
    const std::string before = FileBytes();

    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(U8(settings.LanguageFile()), "/opt/brelvantor/Brelvantor_DEU.lng");
    EXPECT_EQ(U8(settings.DataFolder()), "/srv/data");
    EXPECT_EQ(settings.GridCheck(), 7u);
    EXPECT_EQ(settings.DTFormat(), 0x0203u);
    EXPECT_EQ(settings.Pfad(), U16(dir / "updates"));
    EXPECT_EQ(U8(settings.GetDateFormatPattern().text), "dd/MM/yyyy");
    EXPECT_EQ(U8(settings.GetTimeFormatPattern().text), "HH:mm");
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AppSettingsTest, UnreadableValuesAreReplacedAndWrittenBack) {
    const std::u16string longest(CAppSettings::kMaxTextLength, u'd');
    auto key = Key();
    key.WriteDword(u"LanguageFile", 5);                                                   // wrong type
    key.WriteString(u"DataFolder", longest);                                              // 259: still fine
    key.WriteString(u"GridCheck", u"7");                                                  // a number as text
    key.WriteString(u"DTFormat", u"515");                                                 // a number as text
    key.WriteString(u"Pfad", u"/" + std::u16string(CAppSettings::kMaxTextLength, u'p'));  // 260: too long

    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(settings.LanguageFile(), U16(program));
    EXPECT_EQ(settings.DataFolder(), longest);
    EXPECT_EQ(settings.GridCheck(), 0u);
    EXPECT_EQ(settings.DTFormat(), 0u);
    EXPECT_EQ(settings.Pfad(), U16(bin));
    EXPECT_EQ(key.ReadString(u"LanguageFile"), U16(program));
    EXPECT_EQ(key.ReadDword(u"GridCheck"), 0u);
    EXPECT_EQ(key.ReadDword(u"DTFormat"), 0u);
    EXPECT_EQ(key.ReadString(u"Pfad"), U16(bin));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AppSettingsTest, DamagedStoreFileGivesDefaultsWrittenBack) {
    const std::string header = "Brelvantor settings 1\n[Software\\Tolvex\\Brelvantor\\Settings]\n";
    const std::string cases[] = {
        std::string("\0\0\0\x01garbage\xFF\xFE", 13),
        header + "\"DTFormat\"=dword:0000",
        header + "\"Pfad\"=sz:\"/nowhere",
    };
    for (const auto& bytes : cases) {
        dir.Write("config/brelvantor.settings", bytes);
        auto settings = Make();
        settings.ReadSettings();
        EXPECT_EQ(settings.DTFormat(), 0u);
        EXPECT_EQ(settings.Pfad(), U16(bin));
        auto key = Key();
        EXPECT_EQ(key.EnumValues().size(), 5u);
        EXPECT_EQ(key.ReadString(u"Pfad"), U16(bin));
        EXPECT_FALSE(store->IsFileDamaged());
    }
    // A huge file is not read at all.
    dir.Write("config/brelvantor.settings", header);
    std::filesystem::resize_file(store->FilePath(), 2ull << 30);
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(Key().EnumValues().size(), 5u);
    EXPECT_LT(std::filesystem::file_size(store->FilePath()), 4096u);
    EXPECT_TRUE(prompt.shown.empty());

    // Each file set aside is told once, with both names, when asked for.
    settings.ShowStoreNotices();
    ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>(4, kIdSettingsSetAside));
    const std::string file = store->FilePath().string();
    EXPECT_EQ(U8(prompt.shown[3].text), "The settings file " + file +
                                            " was damaged. It has been kept as " + file +
                                            ".damaged, and the settings start again from their defaults.");
    settings.ShowStoreNotices();
    EXPECT_EQ(prompt.shown.size(), 4u);
}

TEST_F(AppSettingsTest, StoreThatCannotBeWrittenIsReportedOnce) {
    dir.Write("blocker", "");
    CSettingsStore blocked(dir / "blocker" / "brelvantor.settings");
    CAppSettings settings(blocked, prompt, program);
    settings.ReadSettings();
    ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>{kIdWriteFailed});
    EXPECT_EQ(prompt.shown[0].icon, Text::MsgIcon::Error);
    // The "registry entry" is a file here: the message says which.
    EXPECT_EQ(U8(prompt.shown[0].text), "The registry entry could not be written.\nSettings file: " +
                                            (dir / "blocker" / "brelvantor.settings").string());
    // Start-up goes on with the defaults in memory.
    EXPECT_EQ(settings.LanguageFile(), U16(program));
    EXPECT_EQ(settings.Pfad(), U16(bin));
}

TEST_F(AppSettingsTest, UpdateFolderCheck) {
    dir.Write("a-file", "");
    struct Case {
        const char* name;
        std::u16string pfad;
        std::vector<unsigned> shown;
    };
    const Case cases[] = {
        {"writable folder", U16(bin), {}},    {"missing folder", U16(dir / "nowhere"), {kIdFolderIncorrect}},
        {"empty", u"", {kIdFolderIncorrect}}, {"a file", U16(dir / "a-file"), {kIdFolderIncorrect}},
        {"file-system root", u"/", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.shown.clear();
        Key().WriteString(u"Pfad", c.pfad);
        auto settings = Make();
        settings.ReadSettings();  // completes whatever it finds
        EXPECT_EQ(settings.Pfad(), c.pfad);
        EXPECT_EQ(prompt.ShownIds(), c.shown);
        for (const auto& m : prompt.shown) {
            EXPECT_EQ(m.captionId, kIdErrorCaption);
            EXPECT_EQ(m.icon, Text::MsgIcon::Error);
        }
    }
}

TEST_F(AppSettingsTest, ReadOnlyUpdateFolder) {
    // The decision itself, for every state, whoever runs the test.
    using S = CAppSettings::EFolderState;
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/srv/updates", S::ReadOnly), kIdNoWritePermission);
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/srv/updates", S::Missing), kIdFolderIncorrect);
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/srv/updates", S::NotFolder), kIdFolderIncorrect);
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/srv/updates", S::Writable), 0u);
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/", S::ReadOnly), 0u);
    EXPECT_EQ(CAppSettings::FolderCheckMessage(u"/", S::Missing), 0u);

    // And with a real folder: permissions do not stop root, so only others can see it.
    if (RunningAsRoot()) GTEST_SKIP() << "root may write into read-only folders";
    const auto readOnly = dir / "read-only";
    std::filesystem::create_directory(readOnly);
    std::filesystem::permissions(readOnly,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    Key().WriteString(u"Pfad", U16(readOnly));
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{kIdNoWritePermission});
}

TEST_F(AppSettingsTest, UnknownProgramPath) {
    auto settings = Make(std::filesystem::path());
    settings.ReadSettings();
    EXPECT_EQ(settings.LanguageFile(), u"");
    EXPECT_EQ(settings.Pfad(), Text::LoadString(kIdFallbackFolder));
    EXPECT_FALSE(settings.Pfad().empty());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(settings.IsLanguageModuleLoaded());
}

TEST_F(AppSettingsTest, ProgramFolderNotWritableUsesTheUserDataFolder) {
    if (RunningAsRoot()) GTEST_SKIP() << "root may write into read-only folders";
    std::filesystem::permissions(bin,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(settings.Pfad(), U16(dir / "data" / "Tolvex" / "Brelvantor"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "data" / "Tolvex" / "Brelvantor"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AppSettingsTest, DateTimeFormatIsStoredAndUsed) {
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(U8(settings.FormatSeriesDateTime(0)), "01/01/2000 12:00 AM");
    settings.SetDateTimeFormat(0x0303);
    EXPECT_EQ(U8(settings.FormatSeriesDateTime(0)), "01.01.2000 00:00");
    EXPECT_EQ(Key().ReadDword(u"DTFormat"), 0x0303u);
    EXPECT_EQ(settings.GetDateFormatPattern().id, 1853u);
    EXPECT_EQ(settings.GetTimeFormatPattern().id, 1857u);

    // Without the key nothing is written and nothing is said; memory still changes.
    ASSERT_TRUE(store->DeleteKey(kKey));
    settings.SetDateTimeFormat(0x0102);
    EXPECT_EQ(settings.DTFormat(), 0x0102u);
    EXPECT_FALSE(store->OpenKey(kKey, false));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AppSettingsTest, FailedSettingWritesAreReported) {
    // A store file this program can read but not replace: while the process may
    // write no file larger than a few bytes (which binds root too), every new
    // copy of the store fails to be written.
    const std::string name = "brelvantor.settings";
    dir.Write("config/" + name,
              "Brelvantor settings 1\n"
              "[Software\\Tolvex\\Brelvantor\\Settings]\n"
              "\"LanguageFile\"=sz:\"/opt/brelvantor/brelvantor\"\n"
              "\"DataFolder\"=sz:\"\"\n"
              "\"GridCheck\"=dword:00000000\n"
              "\"DTFormat\"=dword:00000000\n"
              "\"Pfad\"=sz:\"/\"\n");
    CSettingsStore stuck(dir / "config" / name);
    CAppSettings settings(stuck, prompt, program);
    settings.ReadSettings();
    ASSERT_TRUE(prompt.shown.empty());

    {
        const CSmallFileLimit limit(16);
        settings.SetDateTimeFormat(0x0303);
        EXPECT_EQ(settings.DTFormat(), 0x0303u);
        settings.SetLanguageFile(U16(program));
        EXPECT_EQ(settings.LanguageFile(), U16(program));
    }
    EXPECT_EQ(prompt.ShownIds(), (std::vector<unsigned>{kIdWriteFailed, kIdWriteFailed}));
    for (const auto& m : prompt.shown) EXPECT_EQ(m.icon, Text::MsgIcon::Error);
    EXPECT_EQ(stuck.ReadValue(kKey, u"DTFormat")->number, 0u);
    // Nothing is left beside the store.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "config")) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(AppSettingsTest, LanguageModuleReplacesTextsAndBack) {
    const auto german = bin / "Brelvantor_DEU.lng";
    std::filesystem::copy_file(std::filesystem::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng",
                               german);
    Key().WriteString(u"LanguageFile", U16(german));

    // Start-up: settings first, then the texts.
    auto settings = Make();
    settings.ReadSettings();
    settings.LoadLanguageModule();
    EXPECT_TRUE(settings.IsLanguageModuleLoaded());
    EXPECT_EQ(U8(Text::LoadString(28502)), "Warnung");
    EXPECT_EQ(U8(Text::LoadString(kIdWriteFailed)),
              "Der Registrierungseintrag konnte nicht geschrieben werden.");
    EXPECT_EQ(U8(settings.ResourceVersionInfo().Get(u"InternalName")), "Deutsch");
    EXPECT_EQ(U8(settings.ProgramVersionInfo().Get(u"InternalName")), "English");
    EXPECT_EQ(U8(settings.GetLanguageFolder()), bin.string() + "/");

    // Modules that do not fit or cannot be read are passed over silently: German stays.
    const auto other = dir.Write("bin/Brelvantor_OLD.lng", ModuleWithVersion(OtherMinorVersion(), "Achtung"));
    const auto broken =
        dir.Write("bin/Brelvantor_BAD.lng", "[Version]\nProductVersion=1.0\n[Strings]\n28502");
    for (const auto& module : {other, broken, bin / "Brelvantor_MISSING.lng"}) {
        settings.SetLanguageFile(U16(module));
        EXPECT_EQ(U8(Text::LoadString(28502)), "Warnung") << module;
        EXPECT_EQ(U8(settings.ResourceVersionInfo().Get(u"InternalName")), "Deutsch");
        EXPECT_EQ(Key().ReadString(u"LanguageFile"), U16(module));  // the choice itself is kept
    }
    EXPECT_TRUE(prompt.shown.empty());

    // The program itself (no module extension) brings the English texts back.
    settings.SetLanguageFile(U16(program));
    EXPECT_FALSE(settings.IsLanguageModuleLoaded());
    EXPECT_EQ(U8(Text::LoadString(28502)), "Warning");
    EXPECT_EQ(U8(settings.ResourceVersionInfo().Get(u"InternalName")), "English");

    // From English, a module of another version leaves English in place.
    settings.SetLanguageFile(U16(other));
    EXPECT_EQ(U8(Text::LoadString(28502)), "Warning");
    EXPECT_FALSE(settings.IsLanguageModuleLoaded());
}

TEST_F(AppSettingsTest, LanguageFolder) {
    Key().WriteString(u"LanguageFile", u"");
    auto settings = Make();
    settings.ReadSettings();
    EXPECT_EQ(settings.LanguageFile(), u"");
    // An empty setting is first filled with the program path, and stored.
    EXPECT_EQ(U8(settings.GetLanguageFolder()), bin.string() + "/");
    EXPECT_EQ(Key().ReadString(u"LanguageFile"), U16(program));

    settings.SetLanguageFile(u"/opt/brelvantor/lang/Brelvantor_DEU.lng");
    EXPECT_EQ(U8(settings.GetLanguageFolder()), "/opt/brelvantor/lang/");
    settings.SetLanguageFile(u"Brelvantor_DEU.lng");
    EXPECT_EQ(U8(settings.GetLanguageFolder()), "Brelvantor_DEU.lng");
}

// An installed program keeps its modules and manuals in <prefix>/share/brelvantor,
// not beside itself in <prefix>/bin; the build folder keeps them beside the program.
TEST_F(AppSettingsTest, InstalledLayoutFindsModulesAndManualInTheDataFolder) {
    auto settings = Make();
    settings.ReadSettings();
    // Build layout: everything beside the program.
    EXPECT_EQ(settings.ProgramDataFolder(), bin);
    EXPECT_EQ(U8(settings.GetLanguageFolder()), bin.string() + "/");
    EXPECT_EQ(settings.HelpFilePath(u"BRELVANTOR_ENU.pdf"), bin / "BRELVANTOR_ENU.pdf");

    const std::filesystem::path data = (bin / InstalledDataFolderFromProgram()).lexically_normal();
    EXPECT_EQ(data, dir / "share" / "brelvantor");
    std::filesystem::create_directories(data);
    std::filesystem::copy_file(std::filesystem::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng",
                               data / "Brelvantor_DEU.lng");
    dir.Write("share/brelvantor/BRELVANTOR_ENU.pdf", "%PDF-1.4\n");

    EXPECT_EQ(settings.ProgramDataFolder(), data);
    const std::u16string folder = settings.GetLanguageFolder();
    EXPECT_EQ(U8(folder), data.string() + "/");
    const auto modules = Text::FindLanguageModules(std::filesystem::path(folder), Text::LoadString(kIdModulePattern),
                                                   settings.ProgramVersionInfo());
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].file.filename(), "Brelvantor_DEU.lng");

    // The manual: the update folder when it holds one, otherwise the data folder,
    // which is also the place named when no manual is found at all.
    EXPECT_EQ(settings.HelpFilePath(u"BRELVANTOR_ENU.pdf"), data / "BRELVANTOR_ENU.pdf");
    EXPECT_EQ(settings.HelpFilePath(u"BRELVANTOR_DEU.pdf"), data / "BRELVANTOR_DEU.pdf");
    dir.Write("bin/BRELVANTOR_ENU.pdf", "%PDF-1.4\n");
    EXPECT_EQ(settings.HelpFilePath(u"BRELVANTOR_ENU.pdf"), bin / "BRELVANTOR_ENU.pdf");

    // Once a module is chosen, its own folder is where the others are looked for.
    settings.SetLanguageFile(U16(data / "Brelvantor_DEU.lng"));
    EXPECT_EQ(U8(settings.GetLanguageFolder()), data.string() + "/");
}

TEST(InstallLayout, HelpFileWithoutFolders) {
    EXPECT_EQ(FindHelpFile(u"", {}, u"BRELVANTOR_ENU.pdf"), std::filesystem::path("BRELVANTOR_ENU.pdf"));
    EXPECT_EQ(FindHelpFile(u"/nowhere", {}, u"BRELVANTOR_ENU.pdf"),
              std::filesystem::path("/nowhere/BRELVANTOR_ENU.pdf"));
    EXPECT_TRUE(ProgramDataFolder({}).empty());
}
