#pragma once
// The program's one connection to a hammer. Device commands connect on demand:
// a connected hammer is checked for presence, and without one the search wizard
// runs. The connection lasts until it is lost, the program disconnects after an
// error, the firmware upgrade tool is started, or the main window closes.
#include <filesystem>
#include <functional>
#include <memory>

namespace Device {
class CVantrelDevice;
}
namespace Settings {
class CSettingsStore;
}
namespace Text {
class IUserPrompt;
}

class QWidget;
class CDevSelectSheet;

// The firmware update check of the current connection; made when a wizard
// connects a hammer and no check exists yet, discarded at disconnection.
class IFirmwareCheck {
  public:
    virtual ~IFirmwareCheck() = default;
    // Stops a running check (waiting a bounded time) before it is discarded.
    virtual void Stop() = 0;
};

class CHammerConnection {
  public:
    using WizardRunner = std::function<bool(CDevSelectSheet& wizard)>;
    using FirmwareCheckFactory =
        std::function<std::unique_ptr<IFirmwareCheck>(Device::CVantrelDevice& device)>;

    CHammerConnection(Settings::CSettingsStore& store, Text::IUserPrompt& prompt);
    ~CHammerConnection();
    CHammerConnection(const CHammerConnection&) = delete;
    CHammerConnection& operator=(const CHammerConnection&) = delete;

    // Checks a connected hammer (dropping it when it does not answer); without
    // one runs the wizard. True when a hammer is connected afterwards.
    bool ConnectOnDemand(QWidget* parent);
    // Link off, port closed, device and firmware check discarded.
    void Disconnect();
    // The presence check of a connected hammer; one that fails is told to
    // switch its link off and dropped (the firmware check stays).
    bool CheckPresence();

    bool IsConnected() const { return m_device != nullptr; }
    Device::CVantrelDevice* Device() const { return m_device.get(); }
    bool HasFirmwareCheck() const { return m_firmwareCheck != nullptr; }

    // How the wizard is shown; the default runs it modally. Tests script it.
    void SetWizardRunner(WizardRunner runner) { m_runWizard = std::move(runner); }
    void SetFirmwareCheckFactory(FirmwareCheckFactory factory) { m_makeFirmwareCheck = std::move(factory); }
    // What the wizard's Help button opens.
    void SetHelpFile(std::filesystem::path file) { m_helpFile = std::move(file); }

  private:
    void DropDevice();

    Settings::CSettingsStore& m_store;
    Text::IUserPrompt& m_prompt;
    std::unique_ptr<Device::CVantrelDevice> m_device;
    std::unique_ptr<IFirmwareCheck> m_firmwareCheck;
    WizardRunner m_runWizard;
    FirmwareCheckFactory m_makeFirmwareCheck;
    std::filesystem::path m_helpFile;
};
