// The update checks against a real FTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "core/text/TempDir.h"
#include "device/Contents.h"
#include "settings/SettingsStore.h"
#include "support/FtpServer.h"
#include "support/ScriptedPrompt.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "update/UpdateChecks.h"
#include "update/UpdateServer.h"
#include "update/UpdateServerSession.h"
#include "update/UpdateStrings.h"

namespace {

using Update::CFtpDownload;
using Update::CSha256;
using Update::CUpdateServerSession;

const std::string kFolder = "ZvUpgrade/Brelvantor/";

std::string Bytes(std::size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    unsigned x = seed;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

// Runs a download to its end the way its owners do.
CFtpDownload::EState RunToEnd(CFtpDownload& download) {
    while (download.Step(CFtpDownload::ChunkSize(download.Size())) == CFtpDownload::EState::Running) {
    }
    return download.State();
}

class UpdateServer : public ::testing::Test {
  protected:
    CTempDir dir;
    std::unique_ptr<CFtpServer> server;
    CScriptedPrompt prompt;

    void Start(CFtpServer::SOptions options = {}) {
        server = std::make_unique<CFtpServer>(dir / "srv", options);
    }
    void Put(const std::string& name, const std::string& bytes, const std::string& folder = kFolder) {
        server->Put(folder + name, bytes);
    }
    std::filesystem::path Local() {
        std::filesystem::create_directories(dir / "local");
        return dir / "local";
    }
};

TEST_F(UpdateServer, FindsTheNumericallyNewestInstaller) {
    Start();
    Put("Brelvantor_V_2_2_0_0.deb", "current");
    Put("Brelvantor_V_2_3_0_0.deb", "two-three");
    Put("Brelvantor_V_2_10_0_0.deb", Bytes(1234));
    Put("Brelvantor_V_3_0_0_0.DEB", "upper case");
    Put("Brelvantor_V_beta.deb", "unparsable");
    // A folder named like an installer is passed over.
    std::filesystem::create_directories(server->Root() / kFolder / "Brelvantor_V_4_0_0_0.deb");
    // So is an empty file, as an upload to the server that broke off leaves it:
    // it would be offered, "downloaded" at once and started.
    Put("Brelvantor_V_5_0_0_0.deb", "");

    CUpdateServerSession session(server->Url(), &prompt);
    const auto search = Update::SearchInstaller(session, "Brelvantor", CVersion(2, 2, 0, 0), ".deb");
    EXPECT_TRUE(search.connected);
    ASSERT_TRUE(search.installer);
    EXPECT_EQ(search.installer->name, "Brelvantor_V_2_10_0_0.deb");
    EXPECT_EQ(search.installer->version, CVersion(2, 10, 0, 0));
    EXPECT_EQ(search.installer->size, 1234u);
    EXPECT_FALSE(search.installer->digestName);
    EXPECT_TRUE(prompt.shown.empty());

    // The listing is fresh each time: what the server has now counts.
    Put("Brelvantor_V_2_11_0_0.deb", "newer");
    EXPECT_EQ(Update::BackgroundInstallerCheck(session, "Brelvantor", CVersion(2, 2, 0, 0)),
              CVersion(2, 11, 0, 0));
    // Nothing newer than what runs.
    EXPECT_EQ(Update::BackgroundInstallerCheck(session, "Brelvantor", CVersion(2, 11, 0, 0)), CVersion());
}

TEST_F(UpdateServer, EmptyAndMissingFolders) {
    Start();
    std::filesystem::create_directories(server->Root() / kFolder);
    // An address without a scheme is an FTP server's, as the update server
    // always is (the system's guess would be a web server's).
    const std::string url = server->Url();
    for (const std::string& address : {url, url.substr(url.find("://") + 3)}) {
        CUpdateServerSession session(address, &prompt);
        const auto search = Update::SearchInstaller(session, "Brelvantor", CVersion(1, 0, 0, 0));
        EXPECT_TRUE(search.connected) << address << ": " << Text::ToUtf8(session.LastError());
        EXPECT_FALSE(search.installer);
        EXPECT_TRUE(session.IsOpen());
    }
    ASSERT_TRUE(prompt.shown.empty());
    // A missing folder is named in the failure, shown while errors are shown.
    CUpdateServerSession session(server->Url(), &prompt);
    EXPECT_FALSE(session.Open("Nothing"));
    EXPECT_EQ(session.LastErrorId(), Update::kIdFolderMissing);
    EXPECT_EQ(session.LastError(), Text::FormatString(Update::kIdFolderMissing, "./ZvUpgrade/Nothing/"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].textId, Update::kIdFolderMissing);
    EXPECT_EQ(prompt.shown[0].icon, Text::MsgIcon::Error);
    EXPECT_FALSE(session.IsOpen());
    // The background check shows nothing and reports nothing.
    EXPECT_EQ(Update::BackgroundInstallerCheck(session, "Nothing", CVersion()), CVersion());
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(session.ShowErrors());
}

TEST_F(UpdateServer, AListingThatFailsIsNotNothingNewer) {
    Start();
    Put("Brelvantor_V_2_0_0_0.deb", "x");
    // The server breaks down while it lists the folder.
    server->ListExtra(kFolder, {"not json"});
    CUpdateServerSession session(server->Url(), &prompt);
    const auto search = Update::SearchInstaller(session, "Brelvantor", CVersion(1, 0, 0, 0));
    EXPECT_TRUE(search.connected);
    EXPECT_FALSE(search.listed);
    EXPECT_FALSE(search.installer);
    EXPECT_FALSE(session.LastError().empty());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].icon, Text::MsgIcon::Error);
}

