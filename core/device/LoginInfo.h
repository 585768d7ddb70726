#pragma once
// Remote login data of a device.
#include <cstdint>
#include <string>

namespace Device {

struct SLoginInfo {
    // Status flags a device reports back from Login.
    // After a successful login: the active profile has a password. After a failed
    // one: the device wants a remote login (user and password).
    static constexpr std::uint32_t kFlagPassword = 1;
    // The active profile has super user rights.
    static constexpr std::uint32_t kFlagSuperUser = 2;

    std::u16string User;      // user (profile) name, or a message from the device
    std::u16string Password;  // password, or a second message text
    std::uint32_t Flags = 0;
    std::uint32_t Value = 0;  // second value; 0 unless a device needs it

    bool operator==(const SLoginInfo&) const = default;
};

}  // namespace Device
