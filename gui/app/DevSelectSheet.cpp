#include "app/DevSelectSheet.h"

#include <QAbstractButton>

#include "app/DevFoundPage.h"
#include "app/PortSelectPage.h"
#include "device/DeviceThread.h"
#include "device/ZvDevice.h"
#include "ui/CommandIds.h"
#include "ui/Shell.h"
#include "ui/UiText.h"

CDevSelectSheet::CDevSelectSheet(unsigned captionId, QWidget* parent, std::uint16_t requiredLogin,
                                 Text::IUserPrompt& prompt, std::filesystem::path helpFile)
    : QWizard(parent),
      m_requiredLogin(requiredLogin),
      m_prompt(prompt),
      m_helpFile(std::move(helpFile)),
      m_portPage(new CPortSelectPage(this)),
      m_resultPage(new CDevFoundPage(this)) {
    // A search aborted in an earlier wizard must not stop this one.
    Device::ClearAbort();
    setWindowTitle(UiText::Get(captionId));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    setOption(QWizard::HaveHelpButton, true);
    setPage(kPortPage, m_portPage);
    setPage(kResultPage, m_resultPage);
    setStartId(kPortPage);

    setButtonText(QWizard::BackButton, UiText::Get(Ids::kWizardBack));
    setButtonText(QWizard::NextButton, UiText::Get(Ids::kWizardNext));
    setButtonText(QWizard::FinishButton, UiText::Get(Ids::kWizardFinish));
    setButtonText(QWizard::CancelButton, UiText::Get(Ids::kWizardCancel));
    setButtonText(QWizard::HelpButton, UiText::Get(Ids::kHelpButton));
    button(QWizard::NextButton)->setToolTip(UiText::Get(Ids::kTipNext));
    button(QWizard::CancelButton)->setToolTip(UiText::Get(Ids::kTipCancel));
    button(QWizard::BackButton)->setToolTip(UiText::Get(Ids::kTipBack));
    button(QWizard::FinishButton)->setToolTip(UiText::Get(Ids::kTipFinish));
    button(QWizard::HelpButton)->setToolTip(UiText::Get(Ids::kTipHelp));

    connect(this, &QWizard::helpRequested, this, &CDevSelectSheet::OpenHelp);
    connect(this, &QWizard::currentIdChanged, this, &CDevSelectSheet::OnPageChanged);
    m_state.DeviceType = Device::TypeVantrel;
    m_state.Express = false;
}

CDevSelectSheet::~CDevSelectSheet() = default;

bool CDevSelectSheet::LoadSettings(Settings::CSettingsStore& store) {
    return m_state.Load(store);
}

bool CDevSelectSheet::SaveSettings(Settings::CSettingsStore& store) const {
    return m_state.Save(store, m_device ? m_device->GetTypeCode() : m_state.DeviceType);
}

void CDevSelectSheet::SetDevice(std::unique_ptr<Device::CZvDevice> device) {
    m_device = std::move(device);
}

std::unique_ptr<Device::CZvDevice> CDevSelectSheet::TakeDevice() {
    return std::move(m_device);
}

void CDevSelectSheet::OpenHelp() {
    if (!m_helpFile.empty()) CShell::OpenFileOrReport(m_helpFile, m_prompt);
}

void CDevSelectSheet::OnPageChanged(int id) {
    // Only the communication page has a Help button; the result page offers F1.
    setOption(QWizard::HaveHelpButton, id == kPortPage);
}

void CDevSelectSheet::reject() {
    m_resultPage->AbortSearch(kAbortWaitMs);
    QWizard::reject();
}
