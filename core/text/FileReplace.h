#pragma once
// Replaces a file so that it holds either its old contents or the complete new
// ones, never a mixture: the bytes go to a hidden temporary file beside the
// target, which is flushed to the disk and then renamed over the target. A
// symbolic link is followed, so the user's link stays and the file it points
// to is replaced. A replaced file keeps its permissions. Whatever fails on the
// way leaves the target untouched and nothing beside it.
//
// Only a regular file (or a new one) is replaced. A device, FIFO or socket
// given as the target (`-o /dev/stdout`, a pipe another program reads) is
// written straight through: renaming over it would put a plain file where the
// system's device was. A regular file nobody may write is refused, also for
// root: a read-only mark is the user's wish that it stays.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace Text {

// The file a chain of symbolic links ends at (a few steps at most).
std::filesystem::path FollowLinks(std::filesystem::path path);

// A name for a temporary file beside `target` that no other writer of this
// process uses: hidden, in the same folder (so the rename stays on one file
// system), within the usual limit of a file name's length.
std::filesystem::path TempNameBeside(const std::filesystem::path& target);

// Makes a rename in `folder` durable. Some file systems refuse this on a
// folder; the data are safe in any case, so it is done as far as it goes.
void SyncFolder(const std::filesystem::path& folder);

// The system's words for an errno value.
std::string DescribeErrno(int errorNumber);

enum class EWriteRoute {
    Replace,  // a regular file or a new one: write beside, rename over
    Through,  // an existing device, FIFO or socket: write into it
};

// How a write reaches `target` (links already followed): 0 with `route` set,
// or the errno that refuses the write (a folder, a read-only regular file, a
// path that cannot be looked at).
int ChooseWriteRoute(const std::filesystem::path& target, EWriteRoute& route);

// Whether two paths name the same file once links are followed: the same
// device and inode when both exist, else the same absolute path.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

class CFileReplacement {
  public:
    // `newFileMode`: the permissions of a file that did not exist before (the
    // user's umask applies).
    // `regularOnly`: refuse (EINVAL) a target that would be written through.
    explicit CFileReplacement(const std::filesystem::path& target, mode_t newFileMode = 0666,
                              bool regularOnly = false);
    // Removes the temporary file unless Commit succeeded.
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Creates the temporary file (or opens a device or FIFO target itself).
    bool Open();
    bool Write(std::string_view bytes);
    // Flushes to the disk and renames over the target; `beforeRename` runs
    // once the new contents are safe, just before the rename (not at all for
    // a target written through).
    bool Commit(const std::function<void()>& beforeRename = {});

    // The errno of the first failure (0 while none).
    int Error() const { return m_error; }
    std::string Reason() const { return DescribeErrno(m_error); }
    // The file that is replaced (links followed).
    const std::filesystem::path& Target() const { return m_target; }

  private:
    bool Fail(int errorNumber);

    std::filesystem::path m_target;
    mode_t m_newFileMode;
    bool m_regularOnly;
    bool m_through = false;
    std::filesystem::path m_temp;
    int m_fd = -1;
    int m_error = 0;
    bool m_committed = false;
};

// Lets a write beyond the file-size limit (ulimit -f) fail with EFBIG, which
// the writers report and clean up after, instead of killing the process by
// SIGXFSZ with a temporary file left behind. Call once at program start.
void FailWritesBeyondFileSizeLimit();

// The whole file at once: 0, or the errno of the failure.
int ReplaceFile(const std::filesystem::path& target, std::string_view bytes, mode_t newFileMode = 0666);

}  // namespace Text
