// Why a port could not be opened: what the search and the command line add to
// "could not open port.".
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "SerialPty.h"
#include "core/text/TempDir.h"
#include "device/PortOpenFailure.h"
#include "streamio/FileException.h"
#include "streamio/Rs232Stream.h"
#include "streamio/StreamErrors.h"
#include "text/Encoding.h"

using namespace Device;

namespace {

constexpr std::uint32_t kMode = StreamIO::kOpenRead | StreamIO::kOpenWrite;

// The reason an open of `path` by this process gives; empty when it opened.
std::string ReasonFor(const std::string& path) {
    StreamIO::CRs232Stream stream;
    try {
        if (stream.OpenPath(path, kMode, nullptr)) return {};
        return Text::ToUtf8(CannotOpenPortText(SPortOpenFailure{path, stream.GetLastError(), 0}));
    } catch (const StreamIO::CFileException& e) {
        return Text::ToUtf8(CannotOpenPortText(PortOpenFailureOf(path, e)));
    }
}

// The stream code and errno an open of `path` gives to the user "nobody"
// (a forked child drops root for good; the parent stays root).
SPortOpenFailure FailureAsNobody(const std::string& path) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        int result[2] = {-1, -1};
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            StreamIO::CRs232Stream stream;
            try {
                result[0] = stream.OpenPath(path, kMode, nullptr) ? 0 : stream.GetLastError();
                result[1] = 0;
            } catch (const StreamIO::CFileException& e) {
                result[0] = e.Code();
                result[1] = e.SystemError();
            }
        }
        [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], result, sizeof result);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int result[2] = {-1, -1};
    [[maybe_unused]] const ssize_t n = ::read(pipeFds[0], result, sizeof result);
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return SPortOpenFailure{path, result[0], result[1]};
}

}  // namespace

TEST(PortOpenFailure, EveryReasonWeCanProduceIsNamed) {
    CTempDir dir;
    const std::string file = (dir / "hammer.txt").string();
    std::ofstream(file) << "not a port";
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = (dir / "folder").string();
    std::filesystem::create_directory(folder);
    const std::string dangling = (dir / "dangling").string();
    std::filesystem::create_symlink(dir / "gone", dangling);
    CPtyPair busy;
    StreamIO::CRs232Stream holder;
    ASSERT_TRUE(holder.OpenPath(busy.SlavePath(), kMode, nullptr));
    CPtyPair free;

    const struct {
        const char* what;
        std::string path;
        std::string reason;  // after "could not open port."
    } cases[] = {
        {"missing", (dir / "ttyACM9").string(), " The device does not exist."},
        {"a link to nothing", dangling, " The device does not exist."},
        {"a regular file", file, " It is not a serial device."},
        {"a FIFO", fifo, " It is not a serial device."},
        {"a folder", folder, " It is not a serial device."},
        {"held by another program", busy.SlavePath(), " It is in use by another program."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReasonFor(c.path), "could not open port." + c.reason);
    }
    EXPECT_EQ(ReasonFor(free.SlavePath()), "");
    // Nothing known: the text stays as it was.
    EXPECT_EQ(Text::ToUtf8(CannotOpenPortText(SPortOpenFailure{"", StreamIO::kErrInvalidParameter, 0})),
              "could not open port.");
    // What the system says in other cases, in its English words.
    EXPECT_EQ(
        Text::ToUtf8(CannotOpenPortText(SPortOpenFailure{free.SlavePath(), StreamIO::kErrIoDevice, EIO})),
        "could not open port. The system reports: Input/output error.");
}

TEST(PortOpenFailure, PermissionDeniedNamesTheGroupThatMayOpenTheDevice) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to a group and drop privileges";
    const group* dialout = ::getgrnam("dialout");
    const gid_t gid = dialout != nullptr ? dialout->gr_gid : 20;
    const std::string name = dialout != nullptr ? dialout->gr_name : "20";
    CPtyPair port;
    const std::string path = port.SlavePath();
    ASSERT_EQ(::chown(path.c_str(), 0, gid), 0);

    ASSERT_EQ(::chmod(path.c_str(), 0660), 0);
    const SPortOpenFailure groupMayOpen = FailureAsNobody(path);
    EXPECT_EQ(ClassifyPortOpenFailure(groupMayOpen), EPortProblem::Permission) << groupMayOpen.SystemError;
    EXPECT_EQ(Text::ToUtf8(CannotOpenPortText(groupMayOpen)),
              "could not open port. Permission denied: " + path + " belongs to the group " + name +
                  ". Add your user to the group " + name + " and log in again.");

    // A group that may not open it either is no advice.
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(Text::ToUtf8(CannotOpenPortText(FailureAsNobody(path))),
              "could not open port. Permission denied.");
}
