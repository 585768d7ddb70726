#pragma once
// The connection wizard's settings in the store, under the key of string 603
// ("Software\Tolvex\ZvUpgrade\Settings") and "\ConnWizard". Numbers are stored as
// 32-bit numbers, the address as text; a value that is missing or of the other
// type falls back as described at each field.
#include <cstdint>
#include <string>

#include "device/SearchParams.h"

namespace Settings {
class CSettingsStore;
}

namespace Device {

struct SConnWizardSettings {
    bool Express = true;         // "Express": false only when stored as the number 0
    int DeviceType = 0;          // "DeviceType": 0 when missing or above 11
    int PortNumber = 1;          // "ComPort": 1 when missing or outside 1 to 9998
    int CommType = 0;            // "CommPort": 0 when missing or outside 1 to 9998
    bool Scan = true;            // "Scan": as Express
    bool StopAfterFirst = true;  // "Stop Scan": as Express
    std::u16string Address;      // "IP Address": empty when missing or not text

    // The key path ("...\ConnWizard").
    static std::u16string KeyPath();

    // Loads the values over the current ones; a missing key leaves them all.
    // Returns whether the key exists.
    bool Load(Settings::CSettingsStore& store);
    // Saves every value (creating the key), "DeviceType" from `deviceTypeCode`
    // (the current device's type code, or DeviceType when there is none) and
    // "ComPort" as 1 when the port number is 0 or above 9999. Stops at the first
    // value that cannot be written and returns false.
    bool Save(Settings::CSettingsStore& store, int deviceTypeCode) const;
    bool Save(Settings::CSettingsStore& store) const { return Save(store, DeviceType); }

    // The search the result page queues for a device of `deviceTypeCode`.
    SSearchParams ToSearchParams(int deviceTypeCode) const;
};

}  // namespace Device
