#include "settings/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <thread>

#include "core/settings/EnvVar.h"
#include "core/text/TempDir.h"
#include "text/Encoding.h"

using namespace Settings;

namespace {

constexpr std::u16string_view kKey = u"Software\\Tolvex\\Brelvantor\\Settings";

std::string U8(std::u16string_view s) {
    return Text::ToUtf8(s);
}

class SettingsStoreTest : public ::testing::Test {
  protected:
    CTempDir dir;
    std::filesystem::path file = dir / "config" / "brelvantor.settings";
    CSettingsStore store{file};
};

}  // namespace

TEST_F(SettingsStoreTest, ValuesSurviveTheFileWithTheirTypes) {
    auto key = store.OpenKey(kKey, true);
    ASSERT_TRUE(key);
    const std::u16string awkward = u"line\nnext\r\t\"quoted\" back\\slash \x01\x7F ä € 𝄞 =sz:\"";
    EXPECT_TRUE(key->WriteString(u"Text", awkward));
    EXPECT_TRUE(key->WriteString(u"", u"default value"));
    EXPECT_TRUE(key->WriteString(u"Empty", u""));
    EXPECT_TRUE(key->WriteString(u"Odd \"name\" = x", u"1"));
    EXPECT_TRUE(key->WriteDword(u"Number", 0xFFFFFFFFu));
    EXPECT_TRUE(key->WriteDword(u"Zero", 0));

    // A second store reads only what reached the file.
    CSettingsStore again(file);
    auto reread = again.OpenKey(u"software\\TOLVEX\\brelvantor\\settings", false);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->ReadString(u"Text"), awkward);
    EXPECT_EQ(reread->ReadString(u""), u"default value");
    EXPECT_EQ(reread->ReadString(u"Empty"), u"");
    EXPECT_EQ(reread->ReadString(u"odd \"NAME\" = x"), u"1");
    EXPECT_EQ(reread->ReadDword(u"Number"), 0xFFFFFFFFu);
    EXPECT_EQ(reread->ReadDword(u"zero"), 0u);
    // A number is not text and text is not a number.
    EXPECT_EQ(reread->ReadString(u"Number"), std::nullopt);
    EXPECT_EQ(reread->ReadDword(u"Odd \"name\" = x"), std::nullopt);
    EXPECT_EQ(reread->ReadDword(u"Missing"), std::nullopt);

    // Rewriting keeps the first spelling of a name and may change its type.
    EXPECT_TRUE(reread->WriteString(u"NUMBER", u"now text"));
    std::vector<std::string> names;
    for (const auto& v : again.EnumValues(reread->Path())) names.push_back(U8(v.name));
    EXPECT_EQ(names, (std::vector<std::string>{"Text", "", "Empty", "Odd \"name\" = x", "Number", "Zero"}));
    EXPECT_EQ(key->ReadString(u"Number"), u"now text");
    EXPECT_EQ(key->ReadDword(u"Number"), std::nullopt);
}

TEST_F(SettingsStoreTest, KeysAndSubKeys) {
    EXPECT_FALSE(store.OpenKey(kKey, false));
    EXPECT_FALSE(std::filesystem::exists(file));  // only opening writes nothing

    auto settings = store.OpenKey(kKey, true);
    ASSERT_TRUE(settings);
    auto wizard = store.OpenKey(u"Software\\Tolvex\\ZvUpgrade\\Settings\\ConnWizard", true);
    ASSERT_TRUE(wizard);
    EXPECT_TRUE(wizard->WriteDword(u"Port", 3));
    auto tolvex = store.OpenKey(u"Software\\Tolvex", false);  // keys above exist with the key
    ASSERT_TRUE(tolvex);
    EXPECT_EQ(tolvex->EnumSubKeys(), (std::vector<std::u16string>{u"Brelvantor", u"ZvUpgrade"}));
    EXPECT_TRUE(tolvex->OpenSubKey(u"ZvUpgrade\\Settings", false));

    EXPECT_TRUE(tolvex->DeleteSubKey(u"zvupgrade"));
    EXPECT_FALSE(store.OpenKey(u"Software\\Tolvex\\ZvUpgrade\\Settings\\ConnWizard", false));
    EXPECT_FALSE(wizard->WriteDword(u"Port", 4));  // its key is gone
    EXPECT_TRUE(store.OpenKey(kKey, false));
    EXPECT_FALSE(tolvex->DeleteSubKey(u"ZvUpgrade"));

    EXPECT_TRUE(settings->WriteString(u"a", u"1"));
    EXPECT_TRUE(settings->DeleteValue(u"A"));
    EXPECT_FALSE(settings->DeleteValue(u"A"));
    EXPECT_TRUE(settings->EnumValues().empty());

    const std::u16string badPaths[] = {u"",           u"\\Software",
                                       u"Software\\", u"Software\\\\Tolvex",
                                       u"Soft\nware", u"Software\\" + std::u16string(256, u'k')};
    for (const auto& bad : badPaths) EXPECT_FALSE(store.OpenKey(bad, true)) << U8(bad);
}

