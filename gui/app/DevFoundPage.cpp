#include "app/DevFoundPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/DevSelectSheet.h"
#include "app/RemoteLoginDlg.h"
#include "app/SearchRelay.h"
#include "device/DeviceThread.h"
#include "device/PortTable.h"
#include "device/RemoteLogin.h"
#include "device/ZvDevice.h"
#include "streamio/IpStream.h"
#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {

QString ToShown(const QString& text) {
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Relays whose search did not stop in time stay alive for the forgotten worker
// thread, which may still hold them; they post nothing any more.
std::vector<std::shared_ptr<CSearchRelay>>& Abandoned() {
    static std::vector<std::shared_ptr<CSearchRelay>> relays;
    return relays;
}

}  // namespace

CDevFoundPage::CDevFoundPage(CDevSelectSheet* sheet)
    : QWizardPage(sheet),
      m_sheet(sheet),
      m_status(new QPlainTextEdit(this)),
      m_list(new QComboBox(this)),
      m_info(new QPlainTextEdit(this)) {
    setTitle(UiText::Get(Ids::kResultPageTitle));
    m_status->setReadOnly(true);
    m_status->setToolTip(UiText::Get(Ids::kTipStatus));
    m_status->setMaximumHeight(110);
    m_status->setObjectName(QStringLiteral("status"));
    m_list->setToolTip(UiText::Get(Ids::kTipDeviceList));
    m_list->setObjectName(QStringLiteral("devices"));
    m_info->setReadOnly(true);
    m_info->setToolTip(UiText::Get(Ids::kTipDeviceInfo));
    m_info->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_info->setTabStopDistance(150);

    auto* listGroup = new QGroupBox(UiText::Get(Ids::kSelectDevice), this);
    auto* listLayout = new QVBoxLayout(listGroup);
    listLayout->addWidget(m_list);
    auto* infoGroup = new QGroupBox(UiText::Get(Ids::kDeviceInfoGroup), this);
    auto* infoLayout = new QVBoxLayout(infoGroup);
    infoLayout->addWidget(m_info);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(listGroup);
    layout->addWidget(infoGroup, 1);

    connect(m_list, &QComboBox::currentIndexChanged, this, &CDevFoundPage::OnSelectionChanged);
}

CDevFoundPage::~CDevFoundPage() {
    if (m_searching) AbortSearch(CDevSelectSheet::kAbortWaitMs);
    ReleaseRelay();
    ClearDevices();
}

QString CDevFoundPage::PortText(const std::string& portName, const Device::CPortTable& table) {
    static const std::string kDevicePrefix = R"(\\.\COM)";
    std::string text;
    if (portName.rfind("COM", 0) == 0) {
        text = portName;
    } else if (portName.rfind("IP:", 0) == 0) {
        const auto colon = portName.rfind(':');
        text = colon > 2 ? portName.substr(0, colon) : portName;
    } else if (portName.rfind(kDevicePrefix, 0) == 0) {
        const std::string digits = portName.substr(kDevicePrefix.size());
        unsigned number = 0;
        bool numeric = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            if (c < '0' || c > '9')
                numeric = false;
            else
                number = number * 10 + static_cast<unsigned>(c - '0');
        }
        // Users see the device path beside the port number.
        text = numeric ? table.DisplayName(number) : "COM" + digits;
    } else {
        // A port table entry that names a hammer behind a network bridge: the
        // stream keeps the address without its "IP:", and the user knows the
        // port by its number and the whole address (the bridge's TCP port
        // tells its serial lines apart).
        for (const Device::CPortTable::SEntry& entry : table.Entries()) {
            if (StreamIO::IsIpName(entry.Path) && std::string_view(entry.Path).substr(3) == portName) {
                text = table.DisplayName(entry.Number);
                break;
            }
        }
    }
    return text.empty() ? QString() : QStringLiteral("@ ") + QString::fromStdString(text);
}

QString CDevFoundPage::EntryText(const std::string& deviceType, const std::string& serialNumber,
                                 const QString& portText) {
    return UiText::ToQ(
        Text::Format(UiText::Load(Ids::kDeviceEntry), deviceType, serialNumber, UiText::FromQ(portText)));
}

void CDevFoundPage::ClearDevices() {
    const QSignalBlocker block(m_list);
    m_list->clear();
    m_devices.clear();  // closes their ports
}

void CDevFoundPage::initializePage() {
    ClearDevices();
    m_info->clear();
    m_status->clear();
    QMetaObject::invokeMethod(this, &CDevFoundPage::StartSearch, Qt::QueuedConnection);
    m_searching = true;  // until the posted start runs, nothing may be finished
    UpdateButtons();
}

void CDevFoundPage::cleanupPage() {
    // Back: a later visit starts a new search.
    ClearDevices();
    m_info->clear();
}

