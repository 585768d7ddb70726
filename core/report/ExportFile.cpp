#include "report/ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

namespace Report {
namespace {

namespace fs = std::filesystem;

TExportFileResult Failure(int errorNumber) {
    TExportFileResult r;
    r.errorNumber = errorNumber;
    r.reason = std::system_category().message(errorNumber);
    return r;
}

int WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// The file a chain of symbolic links ends at (a few steps at most), so that
// replacing it keeps the user's link.
fs::path ResolveLinks(fs::path target) {
    std::error_code ec;
    for (int hops = 0; hops < 8 && fs::is_symlink(target, ec); ++hops) {
        fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// A new file beside the target with a name nobody else uses, created
// exclusively with the permissions a new file would get.
int CreateTemp(const fs::path& target, std::string& tempName, int& errorNumber) {
    static std::atomic<unsigned> counter{0};
    // Room for the suffix within the longest name a folder entry may have.
    std::string name = target.filename().string();
    if (name.size() > 200) name.resize(200);
    const std::string base = (target.parent_path() / ("." + name)).string();
    const auto salt =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = base + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                   std::to_string(salt % 1000000u) + ".tmp";
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST && errno != EINTR) {
            errorNumber = errno;
            return -1;
        }
    }
    errorNumber = EEXIST;
    return -1;
}

void SyncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: some file systems refuse it on folders
    ::close(fd);
}

}  // namespace

std::string EncodeExportFile(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes += '\xFF';
    bytes += '\xFE';
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TExportFileResult WriteExportFile(const fs::path& requested, std::u16string_view text) {
    if (requested.empty() || !requested.has_filename()) return Failure(EINVAL);
    const fs::path target = ResolveLinks(requested);
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();

    std::string temp;
    int error = 0;
    const int fd = CreateTemp(target, temp, error);
    if (fd < 0) return Failure(error);

    // A replaced file keeps the permissions the user gave it.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);

    error = WriteAll(fd, EncodeExportFile(text));
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return Failure(error);
    }
    SyncFolder(dir);
    TExportFileResult ok;
    ok.ok = true;
    return ok;
}

}  // namespace Report
