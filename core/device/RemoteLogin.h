#pragma once
// The remote login check a selected device must pass before the wizard hands it
// over, and the remote login dialog's logic. The windows belong to the front
// end; here they are the prompt (messages) and a credentials source (the dialog's
// fields).
#include <cstdint>
#include <optional>
#include <string>

#include "text/UserPrompt.h"

namespace Device {

class CZvDevice;

// Requirement bits of the check.
inline constexpr std::uint16_t kLoginNeedsPassword = 1;   // the active profile must have a password
inline constexpr std::uint16_t kLoginNeedsSuperUser = 2;  // it must have super user rights

struct SCredentials {
    std::u16string User;
    std::u16string Password;
};

// The remote login dialog's fields: asks for user and password, starting from the
// device's stored user name. Nothing means Cancel.
class ILoginDialog {
  public:
    virtual ~ILoginDialog() = default;
    virtual std::optional<SCredentials> AskCredentials(const std::u16string& storedUser) = 0;
};

// The dialog's OK loop: asks for credentials and calls the device's Login; a
// failure asks "Login failed" (Retry = OK, Cancel) and asks again on Retry.
// True once a login succeeded.
bool RunRemoteLoginDialog(CZvDevice& device, Text::IUserPrompt& prompt, ILoginDialog& dialog);

// The check: succeeds at once for `required` 0; otherwise logs in and asks the
// user to fix the profile (Retry/Cancel, shown as OK/Cancel) until every
// required bit is reported, or runs the login dialog when the device wants a
// remote login. False when the user cancels or the login fails otherwise.
bool CheckRemoteLogin(CZvDevice& device, std::uint16_t required, Text::IUserPrompt& prompt,
                      ILoginDialog& dialog);

}  // namespace Device
