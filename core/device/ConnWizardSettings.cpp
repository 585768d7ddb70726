#include "device/ConnWizardSettings.h"

#include <optional>

#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "text/StringTable.h"

namespace Device {

namespace {

constexpr unsigned kIdUpgradeKey = 603;  // "Software\Tolvex\ZvUpgrade\Settings"
constexpr const char16_t* kSubKey = u"\\ConnWizard";
constexpr const char16_t* kExpress = u"Express";
constexpr const char16_t* kDeviceType = u"DeviceType";
constexpr const char16_t* kComPort = u"ComPort";
constexpr const char16_t* kCommPort = u"CommPort";
constexpr const char16_t* kScan = u"Scan";
constexpr const char16_t* kStopScan = u"Stop Scan";
constexpr const char16_t* kIpAddress = u"IP Address";
constexpr std::uint32_t kMaxDeviceType = 11;
constexpr std::uint32_t kMaxLoadedPort = 9998;
constexpr int kMaxSavedPort = 9999;

// Off only when stored as the number 0; a missing value or text means on.
bool LoadFlag(const Settings::CSettingsKey& key, const char16_t* name) {
    const std::optional<std::uint32_t> value = key.ReadDword(name);
    return !(value && *value == 0);
}

}  // namespace

std::u16string SConnWizardSettings::KeyPath() {
    return Text::LoadString(kIdUpgradeKey) + kSubKey;
}

bool SConnWizardSettings::Load(Settings::CSettingsStore& store) {
    const std::optional<Settings::CSettingsKey> key = store.OpenKey(KeyPath(), false);
    if (!key) return false;
    Express = LoadFlag(*key, kExpress);

    const std::optional<std::uint32_t> type = key->ReadDword(kDeviceType);
    DeviceType = type && *type <= kMaxDeviceType ? static_cast<int>(*type) : 0;

    const std::optional<std::uint32_t> port = key->ReadDword(kComPort);
    PortNumber = port && *port >= 1 && *port <= kMaxLoadedPort ? static_cast<int>(*port) : 1;

    const std::optional<std::uint32_t> comm = key->ReadDword(kCommPort);
    CommType = comm && *comm >= 1 && *comm <= kMaxLoadedPort ? static_cast<int>(*comm) : 0;

    Scan = LoadFlag(*key, kScan);
    StopAfterFirst = LoadFlag(*key, kStopScan);

    const std::optional<std::u16string> address = key->ReadString(kIpAddress);
    Address = address ? *address : std::u16string();
    return true;
}

bool SConnWizardSettings::Save(Settings::CSettingsStore& store, int deviceTypeCode) const {
    std::optional<Settings::CSettingsKey> key = store.OpenKey(KeyPath(), true);
    if (!key) return false;
    const int port = (PortNumber <= 0 || PortNumber > kMaxSavedPort) ? 1 : PortNumber;
    return key->WriteDword(kExpress, Express ? 1 : 0) &&
           key->WriteDword(kDeviceType, static_cast<std::uint32_t>(deviceTypeCode)) &&
           key->WriteDword(kComPort, static_cast<std::uint32_t>(port)) &&
           key->WriteDword(kCommPort, static_cast<std::uint32_t>(CommType)) &&
           key->WriteDword(kScan, Scan ? 1 : 0) && key->WriteDword(kStopScan, StopAfterFirst ? 1 : 0) &&
           key->WriteString(kIpAddress, Address);
}

SSearchParams SConnWizardSettings::ToSearchParams(int deviceTypeCode) const {
    SSearchParams params;
    params.DeviceType = deviceTypeCode;
    params.PortType = CommType;
    params.Scan = Scan;
    params.StopAfterFirst = StopAfterFirst;
    params.PortNumber = PortNumber;
    params.SkippedPort = -1;
    params.Address = Text::ToUtf8(Address);
    return params;
}

}  // namespace Device
