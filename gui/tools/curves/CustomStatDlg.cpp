#include "tools/curves/CustomStatDlg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QThread>
#include <QVBoxLayout>
#include <climits>

#include "app/HammerConnection.h"
#include "device/VantrelDevice.h"
#include "tools/CustomStatistics.h"
#include "tools/ToolStrings.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"

namespace {

constexpr unsigned kIdTitle = 62891;
constexpr unsigned kIdDefineGroup = 62892;
constexpr unsigned kIdStoredGroup = 62893;
constexpr unsigned kIdClose = 62889;
constexpr unsigned kIdMethod = 62624;
constexpr unsigned kIdFieldLabels[4] = {62625, 62626, 59567, 59568};
constexpr int kPauseMs = 400;

// Both lists, sorted by their text; each item carries its method code.
void FillMethods(QComboBox& list) {
    const std::uint8_t codes[] = {Tools::kStatsMethodMean, Tools::kStatsMethodMedianOnly};
    for (std::uint8_t code : codes) {
        const QString name = UiText::ToQ(Tools::StatisticsMethodName(code));
        int at = 0;
        while (at < list.count() && list.itemText(at).compare(name, Qt::CaseInsensitive) < 0) ++at;
        list.insertItem(at, name, code);
    }
}

void SelectMethod(QComboBox& list, std::uint8_t code, bool firstWhenUnknown) {
    const int at = list.findData(code);
    if (at >= 0)
        list.setCurrentIndex(at);
    else
        list.setCurrentIndex(firstWhenUnknown ? 0 : -1);
}

// Digits only reach the edits; a number too long for a long is out of any
// byte's range all the same.
long ReadNumber(const QLineEdit& edit) {
    if (edit.text().isEmpty()) return 0;
    bool ok = false;
    const long value = edit.text().toLong(&ok);
    return ok ? value : LONG_MAX;
}

}  // namespace

CCustomStatDlg::CCustomStatDlg(CHammerConnection& connection, Text::IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_connection(connection), m_prompt(prompt) {
    setWindowTitle(UiText::Get(kIdTitle));
    auto* layout = new QVBoxLayout(this);
    auto* sides = new QHBoxLayout();

    auto makeSide = [this](unsigned title, QComboBox*& method, std::array<QLineEdit*, 4>& edits,
                           bool editable) {
        auto* group = new QGroupBox(UiText::Get(title), this);
        auto* form = new QFormLayout(group);
        method = new QComboBox(group);
        FillMethods(*method);
        method->setEnabled(editable);
        form->addRow(UiText::Get(kIdMethod), method);
        for (std::size_t i = 0; i < 4; ++i) {
            edits[i] = new QLineEdit(group);
            edits[i]->setEnabled(editable);
            if (editable)
                edits[i]->setValidator(
                    new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edits[i]));
            form->addRow(UiText::Get(kIdFieldLabels[i]), edits[i]);
        }
        return group;
    };
    sides->addWidget(makeSide(kIdDefineGroup, m_method, m_edit, true));
    m_upload = new QPushButton(QStringLiteral("-->"), this);
    m_upload->setAutoDefault(false);
    sides->addWidget(m_upload);
    sides->addWidget(makeSide(kIdStoredGroup, m_storedMethod, m_stored, false));
    layout->addLayout(sides);

    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    auto* close = new QPushButton(UiText::Get(kIdClose), this);
    close->setDefault(true);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    // Until a rule has been read nothing is selected and nothing is shown.
    m_method->setCurrentIndex(-1);
    m_storedMethod->setCurrentIndex(-1);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_upload, &QPushButton::clicked, this, &CCustomStatDlg::Upload);
}

int CCustomStatDlg::exec() {
    if (!Open()) return QDialog::Rejected;
    return QDialog::exec();
}

bool CCustomStatDlg::Open() {
    if (!m_connection.ConnectOnDemand(this)) return true;
    const auto rule = ReadStored();
    if (!rule) return false;
    ShowRule(*rule, true);
    ShowRule(*rule, false);
    return true;
}

std::optional<Device::SCustomStatistics> CCustomStatDlg::ReadStored() {
    Tools::TStatisticsRead read;
    {
        const CWaitCursor wait;
        read = Tools::ReadCustomStatistics(*m_connection.Device(), m_prompt);
    }
    if (!read.ok) {
        m_connection.Disconnect();
        return std::nullopt;
    }
    return read.rule;
}

void CCustomStatDlg::ShowRule(const Device::SCustomStatistics& rule, bool left) {
    SelectMethod(left ? *m_method : *m_storedMethod, rule.AveragingMode, left);
    const int values[4] = {rule.MinImpacts, rule.MaxImpacts, rule.UpperOutliers, rule.LowerOutliers};
    auto& edits = left ? m_edit : m_stored;
    for (std::size_t i = 0; i < 4; ++i) edits[i]->setText(UiText::FormatText(u"%d", values[i]));
}

void CCustomStatDlg::Upload() {
    {
        // The hammer needs a moment between the read and a write.
        const CWaitCursor wait;
        QThread::msleep(kPauseMs);
    }
    const QVariant method = m_method->currentData();
    const auto rule = Tools::MakeCustomStatistics(
        static_cast<std::uint8_t>(method.isValid() ? method.toUInt() : 0u), ReadNumber(*m_edit[0]),
        ReadNumber(*m_edit[1]), ReadNumber(*m_edit[2]), ReadNumber(*m_edit[3]));
    // Only the low byte of a larger number would reach the hammer: a rule
    // other than the one typed. It is refused before anything is sent.
    if (!rule) {
        Tools::ShowToolMessage(m_prompt, Tools::kIdStatsValueRange, Text::MsgIcon::Warning);
        return;
    }
    if (!m_connection.ConnectOnDemand(this)) return;
    {
        const CWaitCursor wait;
        Tools::WriteCustomStatistics(*m_connection.Device(), *rule, m_prompt);
    }
    RefreshStored();
}

bool CCustomStatDlg::RefreshStored() {
    if (!m_connection.ConnectOnDemand(this)) return false;
    const auto rule = ReadStored();
    if (!rule) return false;
    ShowRule(*rule, false);
    return true;
}
