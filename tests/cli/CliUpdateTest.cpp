// update check, update download and firmware check against a real FTP server
// on 127.0.0.1 (and the simulated hammer for the firmware).
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "settings/SettingsStore.h"
#include "support/FtpServer.h"
#include "update/Sha256.h"
#include "update/UpdateStrings.h"

namespace {

using namespace CliTest;

const std::string kFolder = "ZvUpgrade/Brelvantor/";
const std::string kFirmwareFolder = "ZvUpgrade/05010000/";  // the simulated L hammer's code

std::string Bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7919) >> 3);
    return s;
}

std::string Text8(unsigned id) {
    return Text::ToUtf8(Text::LoadString(id));
}

class CliUpdate : public CCliFixture {
  protected:
    void StartServer(CFtpServer::SOptions options = {}) {
        server = std::make_unique<CFtpServer>(dir / "srv", options);
        env["BRELVANTOR_UPDATE_SERVER"] = server->Url();
    }
    void Put(const std::string& relative, const std::string& bytes) { server->Put(relative, bytes); }
    std::filesystem::path Out() {
        std::filesystem::create_directories(dir / "out");
        return dir / "out";
    }
    std::optional<Settings::TSettingsValue> Stored(const char16_t* name) {
        Settings::CSettingsStore store(Settings());
        return store.ReadValue(u"Software\\Tolvex\\Brelvantor\\Settings", name);
    }
    void StoreCounter(const char16_t* count, const char16_t* limit) {
        Settings::CSettingsStore store(Settings());
        const std::u16string key = u"Software\\Tolvex\\Brelvantor\\Settings";
        ASSERT_TRUE(store.OpenKey(key, true));
        ASSERT_TRUE(store.WriteValue(key, Settings::TSettingsValue::String(u"FwUpdateFailCount", count)));
        ASSERT_TRUE(store.WriteValue(key, Settings::TSettingsValue::String(u"FwUpdateFailCountMax", limit)));
    }

    std::unique_ptr<CFtpServer> server;
};

