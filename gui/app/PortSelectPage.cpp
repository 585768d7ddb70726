#include "app/PortSelectPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/DevSelectSheet.h"
#include "device/DeviceFactory.h"
#include "device/ZvDevice.h"
#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {
constexpr int kMinPort = 1;
constexpr int kMaxPort = 9999;
}  // namespace

CPortSelectPage::CPortSelectPage(CDevSelectSheet* sheet)
    : QWizardPage(sheet),
      m_sheet(sheet),
      m_commType(new QComboBox(this)),
      m_scan(new QCheckBox(UiText::Get(Ids::kScanPorts), this)),
      m_port(new QLineEdit(this)),
      m_address(new QLineEdit(this)),
      m_stop(new QCheckBox(UiText::Get(Ids::kStopAfterFirst), this)) {
    setTitle(UiText::Get(Ids::kPortPageTitle));

    auto* explanation = new QLabel(UiText::Get(Ids::kPortPageExplanation) + QStringLiteral("\n\n    ") +
                                       UiText::Get(Ids::kPortPageNote1) + QStringLiteral("\n    ") +
                                       UiText::Get(Ids::kPortPageNote2),
                                   this);
    explanation->setWordWrap(true);

    auto* typeGroup = new QGroupBox(UiText::Get(Ids::kCommTypeGroup), this);
    auto* typeLayout = new QVBoxLayout(typeGroup);
    typeLayout->addWidget(m_commType);
    m_commType->setToolTip(UiText::Get(Ids::kTipCommType));
    m_commType->setObjectName(QStringLiteral("commType"));

    auto* serialGroup = new QGroupBox(UiText::Get(Ids::kSerialGroup), this);
    auto* serialLayout = new QGridLayout(serialGroup);
    serialLayout->addWidget(m_scan, 0, 0, 1, 2);
    serialLayout->addWidget(new QLabel(UiText::Get(Ids::kEnterComPort), serialGroup), 1, 0);
    serialLayout->addWidget(m_port, 1, 1);
    m_scan->setToolTip(UiText::Get(Ids::kTipScan));
    m_port->setToolTip(UiText::Get(Ids::kTipComPort));
    m_port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_port));
    m_port->setMaximumWidth(90);

    auto* ipGroup = new QGroupBox(UiText::Get(Ids::kEthernetGroup), this);
    auto* ipLayout = new QGridLayout(ipGroup);
    ipLayout->addWidget(new QLabel(UiText::Get(Ids::kDeviceIpAddress), ipGroup), 0, 0);
    ipLayout->addWidget(m_address, 0, 1);
    m_address->setToolTip(UiText::Get(Ids::kTipIpAddress));
    m_address->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,3}(\\.[0-9]{0,3}){0,3}")), m_address));

    m_stop->setToolTip(UiText::Get(Ids::kTipStopAfterFirst));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(typeGroup);
    layout->addWidget(serialGroup);
    layout->addWidget(ipGroup);
    layout->addWidget(m_stop);
    layout->addStretch(1);

    connect(m_commType, &QComboBox::currentIndexChanged, this, &CPortSelectPage::ApplyEnabling);
    connect(m_scan, &QCheckBox::toggled, this, &CPortSelectPage::ApplyEnabling);
}

int CPortSelectPage::SelectedPortType() const {
    return m_commType->currentIndex() < 0 ? Device::PortNone : m_commType->currentData().toInt();
}

void CPortSelectPage::initializePage() {
    Device::SConnWizardSettings& state = m_sheet->State();
    if (m_sheet->Device() == nullptr) m_sheet->SetDevice(Device::CreateDevice(state.DeviceType));

    const std::uint32_t mask = m_sheet->Device() ? m_sheet->Device()->GetPortMask() : 0;
    const QSignalBlocker block(m_commType);
    m_commType->clear();
    struct SType {
        int type;
        unsigned label;
    };
    for (const SType& t :
         {SType{Device::PortUsb, Ids::kCommUsb}, SType{Device::PortEthernet, Ids::kCommEthernet},
          SType{Device::PortSerial, Ids::kCommSerial}}) {
        if (mask & static_cast<std::uint32_t>(t.type)) m_commType->addItem(UiText::Get(t.label), t.type);
    }
    const int saved = m_commType->findData(state.CommType);
    m_commType->setCurrentIndex(saved >= 0 ? saved : (m_commType->count() > 0 ? 0 : -1));

    if (!m_filled) {
        m_filled = true;
        m_scan->setChecked(state.Scan);
        m_stop->setChecked(state.StopAfterFirst);
        m_port->setText(QString::number(state.PortNumber));
        m_address->setText(UiText::ToQ(state.Address));
    }
    ApplyEnabling();
}

void CPortSelectPage::ApplyEnabling() {
    const int type = SelectedPortType();
    const bool serial = type == Device::PortSerial;
    const bool scan = m_scan->isChecked();
    m_scan->setEnabled(serial);
    m_port->setEnabled(serial && !scan);
    m_stop->setEnabled(serial && scan);
    m_address->setEnabled(type == Device::PortEthernet);
}

bool CPortSelectPage::validatePage() {
    bool ok = false;
    const int port = m_port->text().toInt(&ok);
    if (!ok || port < kMinPort || port > kMaxPort) {
        Text::SMessage msg;
        msg.textId = Ids::kEnterInteger;
        msg.text = Text::Format(UiText::Load(Ids::kEnterInteger), kMinPort, kMaxPort);
        msg.icon = Text::MsgIcon::Warning;
        m_sheet->Prompt().ShowMessage(msg);
        m_port->setFocus();
        m_port->selectAll();
        return false;
    }
    Device::SConnWizardSettings& state = m_sheet->State();
    state.CommType = SelectedPortType();
    state.Address = UiText::FromQ(m_address->text());
    state.PortNumber = port;
    state.Scan = m_scan->isChecked();
    state.StopAfterFirst = m_stop->isChecked();
    return true;
}
