#pragma once
// The firmware check of a connection made through the device search: reads
// what the hammer has installed, then on its own thread asks the update server
// for newer firmware and operating-system packages, reports the newest firmware
// to the main window (slot "OnFirmwareVersion(quint32, quint32)") and, when the
// server has stayed out of reach too often, reminds the user.
#include <QObject>
#include <memory>

#include "app/HammerConnection.h"
#include "update/CheckThread.h"

namespace Device {
class CZvDevice;
}
namespace Settings {
class CSettingsStore;
}
namespace Text {
class IUserPrompt;
}

class CFirmwareUpdateCheck : public IFirmwareCheck {
  public:
    CFirmwareUpdateCheck(Settings::CSettingsStore& store, Text::IUserPrompt& prompt, QObject* report);
    ~CFirmwareUpdateCheck() override;

    // Reads the identification, the contents and the device code (on the
    // calling thread, where the device lives) and starts the worker. False
    // when the device could not be read or no thread started.
    bool Start(Device::CZvDevice& device);
    void Stop() override;

  private:
    struct SPost;
    Settings::CSettingsStore& m_store;
    Text::IUserPrompt& m_prompt;
    std::shared_ptr<SPost> m_post;
    Update::CCheckThread m_thread;
};