TEST_F(CliUpdate, CheckPrintsTheNewestInstallerOrNone) {
    StartServer();
    Put(kFolder + "Brelvantor_V_2_3_0_0.deb", "old");
    Put(kFolder + "Brelvantor_V_2_10_0_0.deb", Bytes(4321));
    Put(kFolder + "Brelvantor_V_9_0_0_0.DEB", "upper case");

    SRun run = Cli({"update", "check"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_EQ(run.out, "Newest version on the server: 2.10.0 (Brelvantor_V_2_10_0_0.deb, 4321 bytes)\n");
    run = Cli({"update", "check", "--json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_EQ(
        run.out,
        "{\n  \"version\": \"2.10.0\",\n  \"file\": \"Brelvantor_V_2_10_0_0.deb\",\n  \"size\": 4321\n}\n");

    // An empty folder: nothing newer, still a success.
    std::filesystem::remove_all(server->Root() / kFolder);
    std::filesystem::create_directories(server->Root() / kFolder);
    run = Cli({"update", "check", "--json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_EQ(run.out, "{\n  \"version\": null,\n  \"file\": null,\n  \"size\": null\n}\n");
    run = Cli({"update", "check"});
    EXPECT_EQ(run.out, "There is no version of Brelvantor newer than 1.0.0 on the server.\n");
}

TEST_F(CliUpdate, ServerNotReachedHasItsOwnExitCode) {
    StartServer();
    std::filesystem::create_directories(server->Root() / "ZvUpgrade");
    struct SCase {
        const char* what;
        std::string url;
        std::string message;
    } const cases[] = {
        {"missing folder", server->Url(),
         Text::ToUtf8(Text::FormatString(Update::kIdFolderMissing, "./ZvUpgrade/Brelvantor/"))},
        {"wrong password", server->Url("wrong"), "(error 67)"},
        {"nobody listening", "ftp://a:b@127.0.0.1:1/", "(error 7)"},
    };
    for (const auto& c : cases) {
        env["BRELVANTOR_UPDATE_SERVER"] = c.url;
        const SRun run = Cli({"update", "check", "--json"});
        EXPECT_EQ(15, run.exitCode) << c.what << Describe(run);
        EXPECT_TRUE(run.out.empty()) << c.what;
        EXPECT_TRUE(Contains(run.err, c.message)) << c.what << Describe(run);
        EXPECT_FALSE(Contains(run.err, "wrong")) << "the password shows: " << run.err;
    }
}

TEST_F(CliUpdate, ServerComesFromTheSettingsUnlessTheEnvironmentSaysOtherwise) {
    StartServer();
    Put(kFolder + "Brelvantor_V_3_0_0_0.deb", "three");
    {
        Settings::CSettingsStore store(Settings());
        const std::u16string key = u"Software\\Tolvex\\Brelvantor\\Settings";
        ASSERT_TRUE(store.OpenKey(key, true));
        ASSERT_TRUE(store.WriteValue(
            key, Settings::TSettingsValue::String(u"UpdateServer", Text::FromUtf8(server->Url()))));
    }
    env.erase("BRELVANTOR_UPDATE_SERVER");
    ::unsetenv("BRELVANTOR_UPDATE_SERVER");
    SRun run = Cli({"update", "check", "--json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.out, "\"3.0.0\""));
    env["BRELVANTOR_UPDATE_SERVER"] = server->Url("wrong");
    run = Cli({"update", "check", "--json"});
    EXPECT_EQ(15, run.exitCode) << Describe(run);
}

TEST_F(CliUpdate, DownloadKeepsOnlyACompleteCheckedFile) {
    StartServer();
    const std::string good = Bytes(700000);
    Put(kFolder + "Brelvantor_V_2_0_0_0.deb", good);
    Put(kFolder + "Brelvantor_V_2_0_0_0.deb.sha256",
        Update::CSha256::ToHex(Update::CSha256::Of(good)) + "\n");

    SRun run = Cli({"update", "download", "-o", Out().string(), "--json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    const auto file = Out() / "Brelvantor_V_2_0_0_0.deb";
    EXPECT_EQ(CTempDir::Read(file), good);
    EXPECT_TRUE(Contains(run.out, "\"path\": \"" + file.string() + "\"")) << run.out;
    std::filesystem::remove(file);

    // A checksum that does not match: nothing is kept.
    Put(kFolder + "Brelvantor_V_2_0_0_0.deb.sha256",
        Update::CSha256::ToHex(Update::CSha256::Of("other")) + "\n");
    run = Cli({"update", "download", "-o", Out().string()});
    EXPECT_EQ(12, run.exitCode) << Describe(run);
    EXPECT_TRUE(std::filesystem::is_empty(Out()));
    EXPECT_TRUE(Contains(run.err, Text8(Update::kIdDigestMismatch).substr(0, 20))) << run.err;

    // A folder that does not exist, and a file where the folder should be:
    // the message names the folder as a folder.
    dir.Write("plain-file", "x");
    for (const std::string& folder : {(dir / "nowhere").string(), (dir / "plain-file").string()}) {
        run = Cli({"update", "download", "-o", folder});
        EXPECT_EQ(5, run.exitCode) << Describe(run);
        EXPECT_TRUE(Contains(run.err, Text::ToUtf8(Tools::FormatToolString(62899, folder)))) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

TEST_F(CliUpdate, DownloadBrokenOffByTheServer) {
    StartServer({.dieAfter = 200000});
    Put(kFolder + "Brelvantor_V_2_0_0_0.deb", Bytes(900000));
    const SRun run = Cli({"update", "download", "-o", Out().string()});
    EXPECT_EQ(15, run.exitCode) << Describe(run);
    EXPECT_TRUE(std::filesystem::is_empty(Out()));
    EXPECT_TRUE(Contains(run.err, "of the 900000 bytes of Brelvantor_V_2_0_0_0.deb")) << run.err;
}

TEST_F(CliUpdate, FirmwareCheckAgainstTheSimulatedHammer) {
    StartServer();
    Put(kFirmwareFolder + "TB-V2.5.0_FW.lod", "fw");
    Put(kFirmwareFolder + "TB-V2.4.0_FW.lod", "older");
    Put(kFirmwareFolder + "TB-V9.0.0_FW.LOD", "upper case");
    Put(kFirmwareFolder + "TB-V3.0.0_OS.lod", "os");
    StartSim("new-format-L.json");
    StoreCounter(u"42", u"100");

    SRun run = Cli({"firmware", "check", "--port", "1", "--json"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_EQ(run.out,
              "{\n  \"device\": \"Talvenbrecker PCL\",\n  \"device_code\": \"05010000\",\n"
              "  \"installed\": {\n    \"firmware\": \"2.4.1\",\n    \"os\": null\n  },\n"
              "  \"firmware\": \"2.5.0\",\n  \"os\": null\n}\n");
    EXPECT_EQ(Stored(u"FwUpdateFailCount")->text, u"0");
    EXPECT_EQ(Stored(u"FwUpdateFailCountMax")->text, u"100");

    run = Cli({"firmware", "check", "--port", "1"});
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.out, "05010000\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "2.5.0\n")) << run.out;

    // The server out of reach for the 101st time in a row: the reminder.
    StoreCounter(u"100", u"100");
    env["BRELVANTOR_UPDATE_SERVER"] = server->Url("wrong");
    run = Cli({"firmware", "check", "--port", "1", "--json"});
    EXPECT_EQ(15, run.exitCode) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "for the Talvenbrecker PCL device")) << run.err;
    EXPECT_EQ(Stored(u"FwUpdateFailCount")->text, u"0");
    EXPECT_EQ(Stored(u"FwUpdateFailCountMax")->text, u"50");
    run = Cli({"firmware", "check", "--port", "1", "--json"});
    EXPECT_EQ(15, run.exitCode) << Describe(run);
    EXPECT_FALSE(Contains(run.err, "for the Talvenbrecker PCL device")) << run.err;
    EXPECT_EQ(Stored(u"FwUpdateFailCount")->text, u"1");
}

TEST_F(CliUpdate, FirmwareCheckOfAHammerThatGoesAwaySaysSo) {
    // Found on the port, then gone before its identification (1) or its device
    // code (2) was read again: the server is not asked, and the user is told.
    StartServer();
    for (const char* fault : {"gone-after=1", "gone-after=2"}) {
        SCOPED_TRACE(fault);
        StartSim("new-format-L.json", {"--fault", fault});
        StoreCounter(u"42", u"100");
        const SRun run = Cli({"firmware", "check", "--port", "1"});
        EXPECT_EQ(7, run.exitCode) << Describe(run);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(Contains(run.err, "No Talvenbrecker answered on COM1 (")) << run.err;
        EXPECT_EQ(Stored(u"FwUpdateFailCount")->text, u"42");
    }
}

TEST_F(CliUpdate, UsageErrors) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"update"},
                                                 {"update", "fetch"},
                                                 {"update", "check", "-o", "x"},
                                                 {"firmware"},
                                                 {"firmware", "check", "--port", "nothing:here"}}) {
        const SRun run = Cli(args);
        EXPECT_EQ(2, run.exitCode) << args.back() << Describe(run);
    }
}

}  // namespace