TEST_F(UpdateServer, ConnectionFailuresCarryTheSystemTextAndNumber) {
    Start();
    Put("Brelvantor_V_9_0_0_0.deb", "x");
    struct SCase {
        const char* what;
        std::string url;
        int code;
    } const cases[] = {
        {"wrong password", server->Url("wrong"), 67},
        {"nobody listening", "ftp://update:pw@127.0.0.1:1/", 7},
        {"not an FTP address", "file:///etc/", 1},
    };
    for (const auto& c : cases) {
        CScriptedPrompt shown;
        CUpdateServerSession session(c.url, &shown);
        EXPECT_FALSE(session.Open("Brelvantor")) << c.what;
        const std::u16string number = Text::FormatString(Update::kIdErrorNumber, c.code);
        const std::u16string& text = session.LastError();
        ASSERT_GE(text.size(), number.size() + 2) << c.what;
        EXPECT_EQ(text.substr(text.size() - number.size()), number) << c.what;
        EXPECT_EQ(text[text.size() - number.size() - 1], u' ') << c.what;
        ASSERT_EQ(shown.shown.size(), 1u) << c.what;
        EXPECT_EQ(shown.shown[0].icon, Text::MsgIcon::Error);
        // Never the password in what the user sees.
        EXPECT_EQ(text.find(u"s3cret"), std::u16string::npos);
        EXPECT_EQ(Update::BackgroundInstallerCheck(session, "Brelvantor", CVersion()), CVersion()) << c.what;
        EXPECT_EQ(shown.shown.size(), 1u) << c.what;
    }
}

TEST_F(UpdateServer, DownloadChecksSizeAndDigest) {
    Start();
    const std::string good = Bytes(300000, 7);
    Put("Brelvantor_V_2_0_0_0.deb", good);
    Put("Brelvantor_V_2_0_0_0.deb.sha256",
        CSha256::ToHex(CSha256::Of(good)) + "  Brelvantor_V_2_0_0_0.deb\n");
    Put("Brelvantor_V_1_9_0_0.deb", Bytes(1000, 8));
    Put("Brelvantor_V_1_9_0_0.deb.sha256", CSha256::ToHex(CSha256::Of("something else")) + "\n");
    Put("Brelvantor_V_1_8_0_0.deb", Bytes(10, 9));
    Put("Brelvantor_V_1_8_0_0.deb.sha256", "not a digest\n");

    struct SCase {
        CVersion current;
        const char* name;
        CFtpDownload::EState state;
        unsigned failure;
    } const cases[] = {
        {CVersion(1, 0, 0, 0), "Brelvantor_V_2_0_0_0.deb", CFtpDownload::EState::Done, 0},
        {CVersion(1, 0, 0, 0), "Brelvantor_V_1_9_0_0.deb", CFtpDownload::EState::Failed,
         Update::kIdDigestMismatch},
        {CVersion(1, 0, 0, 0), "Brelvantor_V_1_8_0_0.deb", CFtpDownload::EState::Failed,
         Update::kIdDigestUnreadable},
    };
    for (const auto& c : cases) {
        CScriptedPrompt shown;
        CUpdateServerSession session(server->Url(), &shown);
        ASSERT_TRUE(session.Open("Brelvantor"));
        Update::SInstaller installer{c.name, *session.FileSize(c.name), CVersion(),
                                     std::string(c.name) + ".sha256"};
        const auto target = Local() / c.name;
        bool ok = true;
        const auto digest = Update::FetchInstallerDigest(session, installer, ok);
        if (!ok) {
            EXPECT_EQ(session.LastErrorId(), c.failure) << c.name;
            EXPECT_FALSE(std::filesystem::exists(target));
            continue;
        }
        ASSERT_TRUE(digest) << c.name;
        auto download = session.StartDownload(c.name, installer.size, target, digest);
        ASSERT_TRUE(download);
        EXPECT_EQ(RunToEnd(*download), c.state) << c.name;
        if (c.state == CFtpDownload::EState::Done) {
            EXPECT_EQ(CTempDir::Read(target), good);
            EXPECT_TRUE(shown.shown.empty());
        } else {
            EXPECT_FALSE(std::filesystem::exists(target)) << c.name;
            EXPECT_EQ(session.LastErrorId(), c.failure) << c.name;
            ASSERT_EQ(shown.ShownIds(), std::vector<unsigned>{c.failure});
        }
        auto part = target;
        part += ".part";
        EXPECT_FALSE(std::filesystem::exists(part)) << c.name;
    }
}

