#pragma once
// The decisions of the two update checks, apart from the server and from any
// thread: which installer is the best candidate, which firmware and
// operating-system versions are newer than the installed ones, and when the
// user is reminded that the server has not been reachable for a long time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Version.h"
#include "update/Sha256.h"
#include "update/UpdateNames.h"

namespace Device {
class CContents;
}
namespace Settings {
class CSettingsStore;
}
namespace Text {
struct SMessage;
}

namespace Update {

class CUpdateServerSession;

struct SInstallerName {
    std::string name;
    CVersion version;
    bool operator==(const SInstallerName&) const = default;
};

// The installers of a listing that are newer than `current`, best first: the
// highest version, and among equal versions the one listed first. Names that
// are not safe are left out, since they can never be fetched.
std::vector<SInstallerName> RankInstallers(const std::vector<std::string>& names, CVersion current,
                                           std::string_view extension = kInstallerExtension);

struct SInstaller {
    std::string name;
    std::uint64_t size = 0;
    CVersion version;
    // "<name>.sha256" when the folder holds it.
    std::optional<std::string> digestName;
};

struct SInstallerSearch {
    bool connected = false;
    // Whether the folder could be listed: only then does "no installer" mean
    // that nothing newer is offered.
    bool listed = false;
    std::optional<SInstaller> installer;  // nothing when nothing newer is offered
};

// Opens the session on the product's folder and finds the installer
// (FindInstaller). The session stays open for a download; failures are the
// session's.
SInstallerSearch SearchInstaller(CUpdateServerSession& session, std::string_view productName,
                                 CVersion current, std::string_view extension = kInstallerExtension);
// On an open session: lists the folder and finds the best installer newer than
// `current` (the first of the ranking whose size the server can tell and is
// not 0).
SInstallerSearch FindInstaller(CUpdateServerSession& session, CVersion current,
                               std::string_view extension = kInstallerExtension);

// The background check at start: as SearchInstaller but without showing any
// failure, and with the connection closed afterwards. The version to report:
// 0 when there is no connection or nothing newer.
CVersion BackgroundInstallerCheck(CUpdateServerSession& session, std::string_view productName,
                                  CVersion current);

// The digest an installer must match: nothing to check when the folder has no
// digest file; a failure (text set on the session) when it has one that cannot
// be read. `ok` tells the two apart.
std::optional<CSha256::Digest> FetchInstallerDigest(CUpdateServerSession& session,
                                                    const SInstaller& installer, bool& ok);

// The newest firmware and operating-system versions of a package listing
// against what is installed. For each installed component of kind 1 or 2
// every package name is read for that kind; the highest version above the
// installed one is the result, in whatever order the server lists the names.
// 0 where nothing is newer.
struct SPackageVersions {
    CVersion firmware;
    CVersion os;
    bool operator==(const SPackageVersions&) const = default;
};
SPackageVersions NewestPackages(const std::vector<std::string>& names, const Device::CContents& installed);

// How often in a row the update server could not be reached for the firmware
// check, and how many failures are allowed before the user is reminded. Kept
// as decimal texts "FwUpdateFailCount" and "FwUpdateFailCountMax"; a value
// that is missing, not text, or no decimal number takes its default (0, 100).
struct TFailureCounter {
    static constexpr std::uint32_t kDefaultLimit = 100;
    std::uint32_t count = 0;
    std::uint32_t limit = kDefaultLimit;

    void RecordSuccess();
    // True when the user is to be reminded now. The reminders come after 101
    // failures, then after 51, 26, 13 and 7, then after 11 and 6 in turn.
    bool RecordFailure();

    static TFailureCounter Load(Settings::CSettingsStore& store, std::u16string_view key);
    bool Store(Settings::CSettingsStore& store, std::u16string_view key) const;
    bool operator==(const TFailureCounter&) const = default;
};

// "Software\Tolvex\<product>\Settings".
std::u16string FirmwareSettingsKey(std::u16string_view productName);

// The device type code as the server's folder names it: "%08x".
std::string DeviceFolder(std::uint32_t deviceCode);

struct SFirmwareCheck {
    bool connected = false;
    SPackageVersions newest;
    bool remind = false;  // show the reminder (ReminderMessage) now
};

// One firmware check: opens the session (errors not shown) on the device's
// folder, lists the packages and compares them with `installed`; counts the
// outcome in the store under `key`.
SFirmwareCheck RunFirmwareCheck(CUpdateServerSession& session, std::uint32_t deviceCode,
                                const Device::CContents& installed, Settings::CSettingsStore* store,
                                std::u16string_view key);

// The reminder that the update server has not been reachable, naming the device.
Text::SMessage ReminderMessage(std::u16string_view deviceName);

}  // namespace Update
