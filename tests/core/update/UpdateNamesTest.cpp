// Which server names are installers and packages, and which versions they carry.
#include <gtest/gtest.h>

#include "update/UpdateNames.h"

namespace {

using Update::InstallerVersion;
using Update::PackageVersion;

TEST(InstallerNames, VersionFromNameForBothPlatforms) {
    struct SCase {
        const char* name;
        const char* extension;
        CVersion expected;
    } const cases[] = {
        {"Brelvantor_V_2_3_1_0.exe", ".exe", CVersion(2, 3, 1, 0)},
        {"Brelvantor_V_2_3_1_0.deb", ".deb", CVersion(2, 3, 1, 0)},
        {"Brelvantor_V_2_10_0.deb", ".deb", CVersion(2, 10, 0, 0)},
        // The extension must be exactly the platform's, in lower case.
        {"Brelvantor_V_2_3_1_0.EXE", ".exe", CVersion()},
        {"Brelvantor_V_2_3_1_0.Deb", ".deb", CVersion()},
        {"Brelvantor_V_2_3_1_0.exe", ".deb", CVersion()},
        {"Brelvantor_V_2_3_1_0.deb", ".exe", CVersion()},
        // Without "_V_" it is no installer; too short a name neither.
        {"Brelvantor-2_3_1_0.deb", ".deb", CVersion()},
        {"_V_.deb", ".deb", CVersion()},
        {"_V_3.deb", ".deb", CVersion(3)},
        // The version ends at the first point of the name.
        {"Brelvantor_V_2_3.1.deb", ".deb", CVersion(2ull << 32 | 3)},
        {"Brel.vantor_V_2_3_1_0.deb", ".deb", CVersion()},
        // What the parser cannot read gives no version.
        {"Brelvantor_V_beta.deb", ".deb", CVersion()},
        {"Brelvantor_V_2_70000_0.deb", ".deb", CVersion()},
    };
    for (const auto& c : cases) EXPECT_EQ(InstallerVersion(c.name, c.extension), c.expected) << c.name;
}

TEST(InstallerNames, OneExtensionDecidesPerPlatform) {
#ifdef _WIN32
    EXPECT_EQ(Update::kInstallerExtension, ".exe");
#else
    EXPECT_EQ(Update::kInstallerExtension, ".deb");
#endif
    EXPECT_EQ(
        InstallerVersion(std::string("Brelvantor_V_1_2_0_0") + std::string(Update::kInstallerExtension)),
        CVersion(1, 2, 0, 0));
}

TEST(PackageNames, VersionPerKind) {
    struct SCase {
        const char* name;
        CVersion firmware;
        CVersion os;
    } const cases[] = {
        {"TB-V1.2.0_FW.lod", CVersion(1, 2, 0, 0), CVersion()},
        {"TB-V1.2.0_APP.lod", CVersion(1, 2, 0, 0), CVersion()},
        {"TB-V3.1.0_OS.lod", CVersion(), CVersion(3, 1, 0, 0)},
        // Without a tag the package counts for both.
        {"TB-V2.1.0.lod", CVersion(2, 1, 0, 0), CVersion(2, 1, 0, 0)},
        {"TB-V2_1_0_7.lod", CVersion(2, 1, 0, 7), CVersion(2, 1, 0, 7)},
        // Another tag, or a tag in other case, gives nothing.
        {"TB-V1.2.0_BOOT.lod", CVersion(), CVersion()},
        {"TB-V1.2.0_fw.lod", CVersion(), CVersion()},
        // Only a lower-case "lod" after at least one character counts.
        {"TB-V1.2.0_FW.LOD", CVersion(), CVersion()},
        {"lod", CVersion(), CVersion()},
        // Without "-V" there is no version; only the first "-V" counts.
        {"TB_V1.2.0_FW.lod", CVersion(), CVersion()},
        {"TB-Vx-V1.2.0_FW.lod", CVersion(), CVersion()},
        {"TB-V1.2-V9_FW.lod", CVersion(), CVersion()},
        // Empty pieces count as parts; a version the parser refuses gives 0.
        {"TB-V_FW.lod", CVersion(), CVersion()},
        {"TB-V1.99999.0_FW.lod", CVersion(), CVersion()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackageVersion(c.name, Update::kPackageFirmware), c.firmware) << c.name;
        EXPECT_EQ(PackageVersion(c.name, Update::kPackageOs), c.os) << c.name;
        EXPECT_EQ(PackageVersion(c.name, 3), CVersion()) << c.name;
    }
}

TEST(ServerNames, OnlyPlainNamesMayBecomeLocalNames) {
    for (const char* good : {"Brelvantor_V_2_3_1_0.deb", "a.b", "x y.deb", "Brelvantor_V_2_3.deb.sha256"})
        EXPECT_TRUE(Update::IsSafeServerName(good)) << good;
    for (const char* bad :
         {"", ".", "..", "../Brelvantor_V_9_0.deb", "sub/Brelvantor_V_9_0.deb", "/etc/passwd",
          "..\\x_V_9.deb", "a\\b_V_9.deb", "a..b_V_9.deb", "a\tb_V_9.deb", "a\x01_V_9.deb", "a\x7f_V_9.deb"})
        EXPECT_FALSE(Update::IsSafeServerName(bad)) << bad;
    EXPECT_FALSE(Update::IsSafeServerName(std::string(256, 'a')));
    EXPECT_FALSE(Update::IsSafeServerName(std::string_view("a\0b", 3)));
}

}  // namespace