// The file form is what other tools and later versions read: pin it down.
TEST_F(SettingsStoreTest, WritesTheDocumentedFileForm) {
    auto key = store.OpenKey(kKey, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword(u"DTFormat", 0x0203));
    ASSERT_TRUE(key->WriteString(u"Pfad", u"/home/anna/a\"b\\c\nd"));
    EXPECT_EQ(CTempDir::Read(file),
              "Brelvantor settings 1\n"
              "[Software]\n"
              "[Software\\Tolvex]\n"
              "[Software\\Tolvex\\Brelvantor]\n"
              "[Software\\Tolvex\\Brelvantor\\Settings]\n"
              "\"DTFormat\"=dword:00000203\n"
              "\"Pfad\"=sz:\"/home/anna/a\\\"b\\\\c\\nd\"\n");
    // Nothing but the file itself is left in the folder: the temporary file was renamed over it.
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"brelvantor.settings"});
}

TEST_F(SettingsStoreTest, DamagedFilesReadAsMissingValuesAndAreKeptAside) {
    const std::string good =
        "Brelvantor settings 1\n"
        "[Software\\Tolvex\\Brelvantor\\Settings]\n"
        "\"GridCheck\"=dword:00000007\n"
        "\"Pfad\"=sz:\"/home/anna/updates\"\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool gridCheckSurvives;  // the lines before the damage still count
    };
    const Case cases[] = {
        {"garbage",
         "\x7F"
         "ELF\x02\x01\x01\0\0\0\0 binary " +
             std::string(300, '\xFF'),
         false},
        {"another format", "Brelvantor settings 2\n" + good.substr(22), false},
        {"cut in the header", good.substr(0, 10), false},
        {"cut in a text", good.substr(0, good.size() - 12), true},
        {"cut in a number", good.substr(0, good.find("00000007") + 4), false},
        {"bad escape", good.substr(0, good.size() - 3) + "\\q\"\n", true},
        {"NUL in a text", good.substr(0, good.size() - 3) + std::string(1, '\0') + "\"\n", true},
        {"invalid UTF-8", good.substr(0, good.size() - 3) + "\xC3\x28\"\n", true},
        {"value before any key", "Brelvantor settings 1\n\"Pfad\"=sz:\"/x\"\n", false},
        {"line too long",
         good.substr(0, good.find("\"Pfad\"")) + "\"Pfad\"=sz:\"" +
             std::string(CSettingsData::kMaxLineLength, 'x') + "\"\n",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("config/brelvantor.settings", c.bytes);
        EXPECT_TRUE(store.IsFileDamaged());
        EXPECT_FALSE(store.ReadValue(kKey, u"Pfad").has_value());
        EXPECT_EQ(store.ReadValue(kKey, u"GridCheck").has_value(), c.gridCheckSurvives);

        auto key = store.OpenKey(kKey, true);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key->WriteString(u"Pfad", u"/tmp"));
        EXPECT_FALSE(store.IsFileDamaged());
        EXPECT_EQ(key->ReadString(u"Pfad"), u"/tmp");
        EXPECT_EQ(CTempDir::Read(file.string() + ".damaged"), c.bytes);
    }
}

TEST_F(SettingsStoreTest, HugeOrStrangeFilesAreNotRead) {
    dir.Write("config/brelvantor.settings", "Brelvantor settings 1\n");
    std::filesystem::resize_file(file, 4ull << 30);  // sparse: costs no disk
    EXPECT_TRUE(store.IsFileDamaged());
    EXPECT_FALSE(store.OpenKey(kKey, false));
    ASSERT_TRUE(store.OpenKey(kKey, true));
    EXPECT_EQ(std::filesystem::file_size(file.string() + ".damaged"), 4ull << 30);
    EXPECT_LT(std::filesystem::file_size(file), 1000u);

    const auto notices = store.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, SStoreNotice::EKind::SetAside);
    EXPECT_EQ(notices[0].file, file);
    EXPECT_EQ(notices[0].aside, file.string() + ".damaged");
    EXPECT_TRUE(store.TakeNotices().empty());
}

TEST_F(SettingsStoreTest, APathThatIsNoRegularFileKeepsTheSettingsInMemory) {
    // A folder, or a link to a device: setting it aside and writing a file in
    // its place would destroy it. The values live in memory instead, and the
    // user is told once.
    std::filesystem::create_directories(file.parent_path());
    const auto device = dir / "null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::vector<std::filesystem::path> targets{dir / "folder"};
    std::filesystem::create_directory(targets[0]);
    if (haveDevice) targets.push_back(device);
    for (const auto& target : targets) {
        SCOPED_TRACE(target.string());
        std::filesystem::remove(file);
        std::filesystem::create_symlink(target, file);
        CSettingsStore linked{file};
        auto key = linked.OpenKey(kKey, true);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key->WriteDword(u"GridCheck", 3));
        EXPECT_EQ(key->ReadDword(u"GridCheck"), 3u);
        const auto notices = linked.TakeNotices();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].kind, SStoreNotice::EKind::Unusable);
        EXPECT_TRUE(linked.TakeNotices().empty());
        EXPECT_TRUE(std::filesystem::is_symlink(file));
        EXPECT_FALSE(std::filesystem::exists(file.string() + ".damaged"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(targets[0]));
    if (haveDevice) {
        EXPECT_TRUE(std::filesystem::is_character_file(device));
    }
}

