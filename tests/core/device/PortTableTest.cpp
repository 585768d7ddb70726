// The port table: its text form, the scan of /dev, where it comes from.
#include <gtest/gtest.h>

#include "core/settings/EnvVar.h"
#include "core/text/TempDir.h"
#include "device/PortTable.h"
#include "settings/SettingsStore.h"

using Device::CPortTable;

namespace {

using Entries = std::vector<CPortTable::SEntry>;

}  // namespace

TEST(PortTable, ParsesNumberedPaths) {
    struct SCase {
        const char* text;
        Entries entries;
        bool valid;
    } cases[] = {
        {"1=/dev/ttyACM0;7=/tmp/hammer", {{1, "/dev/ttyACM0"}, {7, "/tmp/hammer"}}, true},
        {" 7 = /tmp/b ; 2=/tmp/a ;", {{2, "/tmp/a"}, {7, "/tmp/b"}}, true},
        {"", {}, true},
        {"9999=/x", {{9999, "/x"}}, true},
        {"0=/x;10000=/y;-1=/z;a=/w;3=", {}, false},
        {"3=/a;3=/b", {{3, "/a"}}, false},
        {"4/dev/ttyS0;5=/ok", {{5, "/ok"}}, false},
        {"6=/bad\npath", {}, false},
    };
    for (const SCase& c : cases) {
        bool valid = !c.valid;
        const CPortTable table = CPortTable::Parse(c.text, &valid);
        EXPECT_EQ(table.Entries(), c.entries) << c.text;
        EXPECT_EQ(valid, c.valid) << c.text;
    }
    EXPECT_EQ(CPortTable::Parse(" 7=/b;2=/a").ToString(), "2=/a;7=/b");
}

TEST(PortTable, ScanNumbersTheSerialDevicesInOrder) {
    CTempDir dev;
    for (const char* name : {"ttyS10", "ttyUSB10", "ttyACM1", "ttyS0", "ttyUSB2", "ttyACM0", "tty0",
                             "ttyACMx", "ttyprintk", "ttyS2"}) {
        dev.Write(name, "");
    }
    const CPortTable table = CPortTable::Scan(dev.Path());
    const auto at = [&](const char* name) { return (dev / name).string(); };
    const Entries expected = {{1, at("ttyACM0")}, {2, at("ttyACM1")}, {3, at("ttyUSB2")}, {4, at("ttyUSB10")},
                              {5, at("ttyS0")},   {6, at("ttyS2")},   {7, at("ttyS10")}};
    EXPECT_EQ(table.Entries(), expected);
    EXPECT_TRUE(CPortTable::Scan(dev / "missing").IsEmpty());
}

TEST(PortTable, LooksUpNumbersPathsAndExistence) {
    CTempDir dir;
    const std::string present = dir.Write("hammer", "").string();
    const CPortTable table = CPortTable::Parse("1=" + (dir / "gone").string() + ";4=" + present);
    EXPECT_EQ(table.PathOf(4), present);
    EXPECT_FALSE(table.PathOf(2));
    EXPECT_EQ(table.NumberOf(present), 4u);
    EXPECT_FALSE(table.NumberOf("/nowhere"));
    EXPECT_FALSE(table.Exists(1));
    EXPECT_TRUE(table.Exists(4));
    EXPECT_FALSE(table.Exists(3));
    EXPECT_EQ(table.ExistingPorts(), std::vector<unsigned>{4});
    EXPECT_EQ(table.DisplayName(4), "COM4 (" + present + ")");
    EXPECT_EQ(table.DisplayName(9), "COM9");
}

TEST(PortTable, EnvironmentBeforeSettingsBeforeScan) {
    CTempDir dir;
    Settings::CSettingsStore store(dir / "settings");
    auto key = store.OpenKey(u"Software\\Tolvex\\Brelvantor\\Settings", true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteString(u"SerialPorts", u"3=/from/settings"));
    {
        CEnvVar env(CPortTable::kEnvironmentVariable, "2=/from/env");
        EXPECT_EQ(CPortTable::Load(&store).ToString(), "2=/from/env");
    }
    {
        CEnvVar env(CPortTable::kEnvironmentVariable, "");
        EXPECT_EQ(CPortTable::Load(&store).ToString(), "3=/from/settings");
        // A number where text belongs counts as not set.
        ASSERT_TRUE(key->WriteDword(u"SerialPorts", 5));
        EXPECT_EQ(CPortTable::Load(&store).ToString(), CPortTable::Scan().ToString());
        EXPECT_EQ(CPortTable::Load(nullptr).ToString(), CPortTable::Scan().ToString());
    }
}

TEST(PortTable, CurrentTableIsTheOneSetOrLoadedAfresh) {
    CEnvVar env(CPortTable::kEnvironmentVariable, "8=/env/port");
    CPortTable::SetCurrent(CPortTable::Parse("1=/set/port"));
    EXPECT_EQ(CPortTable::Current().ToString(), "1=/set/port");
    CPortTable::SetCurrent(std::nullopt);
    EXPECT_EQ(CPortTable::Current().ToString(), "8=/env/port");
    CPortTable::SetCurrent(CPortTable());
    EXPECT_EQ(CPortTable::Current().ToString(), "8=/env/port");
    CPortTable::SetCurrent(std::nullopt);
}

// Entries the table cannot use are named, so that a typing error does not make a
// port vanish without a word; the warning comes once, not at every scan.
TEST(PortTable, SkippedEntriesAreNamedAndReportedOnce) {
    struct Case {
        const char* text;
        std::vector<std::string> skipped;
    };
    const Case cases[] = {
        {"1=/dev/a;2=/dev/b", {}},
        {"1=/dev/a;1=/dev/b", {"1=/dev/b"}},
        {"x=/dev/a; 0=/dev/b ;10000=/dev/c;3=", {"x=/dev/a", "0=/dev/b", "10000=/dev/c", "3="}},
        {"/dev/ttyUSB0;4=/dev/d", {"/dev/ttyUSB0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> skipped;
        bool valid = false;
        CPortTable::Parse(c.text, &valid, &skipped);
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_EQ(valid, c.skipped.empty());
    }

    const char* old = std::getenv(CPortTable::kEnvironmentVariable);
    const std::string saved = old ? old : "";
    ::setenv(CPortTable::kEnvironmentVariable, "2=/dev/first;2=/dev/second;bad\x1b[2J", 1);
    testing::internal::CaptureStderr();
    const CPortTable first = CPortTable::Load(nullptr);
    const CPortTable again = CPortTable::Load(nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    if (old)
        ::setenv(CPortTable::kEnvironmentVariable, saved.c_str(), 1);
    else
        ::unsetenv(CPortTable::kEnvironmentVariable);
    EXPECT_EQ(first.ToString(), "2=/dev/first");
    EXPECT_EQ(again.ToString(), "2=/dev/first");
    EXPECT_NE(err.find("BRELVANTOR_PORTS"), std::string::npos) << err;
    EXPECT_NE(err.find("\"2=/dev/second\""), std::string::npos) << err;
    EXPECT_NE(err.find("\"bad?[2J\""), std::string::npos) << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos);
    EXPECT_EQ(err.find("BRELVANTOR_PORTS"), err.rfind("BRELVANTOR_PORTS")) << "reported twice: " << err;
}