void CDevFoundPage::UpdateButtons() {
    emit completeChanged();
    // While searching every wizard button but Cancel is off.
    if (QAbstractButton* back = wizard() ? wizard()->button(QWizard::BackButton) : nullptr)
        back->setEnabled(!m_searching);
}

bool CDevFoundPage::isComplete() const {
    return !m_searching && m_list->currentIndex() >= 0;
}

void CDevFoundPage::StartSearch() {
    if (wizard() == nullptr || wizard()->currentPage() != this) {
        m_searching = false;
        return;
    }
    m_searching = true;
    m_list->setEnabled(false);
    UpdateButtons();
    ReleaseRelay();
    m_relay = std::make_shared<CSearchRelay>(
        this, [this](std::unique_ptr<Device::CZvDevice> device) { OnDevice(std::move(device)); },
        [this](const QString& text) { OnStatus(text); });
    const Device::CZvDevice* device = m_sheet->Device();
    m_params = m_sheet->State().ToSearchParams(device ? device->GetTypeCode() : m_sheet->State().DeviceType);
    if (!Device::QueueSearchJob(m_relay.get(), &m_params)) {
        // No worker thread: the search ends at once without devices.
        OnDevice(nullptr);
    }
}

void CDevFoundPage::OnStatus(const QString& text) {
    m_status->setPlainText(ToShown(text));
}

void CDevFoundPage::OnDevice(std::unique_ptr<Device::CZvDevice> device) {
    if (!m_searching) return;  // a late device of an aborted search
    if (device) {
        Device::SShortIdentity identity;
        if (device->QuickIdentify(identity)) {
            const QString entry = EntryText(identity.DeviceType, identity.SerialNumber,
                                            PortText(device->GetPortName(), Device::CPortTable::Current()));
            m_devices.push_back(std::move(device));
            const QSignalBlocker block(m_list);
            m_list->addItem(entry);
            m_list->setCurrentIndex(m_list->count() - 1);
        } else {
            m_status->setPlainText(m_status->toPlainText() + QLatin1Char('\n') +
                                   UiText::Get(Ids::kBadConnection));
        }
        return;
    }

    // The search has ended.
    m_searching = false;
    ReleaseRelay();
    if (!m_devices.empty()) {
        OnStatus(UiText::Get(Ids::kSearchFinishedFound));
        m_list->setEnabled(true);
        OnSelectionChanged(m_list->currentIndex());
        UpdateButtons();
        emit searchEnded();
        return;
    }
    OnStatus(UiText::Get(Ids::kNoDeviceFound));
    UpdateButtons();
    emit searchEnded();
    const Text::MsgResult answer = Text::ShowMessageId(m_sheet->Prompt(), Ids::kRetrySearch,
                                                       Text::MsgIcon::Question, Text::MsgButtons::OkCancel);
    if (answer == Text::MsgResult::Ok && wizard() && wizard()->currentPage() == this) StartSearch();
}

void CDevFoundPage::OnSelectionChanged(int index) {
    if (index < 0 || index >= static_cast<int>(m_devices.size())) {
        m_info->clear();
    } else {
        m_info->setPlainText(ToShown(UiText::ToQ(m_devices[static_cast<std::size_t>(index)]->GetInfoText())));
    }
    UpdateButtons();
}

bool CDevFoundPage::validatePage() {
    const int index = m_list->currentIndex();
    if (m_searching || index < 0 || index >= static_cast<int>(m_devices.size())) return false;
    Device::CZvDevice& selected = *m_devices[static_cast<std::size_t>(index)];
    CRemoteLoginDlg loginDialog(this);
    if (!Device::CheckRemoteLogin(selected, m_sheet->RequiredLogin(), m_sheet->Prompt(), loginDialog))
        return false;
    // The selected device leaves the list, so it is not closed with the others.
    m_sheet->SetDevice(std::move(m_devices[static_cast<std::size_t>(index)]));
    m_devices.erase(m_devices.begin() + index);
    const QSignalBlocker block(m_list);
    m_list->removeItem(index);
    return true;
}

void CDevFoundPage::AbortSearch(int waitMs) {
    if (!m_searching) return;
    Device::AbortDeviceJobs(waitMs);
    m_searching = false;
    ReleaseRelay();
}

void CDevFoundPage::ReleaseRelay() {
    if (!m_relay) return;
    m_relay->Detach();
    // A worker that is still busy, or one that was given up on, may hold the
    // relay a moment longer: keep it alive (it posts nothing any more).
    if (!Device::IsDeviceThreadIdle()) Abandoned().push_back(m_relay);
    m_relay.reset();
}

void CDevFoundPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        m_sheet->OpenHelp();
        return;
    }
    QWizardPage::keyPressEvent(event);
}