TEST_F(SettingsStoreTest, FailedWritesReportFailureAndChangeNothing) {
    // A store whose folder cannot be created (a file is in the way) stores nothing,
    // whoever runs the test.
    dir.Write("blocker", "");
    CSettingsStore blocked(dir / "blocker" / "brelvantor.settings");
    EXPECT_FALSE(blocked.OpenKey(kKey, true));

    CSettingsStore nowhere{std::filesystem::path()};
    EXPECT_FALSE(nowhere.OpenKey(kKey, true));

    // A value the file form cannot hold is refused, and the file stays as it was.
    auto key = store.OpenKey(kKey, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword(u"DTFormat", 1));
    const std::string before = CTempDir::Read(file);
    EXPECT_FALSE(key->WriteString(u"Huge", std::u16string(CSettingsData::kMaxLineLength, u'x')));
    EXPECT_FALSE(key->WriteString(std::u16string(CSettingsData::kMaxValueNameLength + 1, u'n'), u""));
    EXPECT_EQ(CTempDir::Read(file), before);

    // Nor may the whole file grow beyond what is read back: a file ten bytes
    // short of the limit takes no further value.
    std::string full = "Brelvantor settings 1\n[Big]\n";
    const std::string filler(CSettingsData::kMaxLineLength / 2, 'y');
    for (int i = 0; full.size() + filler.size() + 200 < CSettingsData::kMaxFileSize; ++i)
        full += "\"F" + std::to_string(i) + "\"=sz:\"" + filler + "\"\n";
    const std::size_t pad =
        CSettingsData::kMaxFileSize - 10 - full.size() - std::string("\"Pad\"=sz:\"\"\n").size();
    full += "\"Pad\"=sz:\"" + std::string(pad, 'z') + "\"\n";
    ASSERT_EQ(full.size(), CSettingsData::kMaxFileSize - 10);
    dir.Write("config/brelvantor.settings", full);
    auto big = store.OpenKey(u"Big", false);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->ReadString(u"Pad")->size(), pad);
    EXPECT_FALSE(big->WriteDword(u"X", 1));
    EXPECT_TRUE(CTempDir::Read(file) == full);
}

TEST_F(SettingsStoreTest, ALinkedFileStaysLinked) {
    const auto real = dir / "elsewhere" / "real.settings";
    std::filesystem::create_directories(real.parent_path());
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_symlink(real, file);
    auto key = store.OpenKey(kKey, true);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->WriteDword(u"GridCheck", 5));
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_NE(CTempDir::Read(real).find("\"GridCheck\"=dword:00000005"), std::string::npos);
}

TEST_F(SettingsStoreTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kValues = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            auto key = store.OpenKey(u"Test\\T" + std::u16string(1, static_cast<char16_t>(u'0' + t)), true);
            for (int i = 0; key && i < kValues; ++i)
                key->WriteDword(u"V" + Text::Widen(std::to_string(i)),
                                static_cast<std::uint32_t>(t * 100 + i));
        });
    }
    for (auto& th : threads) th.join();
    CSettingsStore again(file);
    for (int t = 0; t < kThreads; ++t) {
        auto values = again.EnumValues(u"Test\\T" + std::u16string(1, static_cast<char16_t>(u'0' + t)));
        ASSERT_EQ(values.size(), static_cast<std::size_t>(kValues)) << t;
        for (int i = 0; i < kValues; ++i)
            EXPECT_EQ(values[i].number, static_cast<std::uint32_t>(t * 100 + i));
    }
}

TEST(SettingsStorePath, EnvironmentChoosesTheFile) {
    CEnvVar home("HOME", "/home/anna");
    {
        CEnvVar explicitFile("BRELVANTOR_SETTINGS", "/srv/lab/brelvantor.settings");
        CEnvVar xdg("XDG_CONFIG_HOME", "/etc/xdg-anna");
        EXPECT_EQ(CSettingsStore::DefaultFilePath(), "/srv/lab/brelvantor.settings");
    }
    CEnvVar noExplicitFile("BRELVANTOR_SETTINGS", nullptr);
    {
        CEnvVar xdg("XDG_CONFIG_HOME", "/etc/xdg-anna");
        EXPECT_EQ(CSettingsStore::DefaultFilePath(), "/etc/xdg-anna/Tolvex/brelvantor.settings");
    }
    {
        CEnvVar xdg("XDG_CONFIG_HOME", "relative/is/ignored");
        EXPECT_EQ(CSettingsStore::DefaultFilePath(), "/home/anna/.config/Tolvex/brelvantor.settings");
    }
    CEnvVar noXdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(CSettingsStore::DefaultFilePath(), "/home/anna/.config/Tolvex/brelvantor.settings");
}
