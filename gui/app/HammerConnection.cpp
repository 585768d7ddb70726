#include "app/HammerConnection.h"

#include "app/DevSelectSheet.h"
#include "device/VantrelDevice.h"
#include "streamio/IoStream.h"
#include "ui/CommandIds.h"

CHammerConnection::CHammerConnection(Settings::CSettingsStore& store, Text::IUserPrompt& prompt)
    : m_store(store), m_prompt(prompt) {}

CHammerConnection::~CHammerConnection() {
    Disconnect();
}

void CHammerConnection::DropDevice() {
    if (!m_device) return;
    m_device->SendLinkControl(false, 0);
    m_device.reset();  // closes the port
}

bool CHammerConnection::CheckPresence() {
    if (!m_device) return false;
    Device::SShortIdentity identity;
    if (m_device->Identify(identity)) return true;
    DropDevice();
    return false;
}

bool CHammerConnection::ConnectOnDemand(QWidget* parent) {
    if (m_device) CheckPresence();
    if (m_device) return true;

    CDevSelectSheet wizard(Ids::kWizardCaption, parent, 0, m_prompt, m_helpFile);
    wizard.LoadSettings(m_store);
    wizard.State().DeviceType = Device::TypeVantrel;
    wizard.State().Express = false;
    const bool finished = m_runWizard ? m_runWizard(wizard) : wizard.exec() == QDialog::Accepted;
    // The choices are kept whatever the outcome.
    wizard.SaveSettings(m_store);
    if (!finished) return false;

    std::unique_ptr<Device::CZvDevice> device = wizard.TakeDevice();
    auto* hammer = dynamic_cast<Device::CVantrelDevice*>(device.get());
    if (hammer == nullptr) return false;  // not a hammer: dropped, its port closed
    device.release();
    m_device.reset(hammer);
    if (!m_firmwareCheck && m_makeFirmwareCheck) m_firmwareCheck = m_makeFirmwareCheck(*m_device);
    return true;
}

void CHammerConnection::Disconnect() {
    if (m_device) {
        m_device->SendLinkControl(false, 0);
        if (StreamIO::CIoStream* stream = m_device->GetStream()) stream->CloseQuietly();
        m_device.reset();
    }
    if (m_firmwareCheck) {
        m_firmwareCheck->Stop();
        m_firmwareCheck.reset();
    }
}
