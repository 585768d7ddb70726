#include "text/FileReplace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <future>

#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

// Everything in `folder` but the names given: what a writer left behind.
std::vector<std::string> Leftovers(const fs::path& folder, std::initializer_list<std::string> expected) {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
    }
    return extra;
}

}  // namespace

TEST(FileReplace, DevicesAndPipesAreWrittenIntoNeverReplaced) {
    CTempDir dir;
    // A node of our own with the numbers of the system's null device: what is
    // written vanishes, and the node must still be a device afterwards.
    const fs::path device = dir / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "mknod is not permitted here";
    const fs::path link = dir / "to-null";
    fs::create_symlink(device, link);
    for (const fs::path& target : {device, link}) {
        SCOPED_TRACE(target.string());
        EXPECT_EQ(Text::ReplaceFile(target, "export bytes"), 0);
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_TRUE(fs::is_symlink(link));

    // A FIFO another program reads gets the bytes in one piece.
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return CTempDir::Read(fifo); });
    EXPECT_EQ(Text::ReplaceFile(fifo, "through the pipe"), 0);
    EXPECT_EQ(reader.get(), "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));

    // The settings store asks for regular files only.
    Text::CFileReplacement regularOnly(device, 0600, /*regularOnly=*/true);
    EXPECT_FALSE(regularOnly.Open());
    EXPECT_EQ(regularOnly.Error(), EINVAL);
    EXPECT_TRUE(Leftovers(dir.Path(), {"null", "to-null", "pipe"}).empty());
}

TEST(FileReplace, ReadOnlyFilesAndFoldersAreRefusedAndLeftAsTheyWere) {
    CTempDir dir;
    const fs::path readOnly = dir.Write("kept.txt", "the user's own");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(dir / "folder");
    struct Case {
        fs::path target;
        int error;
    };
    const Case cases[] = {{readOnly, EACCES}, {dir / "folder", EISDIR}, {dir / "kept.txt" / "below", ENOTDIR}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.string());
        EXPECT_EQ(Text::ReplaceFile(c.target, "new"), c.error);
    }
    EXPECT_EQ(CTempDir::Read(readOnly), "the user's own");
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(Leftovers(dir.Path(), {"kept.txt", "folder"}).empty());
}

TEST(FileReplace, SameFileFollowsLinksAndKnowsNewNames) {
    CTempDir dir;
    const fs::path file = dir.Write("a.zvh", "x");
    fs::create_symlink(file, dir / "link.zvh");
    fs::create_directory(dir / "sub");
    EXPECT_TRUE(Text::IsSameFile(file, dir / "link.zvh"));
    EXPECT_TRUE(Text::IsSameFile(file, dir / "sub" / ".." / "a.zvh"));
    EXPECT_FALSE(Text::IsSameFile(file, dir / "b.zvh"));
    // Two names of a file that does not exist yet.
    EXPECT_TRUE(Text::IsSameFile(dir / "new.txt", dir / "sub" / ".." / "new.txt"));
    EXPECT_FALSE(Text::IsSameFile(dir / "new.txt", dir / "new.csv"));
}

TEST(FileReplace, AFileSizeLimitIsAnErrorNotTheEndOfTheProgram) {
    CTempDir dir;
    const fs::path target = dir / "big.txt";
    // In a child: the limit and the signal's disposition are the process's own.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Text::FailWritesBeyondFileSizeLimit();
        const int error = Text::ReplaceFile(target, std::string(65536, 'x'));
        ::_exit(error == EFBIG ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Leftovers(dir.Path(), {}).empty());
}
