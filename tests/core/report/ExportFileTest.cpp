// The export file writer: encoding, replacing, and failures reported.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "ReportTestSupport.h"
#include "core/text/TempDir.h"
#include "report/ExportFile.h"

namespace {

namespace fs = std::filesystem;
using Report::WriteExportFile;
using ReportTest::DecodeExportFile;
using ReportTest::ReadBytes;

// Names in the folder, so a test can see that nothing was left beside the target.
std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExportFile, EncodingIsLittleEndianAfterTheByteOrderMark) {
    EXPECT_EQ(std::string("\xFF\xFE", 2), Report::EncodeExportFile(u""));
    EXPECT_EQ(std::string("\xFF\xFE"
                          "A\0\t\0\xB2\0\xAC\x20\x3D\xD8\x00\xDE",
                          14),
              Report::EncodeExportFile(u"A\t\u00B2\u20AC\U0001F600"));
}

TEST(ExportFile, RoundTrip) {
    CTempDir dir;
    const std::u16string text = u"Impact counter\tName\t\r\n17\tW\u00E4nd \U0001F600\t12.5\t";
    const auto file = dir / "out.txt";
    const Report::TExportFileResult r = WriteExportFile(file, text);
    ASSERT_TRUE(r) << r.reason;
    EXPECT_EQ(0, r.errorNumber);
    EXPECT_EQ(text, DecodeExportFile(ReadBytes(file)));
    EXPECT_EQ(std::vector<std::string>{"out.txt"}, Entries(dir.Path()));
}

TEST(ExportFile, EmptyTextGivesAFileHoldingOnlyTheByteOrderMark) {
    CTempDir dir;
    ASSERT_TRUE(WriteExportFile(dir / "empty.txt", u""));
    EXPECT_EQ(std::string("\xFF\xFE"), ReadBytes(dir / "empty.txt"));
}

TEST(ExportFile, ReplacesAnOldFileKeepingItsPermissions) {
    CTempDir dir;
    const auto file = dir.Write("old.txt", "old contents that are longer than the new ones");
    ASSERT_EQ(0, ::chmod(file.c_str(), 0640));
    ASSERT_TRUE(WriteExportFile(file, u"new"));
    EXPECT_EQ(u"new", DecodeExportFile(ReadBytes(file)));
    struct stat st {};
    ASSERT_EQ(0, ::stat(file.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(std::vector<std::string>{"old.txt"}, Entries(dir.Path()));
}

TEST(ExportFile, ALinkStaysALinkAndItsFileIsReplaced) {
    CTempDir dir;
    fs::create_directories(dir / "real");
    const auto real = dir.Write("real/data.txt", "old");
    fs::create_symlink(fs::path("real") / "data.txt", dir / "link.txt");
    ASSERT_TRUE(WriteExportFile(dir / "link.txt", u"through the link"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(u"through the link", DecodeExportFile(ReadBytes(real)));
}

TEST(ExportFile, FailuresAreReportedWithTheSystemsReason) {
    CTempDir dir;
    fs::create_directories(dir / "folder" / "inside");  // a folder that is not empty
    const auto plainFile = dir.Write("plain", "x");
    const std::vector<std::string> before = Entries(dir.Path());

    struct SCase {
        const char* what;
        fs::path target;
        int errorNumber;
    };
    const SCase cases[] = {
        {"missing folder", dir / "missing" / "out.txt", ENOENT},
        {"a file in place of the folder", plainFile / "out.txt", ENOTDIR},
        {"a folder in place of the file", dir / "folder", EISDIR},
        {"no name at all", fs::path(), EINVAL},
        {"a folder path", dir.Path() / "", EINVAL},
    };
    for (const auto& c : cases) {
        const Report::TExportFileResult r = WriteExportFile(c.target, u"text");
        EXPECT_FALSE(r) << c.what;
        EXPECT_EQ(c.errorNumber, r.errorNumber) << c.what << ": " << r.reason;
        EXPECT_FALSE(r.reason.empty()) << c.what;
    }
    // Nothing created or left behind, the folder and the file untouched.
    EXPECT_EQ(before, Entries(dir.Path()));
    EXPECT_TRUE(fs::is_directory(dir / "folder" / "inside"));
    EXPECT_EQ("x", ReadBytes(plainFile));
}

// Runs in a child process: a file size limit makes the write itself fail
// half-way, as a full disk would.
bool WriteUnderSizeLimit(const fs::path& file) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    const Report::TExportFileResult r = WriteExportFile(file, std::u16string(5000, u'x'));
    return !r && r.errorNumber == EFBIG && !r.reason.empty();
}

TEST(ExportFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    CTempDir dir;
    const auto file = dir.Write("old.txt", "the user's old export");
    EXPECT_EXIT(std::exit(WriteUnderSizeLimit(file) ? 0 : 1), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("the user's old export", ReadBytes(file));
    EXPECT_EQ(std::vector<std::string>{"old.txt"}, Entries(dir.Path()));
}

}  // namespace
