#pragma once
// The device search wizard: the communication page, then the result page, where
// the user picks one of the hammers the search found. On Finish the picked
// device (port open, identification cached) belongs to the wizard until the
// caller takes it.
#include <QWizard>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "device/ConnWizardSettings.h"

namespace Device {
class CZvDevice;
}
namespace Settings {
class CSettingsStore;
}
namespace Text {
class IUserPrompt;
}

class CPortSelectPage;
class CDevFoundPage;

class CDevSelectSheet : public QWizard {
    Q_OBJECT
  public:
    enum EPageId { kPortPage = 0, kResultPage = 1 };

    // How long Cancel waits for a running search to stop.
    static constexpr int kAbortWaitMs = 8000;

    // `requiredLogin`: the remote login bits the selected device must satisfy.
    // `helpFile`: what the Help button and F1 open.
    CDevSelectSheet(unsigned captionId, QWidget* parent, std::uint16_t requiredLogin,
                    Text::IUserPrompt& prompt, std::filesystem::path helpFile);
    ~CDevSelectSheet() override;

    // The user's choices, loaded before the wizard shows and saved after it closes.
    Device::SConnWizardSettings& State() { return m_state; }
    bool LoadSettings(Settings::CSettingsStore& store);
    bool SaveSettings(Settings::CSettingsStore& store) const;

    // The wizard's device: made from the device type by the communication page,
    // replaced by the selected device on Finish.
    Device::CZvDevice* Device() const { return m_device.get(); }
    void SetDevice(std::unique_ptr<Device::CZvDevice> device);
    std::unique_ptr<Device::CZvDevice> TakeDevice();

    std::uint16_t RequiredLogin() const { return m_requiredLogin; }
    Text::IUserPrompt& Prompt() { return m_prompt; }

    CPortSelectPage* PortPage() const { return m_portPage; }
    CDevFoundPage* ResultPage() const { return m_resultPage; }

    void OpenHelp();

  public slots:
    void reject() override;

  private:
    void OnPageChanged(int id);

    Device::SConnWizardSettings m_state;
    std::unique_ptr<Device::CZvDevice> m_device;
    std::uint16_t m_requiredLogin;
    Text::IUserPrompt& m_prompt;
    std::filesystem::path m_helpFile;
    CPortSelectPage* m_portPage;
    CDevFoundPage* m_resultPage;
};
