#include "device/PortOpenFailure.h"

#include <grp.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "streamio/FileException.h"
#include "streamio/StreamErrors.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdCannotOpen = 20004;       // "could not open port."
constexpr unsigned kIdMissing = 62880;          // "The device does not exist."
constexpr unsigned kIdPermissionGroup = 62881;  // "Permission denied: %s belongs to the group %s. ..."
constexpr unsigned kIdPermission = 62882;       // "Permission denied."
constexpr unsigned kIdInUse = 62883;            // "It is in use by another program."
constexpr unsigned kIdNotSerial = 62884;        // "It is not a serial device."
constexpr unsigned kIdSystemSays = 62885;       // "The system reports: %s."

// The group whose members may read and write the device, if any.
std::string GroupThatMayOpen(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return {};
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    group entry{};
    group* found = nullptr;
    while (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || found->gr_name == nullptr) return std::to_string(info.st_gid);
    return found->gr_name;
}

// Something is there, but it is no character device a terminal could sit on.
bool ExistsButIsNoDevice(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISCHR(info.st_mode);
}

}  // namespace

SPortOpenFailure PortOpenFailureOf(const std::string& path, const StreamIO::CFileException& e) {
    return SPortOpenFailure{path, e.Code(), e.SystemError()};
}

EPortProblem ClassifyPortOpenFailure(const SPortOpenFailure& f) {
    const int err = f.SystemError;
    if (f.Code == StreamIO::kErrSharing || err == EBUSY) return EPortProblem::InUse;
    if (err == EACCES || err == EPERM) return EPortProblem::Permission;
    // Opening a socket says ENXIO, like a device whose driver has gone.
    if (ExistsButIsNoDevice(f.Path) || err == ENOTTY || err == EISDIR) return EPortProblem::NotSerial;
    if (err == ENOENT || err == ENOTDIR || err == ENODEV || err == ENXIO) return EPortProblem::Missing;
    if (err == 0 && (f.Code == StreamIO::kErrNotFound || f.Code == StreamIO::kErrPathNotFound)) {
        return EPortProblem::Missing;
    }
    return err != 0 ? EPortProblem::Other : EPortProblem::Unknown;
}

std::u16string DescribePortOpenFailure(const SPortOpenFailure& f) {
    switch (ClassifyPortOpenFailure(f)) {
        case EPortProblem::Missing:
            return Text::LoadString(kIdMissing);
        case EPortProblem::Permission: {
            const std::string group = GroupThatMayOpen(f.Path);
            if (group.empty()) return Text::LoadString(kIdPermission);
            return Text::FormatString(kIdPermissionGroup, f.Path, group, group);
        }
        case EPortProblem::InUse:
            return Text::LoadString(kIdInUse);
        case EPortProblem::NotSerial:
            return Text::LoadString(kIdNotSerial);
        case EPortProblem::Other: {
            // The English text whatever the locale: the rest of the line is ours.
            const char* text = ::strerrordesc_np(f.SystemError);
            return Text::FormatString(
                kIdSystemSays,
                std::string(text != nullptr ? text : "error " + std::to_string(f.SystemError)));
        }
        case EPortProblem::Unknown:
            break;
    }
    return {};
}

std::u16string CannotOpenPortText(const SPortOpenFailure& failure) {
    std::u16string text = Text::LoadString(kIdCannotOpen);
    const std::u16string reason = DescribePortOpenFailure(failure);
    if (!reason.empty()) text += u" " + reason;
    return text;
}

}  // namespace Device