// FTPS both ways against a certificate of our own: the login works with the
// authority named, the certificate is checked without it, and "ftpes://" never
// falls back to plain FTP. (The test server's protected data connections fail
// against libcurl, so the listing and the download are covered over plain FTP.)
TEST_F(UpdateServer, FtpsImplicitAndExplicitWithTheCertificateChecked) {
    const auto key = dir / "key.pem";
    const auto cert = dir / "cert.pem";
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key.string() + "' -out '" + cert.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const auto both = dir / "server.pem";
    {
        std::ofstream out(both, std::ios::binary);
        out << CTempDir::Read(key) << CTempDir::Read(cert);
    }
    const char* oldCa = std::getenv(Update::kCaFileEnvironmentVariable);
    const std::string keptCa = oldCa ? oldCa : "";

    struct SCase {
        const char* tls;
        const char* scheme;
    } const cases[] = {{"implicit", "ftps"}, {"explicit", "ftpes"}, {"explicit", "FTPES"}};
    for (const auto& c : cases) {
        server =
            std::make_unique<CFtpServer>(dir / "srv", CFtpServer::SOptions{}, CFtpServer::STls{c.tls, both});
        Put("Brelvantor_V_2_0_0_0.deb", "x");
        unsetenv(Update::kCaFileEnvironmentVariable);
        {
            CScriptedPrompt shown;
            CUpdateServerSession session(server->Url(CFtpServer::kPassword, c.scheme), &shown);
            EXPECT_FALSE(session.Open("Brelvantor")) << c.scheme << ": an unknown authority is refused";
            EXPECT_EQ(shown.shown.size(), 1u) << c.scheme;
        }
        setenv(Update::kCaFileEnvironmentVariable, cert.c_str(), 1);
        CScriptedPrompt shown;
        CUpdateServerSession session(server->Url(CFtpServer::kPassword, c.scheme), &shown);
        EXPECT_TRUE(session.Open("Brelvantor")) << c.scheme << ": " << Text::ToUtf8(session.LastError());
        EXPECT_TRUE(shown.shown.empty()) << c.scheme;
        server.reset();
    }
    // A plain server: "ftpes://" stops rather than sending the password in clear.
    Start();
    Put("Brelvantor_V_2_0_0_0.deb", "x");
    CScriptedPrompt shown;
    CUpdateServerSession session(server->Url(CFtpServer::kPassword, "ftpes"), &shown);
    EXPECT_FALSE(session.Open("Brelvantor"));
    EXPECT_EQ(shown.shown.size(), 1u);

    if (oldCa)
        setenv(Update::kCaFileEnvironmentVariable, keptCa.c_str(), 1);
    else
        unsetenv(Update::kCaFileEnvironmentVariable);
}

TEST_F(UpdateServer, MoreBytesThanListedIsAFailure) {
    Start();
    Put("Brelvantor_V_2_0_0_0.deb", Bytes(5000));
    CUpdateServerSession session(server->Url(), &prompt);
    ASSERT_TRUE(session.Open("Brelvantor"));
    const auto size = session.FileSize("Brelvantor_V_2_0_0_0.deb");
    ASSERT_EQ(size, 5000u);
    // The file grows between the listing and the download.
    Put("Brelvantor_V_2_0_0_0.deb", Bytes(200000));
    const auto target = Local() / "Brelvantor_V_2_0_0_0.deb";
    auto download = session.StartDownload("Brelvantor_V_2_0_0_0.deb", *size, target, std::nullopt);
    ASSERT_TRUE(download);
    EXPECT_EQ(RunToEnd(*download), CFtpDownload::EState::Failed);
    EXPECT_LE(download->Received(), 5000u);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(std::filesystem::is_empty(Local()));
    EXPECT_EQ(session.LastErrorId(), Update::kIdSizeMismatch);
}

