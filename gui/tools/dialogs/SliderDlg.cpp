#include "tools/dialogs/SliderDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "views/series/SeriesText.h"

CSliderDlg::CSliderDlg(QWidget* parent)
    : QDialog(parent),
      m_titleLabel(new QLabel(this)),
      m_hintLabel(new QLabel(this)),
      m_top(new QLabel(this)),
      m_bottom(new QLabel(this)),
      m_slider(new QSlider(Qt::Vertical, this)),
      m_edit(new QLineEdit(this)) {
    setObjectName(QStringLiteral("sliderDialog"));
    // The lowest position at the top, as the positions count; the top end
    // stands for the maximum value.
    m_slider->setInvertedAppearance(true);
    m_slider->setInvertedControls(true);
    m_slider->setMinimumHeight(160);
    m_slider->setObjectName(QStringLiteral("slider"));
    m_edit->setObjectName(QStringLiteral("value"));
    m_edit->setMaximumWidth(90);
    m_hintLabel->setObjectName(QStringLiteral("hint"));
    m_hintLabel->setWordWrap(true);
    m_hintLabel->setMaximumWidth(320);
    m_hintLabel->hide();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(SeriesText::Get(SeriesText::Ids::kButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(SeriesText::Get(SeriesText::Ids::kButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSliderDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSliderDlg::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(m_top, 0, 1);
    grid->addWidget(m_slider, 1, 0, 1, 1, Qt::AlignHCenter);
    grid->addWidget(m_edit, 1, 1, Qt::AlignVCenter);
    grid->addWidget(m_bottom, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_hintLabel);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_slider, &QSlider::valueChanged, this, &CSliderDlg::OnSliderMoved);
    connect(m_edit, &QLineEdit::textChanged, this, &CSliderDlg::OnEditChanged);
}

void CSliderDlg::SetRange(double minimum, double maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

double CSliderDlg::ScaleFactor() const {
    const double finest = std::pow(10.0, -std::clamp(m_decimals, 0, 9));
    return 1.0 / std::max(m_step, finest);
}

int CSliderDlg::MinimumPosition() const {
    return static_cast<int>(std::lround(ScaleFactor() * m_minimum));
}

int CSliderDlg::MaximumPosition() const {
    return static_cast<int>(std::lround(ScaleFactor() * m_maximum));
}

int CSliderDlg::PositionOf(double value) const {
    return MinimumPosition() + MaximumPosition() - static_cast<int>(std::lround(value * ScaleFactor()));
}

double CSliderDlg::ValueAt(int position) const {
    return (MinimumPosition() + MaximumPosition() - position) / ScaleFactor();
}

double CSliderDlg::Limit(double value) const {
    if (value > m_maximum) return m_maximum;
    if (value < m_minimum) return m_minimum;
    return value;
}

QString CSliderDlg::NumberText(double value) const {
    return SeriesText::FormatText(u"%0.*f", m_decimals, value);
}

void CSliderDlg::Prepare() {
    m_prepared = true;
    const QString title = m_title.isEmpty() ? SeriesText::Get(SeriesText::Ids::kSliderTitle) : m_title;
    setWindowTitle(title);
    m_titleLabel->setText(title);
    m_hintLabel->setText(m_hint);
    m_hintLabel->setVisible(!m_hint.isEmpty());
    m_slider->setEnabled(m_changeable);
    m_edit->setEnabled(m_changeable);
    const std::u16string unit = SeriesText::FromQ(m_unit);
    m_top->setText(SeriesText::FormatText(u"%0.*f%s", m_decimals, m_maximum, unit));
    m_bottom->setText(SeriesText::FormatText(u"%0.*f%s", m_decimals, m_minimum, unit));
    m_syncing = true;
    m_slider->setRange(MinimumPosition(), MaximumPosition());
    m_slider->setSingleStep(1);
    m_slider->setPageStep(std::max(1, (MaximumPosition() - MinimumPosition()) / 10));
    m_slider->setValue(PositionOf(m_value));
    m_syncing = false;
    m_edit->setText(NumberText(m_value));
    m_edit->selectAll();
    m_edit->setFocus();
}

void CSliderDlg::showEvent(QShowEvent* event) {
    if (!m_prepared) Prepare();
    QDialog::showEvent(event);
}

void CSliderDlg::OnSliderMoved(int position) {
    if (m_syncing) return;
    // Writing the edit must not move the slider back to a rounded position.
    m_syncing = true;
    m_edit->setText(NumberText(ValueAt(position)));
    m_syncing = false;
}

void CSliderDlg::OnEditChanged(const QString& text) {
    if (m_syncing) return;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return;
    m_syncing = true;
    const double position =
        static_cast<double>(MinimumPosition()) + MaximumPosition() - std::round(value * ScaleFactor());
    m_slider->setValue(static_cast<int>(std::clamp(position, -2.0e9, 2.0e9)));
    m_syncing = false;
}

void CSliderDlg::accept() {
    if (!m_changeable) {
        QDialog::accept();
        return;
    }
    bool ok = false;
    double value = m_edit->text().trimmed().toDouble(&ok);
    // Text that is no number leaves the value where the slider stands.
    if (!ok || !std::isfinite(value)) value = ValueAt(m_slider->value());
    m_value = Limit(value);
    QDialog::accept();
}
