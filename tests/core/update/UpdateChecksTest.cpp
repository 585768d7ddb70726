// The decisions of the update checks, without a server: the best installer,
// the newest packages and the reminder after repeated failures.
#include <gtest/gtest.h>

#include "core/text/TempDir.h"
#include "device/Contents.h"
#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "update/UpdateChecks.h"

namespace {

using Update::RankInstallers;

TEST(InstallerChoice, NumericVersionsAndListingOrder) {
    const CVersion current(2, 2, 0, 0);
    const std::vector<std::string> names{
        "Brelvantor_V_2_2_0_0.deb",  // the current one is not newer
        "Brelvantor_V_2_10_0_0.deb",
        "Brelvantor_V_2_3_0_0.deb",
        "Brelvantor_V_9_0_0_0.DEB",    // upper-case extension: no installer
        "Brelvantor_V_nine.deb",       // unparsable: version 0
        "Brelvantor_V_2_10_0_0b.deb",  // the same version, listed later
        "readme.txt",
    };
    const auto ranked = RankInstallers(names, current, ".deb");
    ASSERT_EQ(ranked.size(), 3u);
    EXPECT_EQ(ranked[0].name, "Brelvantor_V_2_10_0_0.deb");
    EXPECT_EQ(ranked[0].version, CVersion(2, 10, 0, 0));
    EXPECT_EQ(ranked[1].name, "Brelvantor_V_2_10_0_0b.deb");
    EXPECT_EQ(ranked[2].version, CVersion(2, 3, 0, 0));

    // With no version to beat an unparsable name still never wins.
    EXPECT_TRUE(RankInstallers({"Brelvantor_V_nine.deb", "Brelvantor_V_.deb"}, CVersion(), ".deb").empty());
    EXPECT_TRUE(RankInstallers({}, current, ".deb").empty());
}

TEST(InstallerChoice, UnsafeNamesAreNeverCandidates) {
    const std::vector<std::string> names{"../Brelvantor_V_9_0_0_0.deb", "x/Brelvantor_V_9_0_0_0.deb",
                                         "x\\Brelvantor_V_9_0_0_0.deb", "x\x1b_V_9_0_0_0.deb",
                                         "Brelvantor_V_2_3_0_0.deb"};
    const auto ranked = RankInstallers(names, CVersion(2, 2, 0, 0), ".deb");
    ASSERT_EQ(ranked.size(), 1u);
    EXPECT_EQ(ranked[0].name, "Brelvantor_V_2_3_0_0.deb");
}

Device::CContents Installed(CVersion firmware, std::optional<CVersion> os = std::nullopt) {
    Device::CContents contents;
    Device::SContentEntry app;
    app.Kind = Update::kPackageFirmware;
    app.Version = firmware;
    contents.Add(app);
    Device::SContentEntry boot;  // the bootloader is never checked
    boot.Kind = Device::kContentBootloader;
    boot.Version = CVersion(0, 0, 0, 1);
    contents.Add(boot);
    if (os) {
        Device::SContentEntry system;
        system.Kind = Update::kPackageOs;
        system.Version = *os;
        contents.Add(system);
    }
    return contents;
}

TEST(PackageChoice, NewerPackagesPerKind) {
    using V = Update::SPackageVersions;
    struct SCase {
        const char* what;
        std::vector<std::string> names;
        Device::CContents installed;
        V expected;
    } const cases[] = {
        {"firmware over 1.5.0",
         {"TB-V2.0.0_FW.lod"},
         Installed(CVersion(1, 5, 0, 0)),
         V{CVersion(2, 0, 0, 0), {}}},
        {"older or equal packages",
         {"TB-V1.5.0_FW.lod", "TB-V1.4.0_FW.lod"},
         Installed(CVersion(1, 5, 0, 0)),
         V{}},
        {"OS tag only for the OS",
         {"TB-V4.0.0_OS.lod"},
         Installed(CVersion(1, 5, 0, 0), CVersion(3, 0, 0, 0)),
         V{{}, CVersion(4, 0, 0, 0)}},
        {"no tag for both",
         {"TB-V4.0.0.lod"},
         Installed(CVersion(1, 5, 0, 0), CVersion(3, 0, 0, 0)),
         V{CVersion(4, 0, 0, 0), CVersion(4, 0, 0, 0)}},
        {"no OS installed, no OS result",
         {"TB-V4.0.0.lod"},
         Installed(CVersion(1, 5, 0, 0)),
         V{CVersion(4, 0, 0, 0), {}}},
        {"upper-case LOD and names without -V",
         {"TB-V9.0.0_FW.LOD", "TB_9.0.0_FW.lod", "TB-V9.0.0_FW.lod.txt"},
         Installed(CVersion(1, 5, 0, 0)),
         V{}},
        // The highest newer one, whatever the listing's order (a server lists
        // "V10" before "V9").
        {"highest wins, not the one listed last",
         {"TB-V3.0.0_FW.lod", "TB-V2.0.0_FW.lod", "TB-V1.0.0_FW.lod"},
         Installed(CVersion(1, 5, 0, 0)),
         V{CVersion(3, 0, 0, 0), {}}},
        {"numerically highest",
         {"TB-V10.0.0.lod", "TB-V9.0.0.lod", "TB-V2.0.0_OS.lod"},
         Installed(CVersion(1, 5, 0, 0), CVersion(1, 0, 0, 0)),
         V{CVersion(10, 0, 0, 0), CVersion(10, 0, 0, 0)}},
    };
    for (const auto& c : cases) EXPECT_EQ(Update::NewestPackages(c.names, c.installed), c.expected) << c.what;
}

TEST(FailureCounter, ReminderSequence) {
    Update::TFailureCounter counter;
    std::vector<int> remindedAfter;
    int failures = 0;
    for (int i = 0; i < 101 + 51 + 26 + 13 + 7 + 11 + 6 + 11 + 6; ++i) {
        ++failures;
        if (counter.RecordFailure()) {
            remindedAfter.push_back(failures);
            failures = 0;
        }
    }
    EXPECT_EQ(remindedAfter, (std::vector<int>{101, 51, 26, 13, 7, 11, 6, 11, 6}));
    // A success restores the long wait.
    counter.RecordSuccess();
    EXPECT_EQ(counter, (Update::TFailureCounter{0, 100}));
    // The counter never wraps around.
    Update::TFailureCounter stuck{UINT32_MAX, UINT32_MAX};
    EXPECT_FALSE(stuck.RecordFailure());
}

TEST(FailureCounter, StoredAsDecimalText) {
    CTempDir dir;
    Settings::CSettingsStore store(dir / "settings");
    const std::u16string key = Update::FirmwareSettingsKey(u"Brelvantor");
    EXPECT_EQ(key, u"Software\\Tolvex\\Brelvantor\\Settings");
    ASSERT_TRUE(store.OpenKey(key, true));

    // Missing values take their defaults.
    EXPECT_EQ(Update::TFailureCounter::Load(store, key), (Update::TFailureCounter{0, 100}));

    ASSERT_TRUE((Update::TFailureCounter{7, 50}).Store(store, key));
    const auto count = store.ReadValue(key, u"FwUpdateFailCount");
    const auto limit = store.ReadValue(key, u"FwUpdateFailCountMax");
    ASSERT_TRUE(count && limit);
    EXPECT_EQ(count->type, Settings::EValueType::String);
    EXPECT_EQ(count->text, u"7");
    EXPECT_EQ(limit->type, Settings::EValueType::String);
    EXPECT_EQ(limit->text, u"50");
    EXPECT_EQ(Update::TFailureCounter::Load(store, key), (Update::TFailureCounter{7, 50}));

    // A number-typed value, or text that is no decimal number, counts as missing.
    struct SCase {
        Settings::TSettingsValue count, limit;
        Update::TFailureCounter expected;
    } const cases[] = {
        {Settings::TSettingsValue::Dword(u"FwUpdateFailCount", 42),
         Settings::TSettingsValue::Dword(u"FwUpdateFailCountMax", 10),
         {0, 100}},
        {Settings::TSettingsValue::String(u"FwUpdateFailCount", u"12"),
         Settings::TSettingsValue::Dword(u"FwUpdateFailCountMax", 10),
         {12, 100}},
        {Settings::TSettingsValue::String(u"FwUpdateFailCount", u"-3"),
         Settings::TSettingsValue::String(u"FwUpdateFailCountMax", u"4294967296"),
         {0, 100}},
        {Settings::TSettingsValue::String(u"FwUpdateFailCount", u" 5"),
         Settings::TSettingsValue::String(u"FwUpdateFailCountMax", u"25"),
         {0, 25}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store.WriteValue(key, c.count));
        ASSERT_TRUE(store.WriteValue(key, c.limit));
        EXPECT_EQ(Update::TFailureCounter::Load(store, key), c.expected) << Text::ToUtf8(c.count.text);
    }
}

TEST(DeviceFolder, EightLowerCaseHexDigits) {
    EXPECT_EQ(Update::DeviceFolder(0x05010000), "05010000");
    EXPECT_EQ(Update::DeviceFolder(0xABCDEF12), "abcdef12");
    EXPECT_EQ(Update::DeviceFolder(0x1F), "0000001f");
}

}  // namespace
