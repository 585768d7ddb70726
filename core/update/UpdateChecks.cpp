#include "update/UpdateChecks.h"

#include <algorithm>
#include <cstdio>

#include "device/Contents.h"
#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "text/StringTable.h"
#include "text/UserPrompt.h"
#include "update/UpdateServerSession.h"
#include "update/UpdateStrings.h"

namespace Update {
namespace {

constexpr const char16_t* kValueFailCount = u"FwUpdateFailCount";
constexpr const char16_t* kValueFailLimit = u"FwUpdateFailCountMax";
// A digest file holds a line; anything much longer is not one.
constexpr std::size_t kMaxDigestFile = 4096;

std::optional<std::uint32_t> ReadDecimal(Settings::CSettingsStore& store, std::u16string_view key,
                                         std::u16string_view name) {
    const auto value = store.ReadValue(key, name);
    if (!value || value->type != Settings::EValueType::String) return std::nullopt;
    const std::u16string& text = value->text;
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t number = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    if (number > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

}  // namespace

std::vector<SInstallerName> RankInstallers(const std::vector<std::string>& names, CVersion current,
                                           std::string_view extension) {
    std::vector<SInstallerName> ranked;
    for (const std::string& name : names) {
        if (!IsSafeServerName(name)) continue;
        const CVersion v = InstallerVersion(name, extension);
        if (v > current) ranked.push_back({name, v});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const SInstallerName& a, const SInstallerName& b) { return a.version > b.version; });
    return ranked;
}

SInstallerSearch SearchInstaller(CUpdateServerSession& session, std::string_view productName,
                                 CVersion current, std::string_view extension) {
    if (!session.Open(productName)) return {};
    return FindInstaller(session, current, extension);
}

SInstallerSearch FindInstaller(CUpdateServerSession& session, CVersion current, std::string_view extension) {
    SInstallerSearch search;
    search.connected = true;
    const auto names = session.List();
    if (!names) return search;
    search.listed = true;
    for (const SInstallerName& candidate : RankInstallers(*names, current, extension)) {
        // A folder named like an installer has no size, and an empty file (an
        // upload to the server that broke off) is no installer to start; the
        // next one may do.
        const auto size = session.FileSize(candidate.name);
        if (!size || *size == 0) continue;
        SInstaller installer{candidate.name, *size, candidate.version, std::nullopt};
        const std::string digest = candidate.name + ".sha256";
        if (std::find(names->begin(), names->end(), digest) != names->end()) installer.digestName = digest;
        search.installer = std::move(installer);
        break;
    }
    return search;
}

CVersion BackgroundInstallerCheck(CUpdateServerSession& session, std::string_view productName,
                                  CVersion current) {
    const bool show = session.ShowErrors();
    session.SetShowErrors(false);
    const SInstallerSearch search = SearchInstaller(session, productName, current);
    session.SetShowErrors(show);
    session.Close();
    return search.installer ? search.installer->version : CVersion();
}

std::optional<CSha256::Digest> FetchInstallerDigest(CUpdateServerSession& session,
                                                    const SInstaller& installer, bool& ok) {
    ok = true;
    if (!installer.digestName) return std::nullopt;
    const auto text = session.Fetch(*installer.digestName, kMaxDigestFile);
    if (text)
        if (const auto digest = CSha256::ParseDigestFile(*text)) return digest;
    ok = false;
    session.Fail(kIdDigestUnreadable, Text::FormatString(kIdDigestUnreadable, *installer.digestName));
    return std::nullopt;
}

SPackageVersions NewestPackages(const std::vector<std::string>& names, const Device::CContents& installed) {
    SPackageVersions newest;
    for (const Device::SContentEntry& entry : installed.GetEntries()) {
        if (entry.Kind != kPackageFirmware && entry.Kind != kPackageOs) continue;
        CVersion& result = entry.Kind == kPackageFirmware ? newest.firmware : newest.os;
        for (const std::string& name : names) {
            const CVersion v = PackageVersion(name, entry.Kind);
            // The highest newer version: the listing's order says nothing.
            if (!v.IsNone() && entry.Version < v && result < v) result = v;
        }
    }
    return newest;
}

void TFailureCounter::RecordSuccess() {
    count = 0;
    limit = kDefaultLimit;
}

bool TFailureCounter::RecordFailure() {
    if (count < UINT32_MAX) ++count;
    if (count <= limit) return false;
    limit = count <= 10 ? 10 : limit / 2;
    count = 0;
    return true;
}

TFailureCounter TFailureCounter::Load(Settings::CSettingsStore& store, std::u16string_view key) {
    TFailureCounter counter;
    if (const auto c = ReadDecimal(store, key, kValueFailCount)) counter.count = *c;
    if (const auto l = ReadDecimal(store, key, kValueFailLimit)) counter.limit = *l;
    return counter;
}

bool TFailureCounter::Store(Settings::CSettingsStore& store, std::u16string_view key) const {
    if (!store.OpenKey(key, true)) return false;
    const bool a = store.WriteValue(
        key, Settings::TSettingsValue::String(kValueFailCount, Text::Widen(std::to_string(count))));
    const bool b = store.WriteValue(
        key, Settings::TSettingsValue::String(kValueFailLimit, Text::Widen(std::to_string(limit))));
    return a && b;
}

std::u16string FirmwareSettingsKey(std::u16string_view productName) {
    return u"Software\\Tolvex\\" + std::u16string(productName) + u"\\Settings";
}

std::string DeviceFolder(std::uint32_t deviceCode) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(deviceCode));
    return text;
}

SFirmwareCheck RunFirmwareCheck(CUpdateServerSession& session, std::uint32_t deviceCode,
                                const Device::CContents& installed, Settings::CSettingsStore* store,
                                std::u16string_view key) {
    SFirmwareCheck check;
    TFailureCounter counter;
    if (store != nullptr) counter = TFailureCounter::Load(*store, key);
    session.SetShowErrors(false);
    check.connected = session.Open(DeviceFolder(deviceCode));
    if (check.connected) {
        counter.RecordSuccess();
        if (store != nullptr) counter.Store(*store, key);
        if (const auto names = session.List()) check.newest = NewestPackages(*names, installed);
        session.Close();
    } else {
        check.remind = counter.RecordFailure();
        if (store != nullptr) counter.Store(*store, key);
    }
    return check;
}

Text::SMessage ReminderMessage(std::u16string_view deviceName) {
    Text::SMessage msg;
    msg.textId = kIdReminder;
    msg.text = Text::FormatString(kIdReminder, deviceName);
    msg.icon = Text::MsgIcon::Information;
    return msg;
}

}  // namespace Update