TEST_F(UpdateServer, ServerGoingAwayMidTransferRemovesThePartialFile) {
    Start({.dieAfter = 100000});
    Put("Brelvantor_V_2_0_0_0.deb", Bytes(400000));
    CUpdateServerSession session(server->Url(), &prompt);
    ASSERT_TRUE(session.Open("Brelvantor"));
    const auto target = Local() / "Brelvantor_V_2_0_0_0.deb";
    auto download = session.StartDownload("Brelvantor_V_2_0_0_0.deb", 400000, target, std::nullopt);
    ASSERT_TRUE(download);
    EXPECT_EQ(RunToEnd(*download), CFtpDownload::EState::Failed);
    EXPECT_TRUE(server->WaitExited());
    EXPECT_LT(download->Received(), 400000u);
    EXPECT_TRUE(std::filesystem::is_empty(Local()));
    EXPECT_EQ(session.LastErrorId(), Update::kIdSizeMismatch);
    const std::u16string& text = download->FailureText();
    EXPECT_EQ(text.rfind(Text::LoadString(Update::kIdUnknownDownloadError), 0), 0u);
    EXPECT_NE(text.find(u"400000"), std::u16string::npos);
    ASSERT_EQ(prompt.ShownIds(), std::vector<unsigned>{Update::kIdSizeMismatch});
    // The connection is gone, and the session says so.
    EXPECT_FALSE(session.IsOpen());
}

TEST_F(UpdateServer, CancelAndLocalFailures) {
    Start();
    Put("Brelvantor_V_2_0_0_0.deb", Bytes(2000000));
    CUpdateServerSession session(server->Url(), &prompt);
    ASSERT_TRUE(session.Open("Brelvantor"));
    const auto target = Local() / "Brelvantor_V_2_0_0_0.deb";
    {
        auto download = session.StartDownload("Brelvantor_V_2_0_0_0.deb", 2000000, target, std::nullopt);
        ASSERT_TRUE(download);
        while (download->Received() == 0 && download->Step(1) == CFtpDownload::EState::Running) {
        }
        download->Cancel();
        EXPECT_TRUE(std::filesystem::is_empty(Local()));
    }
    // A target whose folder cannot take it: the caller is told so and may ask
    // for another place.
    bool localFailed = false;
    EXPECT_FALSE(session.StartDownload("Brelvantor_V_2_0_0_0.deb", 2000000, dir / "no" / "such" / "x.deb",
                                       std::nullopt, &localFailed));
    EXPECT_TRUE(localFailed);
    EXPECT_EQ(session.LastErrorId(), Update::kIdLocalWriteFailed);
    // Unsafe names are never fetched or written.
    localFailed = true;
    EXPECT_FALSE(session.StartDownload("../Brelvantor_V_2_0_0_0.deb", 1, target, std::nullopt, &localFailed));
    EXPECT_FALSE(localFailed);
    EXPECT_FALSE(session.FileSize("../ZvUpgrade/Brelvantor/Brelvantor_V_2_0_0_0.deb"));
    // The session still works after all this.
    auto again = session.StartDownload("Brelvantor_V_2_0_0_0.deb", 2000000, target, std::nullopt);
    ASSERT_TRUE(again);
    EXPECT_EQ(RunToEnd(*again), CFtpDownload::EState::Done);
    EXPECT_EQ(std::filesystem::file_size(target), 2000000u);
}

TEST_F(UpdateServer, EachStepTakesAboutOneChunk) {
    // However fast the line, a step hands over about one chunk, so that the
    // window stays responsive between steps.
    Start();
    const std::string bytes = Bytes(3000000, 3);
    Put("Brelvantor_V_2_0_0_0.deb", bytes);
    CUpdateServerSession session(server->Url(), &prompt);
    ASSERT_TRUE(session.Open("Brelvantor"));
    const auto target = Local() / "Brelvantor_V_2_0_0_0.deb";
    auto download = session.StartDownload("Brelvantor_V_2_0_0_0.deb", bytes.size(), target, std::nullopt);
    ASSERT_TRUE(download);
    const std::uint64_t chunk = CFtpDownload::ChunkSize(bytes.size());
    EXPECT_GE(chunk, 64u * 1024);
    constexpr std::uint64_t kOneBuffer = 16 * 1024;  // libcurl hands data over in pieces up to this
    std::uint64_t before = 0;
    while (download->Step(chunk) == CFtpDownload::EState::Running) {
        EXPECT_LE(download->Received() - before, chunk + kOneBuffer);
        before = download->Received();
    }
    EXPECT_EQ(download->State(), CFtpDownload::EState::Done);
    EXPECT_EQ(CTempDir::Read(target), bytes);
}

