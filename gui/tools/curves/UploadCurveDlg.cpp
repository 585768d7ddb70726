#include "tools/curves/UploadCurveDlg.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/HammerConnection.h"
#include "device/VantrelDevice.h"
#include "doc/CurveFile.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"

namespace {

constexpr unsigned kIdTitle = 62886;
constexpr unsigned kIdSelectCurve = 62887;
constexpr unsigned kIdUploadButton = 62888;
constexpr unsigned kIdClose = 62889;
constexpr unsigned kIdHammerWorking = 62890;
constexpr unsigned kIdDelete = 59610;
constexpr unsigned kIdUploadAs[3] = {59541, 59542, 59543};

std::vector<TConvCust> CurvesOfFile(const std::filesystem::path& file) {
    std::vector<TConvCust> curves;
    if (auto curve = Doc::ReadCurveFile(file)) curves.push_back(*curve);
    return curves;
}

// While the hammer works the dialog says so and takes no clicks: the
// exchanges are short and bounded by the line's time-outs, and a second click
// in the middle of one would talk across it.
class CBusyScope {
  public:
    CBusyScope(QDialog& dialog, QLabel& label) : m_dialog(dialog), m_label(label), m_wasEnabled(dialog.isEnabled()) {
        m_label.setText(UiText::Get(kIdHammerWorking));
        m_dialog.setEnabled(false);
        m_label.repaint();
    }
    ~CBusyScope() {
        m_label.clear();
        m_dialog.setEnabled(m_wasEnabled);
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

  private:
    QDialog& m_dialog;
    QLabel& m_label;
    bool m_wasEnabled;
    CWaitCursor m_wait;
};

}  // namespace

CUploadCurveDlg::CUploadCurveDlg(std::vector<TConvCust> curves, int selected, CHammerConnection& connection,
                                 Text::IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_curves(std::move(curves)), m_initial(selected), m_connection(connection), m_prompt(prompt) {
    m_slots.fill(Device::SCurveSlot::Prepared());
    Build();
}

CUploadCurveDlg::CUploadCurveDlg(const TConvCust& curve, CHammerConnection& connection, Text::IUserPrompt& prompt,
                                 QWidget* parent)
    : CUploadCurveDlg(std::vector<TConvCust>{curve}, 0, connection, prompt, parent) {}

CUploadCurveDlg::CUploadCurveDlg(const std::filesystem::path& curveFile, CHammerConnection& connection,
                                 Text::IUserPrompt& prompt, QWidget* parent)
    : CUploadCurveDlg(CurvesOfFile(curveFile), 0, connection, prompt, parent) {}

void CUploadCurveDlg::Build() {
    setWindowTitle(UiText::Get(kIdTitle));
    auto* layout = new QVBoxLayout(this);

    auto* choose = new QGroupBox(UiText::Get(kIdSelectCurve), this);
    auto* chooseLayout = new QVBoxLayout(choose);
    m_list = new QComboBox(choose);
    // Sorted by name; each item remembers its curve's position.
    std::vector<int> order(m_curves.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return UiText::ToQ(m_curves[static_cast<std::size_t>(a)].Name())
                   .compare(UiText::ToQ(m_curves[static_cast<std::size_t>(b)].Name()), Qt::CaseInsensitive) < 0;
    });
    for (int position : order) {
        m_list->addItem(UiText::ToQ(m_curves[static_cast<std::size_t>(position)].Name()), position);
        if (position == m_initial) m_list->setCurrentIndex(m_list->count() - 1);
    }
    chooseLayout->addWidget(m_list);
    layout->addWidget(choose);

    auto* grid = new QGridLayout();
    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < 3; ++i) {
        const auto s = static_cast<std::size_t>(i);
        auto* label = new QLabel(UiText::ToQ(Tools::SlotLabel(i)) + QLatin1Char(':'), this);
        label->setFont(bold);
        m_content[s] = new QLabel(UiText::ToQ(Tools::SlotContentText(m_slots[s])), this);
        m_content[s]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMM")));
        m_delete[s] = new QPushButton(UiText::Get(kIdDelete), this);
        m_upload[s] = new QPushButton(UiText::Get(kIdUploadButton), this);
        m_delete[s]->setAutoDefault(false);
        m_upload[s]->setAutoDefault(false);
        grid->addWidget(label, i, 0);
        grid->addWidget(m_content[s], i, 1);
        grid->addWidget(m_delete[s], i, 2);
        grid->addWidget(m_upload[s], i, 3);
        connect(m_delete[s], &QPushButton::clicked, this, [this, i] { EmptySlot(i); });
        connect(m_upload[s], &QPushButton::clicked, this, [this, i] { UploadInto(i); });
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto* bottom = new QHBoxLayout();
    m_busy = new QLabel(this);
    bottom->addWidget(m_busy, 1);
    auto* close = new QPushButton(UiText::Get(kIdClose), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(m_list, &QComboBox::currentIndexChanged, this, &CUploadCurveDlg::UpdateCaptions);
    UpdateCaptions();
}

int CUploadCurveDlg::exec() {
    if (!Open()) return QDialog::Rejected;
    return QDialog::exec();
}

bool CUploadCurveDlg::Open() {
    m_slots.fill(Device::SCurveSlot::Prepared());
    ShowSlots();
    return RefreshSlots();
}

bool CUploadCurveDlg::Connect() {
    return m_connection.ConnectOnDemand(this);
}

bool CUploadCurveDlg::RefreshSlots() {
    if (!Connect()) return false;
    bool read = false;
    {
        const CBusyScope busy(*this, *m_busy);
        read = Tools::ReadSlots(*m_connection.Device(), m_slots, m_prompt);
    }
    if (!read) {
        m_connection.Disconnect();
        return false;
    }
    ShowSlots();
    return true;
}

void CUploadCurveDlg::ShowSlots() {
    for (std::size_t i = 0; i < 3; ++i) m_content[i]->setText(UiText::ToQ(Tools::SlotContentText(m_slots[i])));
}

void CUploadCurveDlg::UpdateCaptions() {
    const TConvCust* curve = SelectedCurve();
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = m_upload[static_cast<std::size_t>(i)];
        button->setEnabled(curve != nullptr);
        button->setText(curve ? UiText::Format(kIdUploadAs[i], curve->Name()) : UiText::Get(kIdUploadButton));
    }
}

const TConvCust* CUploadCurveDlg::SelectedCurve() const {
    const QVariant data = m_list->currentData();
    if (!data.isValid()) return nullptr;
    const int position = data.toInt();
    if (position < 0 || position >= static_cast<int>(m_curves.size())) return nullptr;
    return &m_curves[static_cast<std::size_t>(position)];
}

void CUploadCurveDlg::UploadInto(int slot) {
    const TConvCust* curve = SelectedCurve();
    if (curve == nullptr || !Connect()) return;
    Tools::TSlotResult result;
    {
        const CBusyScope busy(*this, *m_busy);
        result = Tools::UploadCurveToSlot(*m_connection.Device(), *curve, slot, m_slots, m_prompt);
    }
    // Without a proper identification nothing was sent: there is nothing new to show.
    if (result.messageId == Tools::kIdImproperArgument) return;
    RefreshSlots();
}

void CUploadCurveDlg::EmptySlot(int slot) {
    if (!Connect()) return;
    {
        const CBusyScope busy(*this, *m_busy);
        Tools::EmptySlot(*m_connection.Device(), slot, m_slots, m_prompt);
    }
    RefreshSlots();
}
