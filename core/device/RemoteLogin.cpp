#include "device/RemoteLogin.h"

#include "device/LoginInfo.h"
#include "device/ZvDevice.h"

namespace Device {

namespace {

constexpr unsigned kIdUnknownLoginError = 21014;
constexpr unsigned kIdNoSuperUser = 21017;
constexpr unsigned kIdNoPassword = 21018;
constexpr unsigned kIdLoginFailed = 21019;

// Retry and Cancel: Retry is the OK answer.
bool AskRetry(Text::IUserPrompt& prompt, unsigned textId) {
    return Text::ShowMessageId(prompt, textId, Text::MsgIcon::Warning, Text::MsgButtons::OkCancel) ==
           Text::MsgResult::Ok;
}

}  // namespace

bool RunRemoteLoginDialog(CZvDevice& device, Text::IUserPrompt& prompt, ILoginDialog& dialog) {
    for (;;) {
        const std::optional<SCredentials> credentials = dialog.AskCredentials(device.GetLoginInfo().User);
        if (!credentials) return false;
        SLoginInfo info;
        info.User = credentials->User;
        info.Password = credentials->Password;
        if (device.Login(info)) return true;
        if (!AskRetry(prompt, kIdLoginFailed)) return false;
    }
}

bool CheckRemoteLogin(CZvDevice& device, std::uint16_t required, Text::IUserPrompt& prompt,
                      ILoginDialog& dialog) {
    if (required == 0) return true;
    for (;;) {
        SLoginInfo info;
        if (device.Login(info)) {
            const std::uint32_t flags = info.Flags;
            if ((required & kLoginNeedsSuperUser) != 0 && (flags & SLoginInfo::kFlagSuperUser) == 0) {
                if (!AskRetry(prompt, kIdNoSuperUser)) return false;
            }
            if ((required & kLoginNeedsPassword) != 0 && (flags & SLoginInfo::kFlagPassword) == 0) {
                if (!AskRetry(prompt, kIdNoPassword)) return false;
            }
            if ((flags & required) == required) return true;
            continue;
        }
        if ((info.Flags & SLoginInfo::kFlagPassword) == 0) {
            Text::ShowMessageId(prompt, kIdUnknownLoginError, Text::MsgIcon::Error, Text::MsgButtons::Ok);
            return false;
        }
        if (!RunRemoteLoginDialog(device, prompt, dialog)) return false;
    }
}

}  // namespace Device