TEST_F(UpdateServer, HostileNamesAndALargeListing) {
    Start();
    std::filesystem::create_directories(server->Root() / kFolder);
    std::vector<std::string> extra{R"("../Brelvantor_V_9_0_0_0.deb")", R"("sub/Brelvantor_V_9_1_0_0.deb")",
                                   R"("..\\Brelvantor_V_9_2_0_0.deb")", R"("Brelvantor\u0001_V_9_3_0_0.deb")",
                                   R"("/tmp/Brelvantor_V_9_4_0_0.deb")"};
    for (int i = 0; i < 10000; ++i)
        extra.push_back("\"Other_" + std::to_string(i) +
                        (i % 2 ? "_V_1_" + std::to_string(i) + ".deb\"" : ".txt\""));
    server->ListExtra(kFolder, extra);
    Put("Brelvantor_V_2_5_0_0.deb", "the real one");

    CUpdateServerSession session(server->Url(), &prompt);
    ASSERT_TRUE(session.Open("Brelvantor"));
    const auto names = session.List();
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 10006u);
    session.Close();
    const auto search = Update::SearchInstaller(session, "Brelvantor", CVersion(2, 0, 0, 0), ".deb");
    ASSERT_TRUE(search.installer);
    EXPECT_EQ(search.installer->name, "Brelvantor_V_2_5_0_0.deb");
    EXPECT_EQ(search.installer->size, 12u);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(UpdateServer, FirmwareCheckAndFailureCounter) {
    Start();
    const std::string folder = "ZvUpgrade/05010000/";
    Put("TB-V2.0.0_FW.lod", "fw", folder);
    Put("TB-V1.0.0_FW.lod", "old", folder);
    Put("TB-V3.0.0_FW.LOD", "upper", folder);
    Put("TB_V4.0.0_FW.lod", "no -V", folder);
    Put("TB-V5.0.0_OS.lod", "os", folder);

    Device::CContents installed;
    Device::SContentEntry app;
    app.Kind = Device::kContentApplication;
    app.Version = CVersion(1, 5, 0, 0);
    installed.Add(app);

    Settings::CSettingsStore store(dir / "settings");
    const std::u16string key = Update::FirmwareSettingsKey(u"Brelvantor");
    ASSERT_TRUE((Update::TFailureCounter{100, 100}).Store(store, key));

    // Reached: the counter starts again.
    CUpdateServerSession session(server->Url(), &prompt);
    auto check = Update::RunFirmwareCheck(session, 0x05010000, installed, &store, key);
    EXPECT_TRUE(check.connected);
    EXPECT_FALSE(check.remind);
    EXPECT_EQ(check.newest.firmware, CVersion(2, 0, 0, 0));
    EXPECT_EQ(check.newest.os, CVersion());
    EXPECT_EQ(Text::FormatString(Update::kIdUpdateFirmware, check.newest.firmware.ToString3()),
              u"Update Talvenbrecker to version 2.0.0");
    EXPECT_EQ(Update::TFailureCounter::Load(store, key), (Update::TFailureCounter{0, 100}));

    // Not reached with 100 of 100 failures stored: the reminder is due now.
    ASSERT_TRUE((Update::TFailureCounter{100, 100}).Store(store, key));
    CUpdateServerSession wrong(server->Url("wrong"), &prompt);
    check = Update::RunFirmwareCheck(wrong, 0x05010000, installed, &store, key);
    EXPECT_FALSE(check.connected);
    EXPECT_TRUE(check.remind);
    EXPECT_EQ(store.ReadValue(key, u"FwUpdateFailCount")->text, u"0");
    EXPECT_EQ(store.ReadValue(key, u"FwUpdateFailCountMax")->text, u"50");
    check = Update::RunFirmwareCheck(wrong, 0x05010000, installed, &store, key);
    EXPECT_FALSE(check.remind);
    EXPECT_EQ(store.ReadValue(key, u"FwUpdateFailCount")->text, u"1");
    // The check never shows the session's failures itself.
    EXPECT_TRUE(prompt.shown.empty());
    const auto reminder = Update::ReminderMessage(u"Talvenbrecker PCL");
    EXPECT_EQ(reminder.textId, Update::kIdReminder);
    EXPECT_EQ(reminder.icon, Text::MsgIcon::Information);
    EXPECT_NE(reminder.text.find(u"for the Talvenbrecker PCL device"), std::u16string::npos);
}

}  // namespace
