#pragma once
// The identification texts of a device (8-bit device texts).
#include <string>

namespace Device {

struct SShortIdentity {
    std::string DeviceType;
    std::string AppVersion;
    std::string SerialNumber;

    bool operator==(const SShortIdentity&) const = default;
};

struct SIdentity {
    std::string DeviceType;
    std::string AppVersion;
    std::string SerialNumber;
    std::string HardwareRevision;
    std::string Signature;
    std::string BootloaderVersion;

    bool operator==(const SIdentity&) const = default;
};

}  // namespace Device
