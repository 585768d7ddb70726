#include "tools/curves/CreateCurveDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "doc/HammerDoc.h"
#include "text/UserPrompt.h"
#include "tools/ToolStrings.h"
#include "tools/curves/CurveDlgIds.h"
#include "tools/curves/CurvePlot.h"
#include "ui/UiText.h"

namespace {

using namespace CurveDlgIds;

// A coefficient counts as edited once it moved by more than the last place the
// fields show.
constexpr double kEditTolerance = 9e-7;

QString Six(double v) {
    return UiText::FormatText(u"%0.6f", v);
}

double FieldNumber(const QLineEdit* edit) {
    return Tools::CurveFieldNumber(UiText::FromQ(edit->text()));
}

// The next unit of the label's cycle.
std::uint8_t NextUnitOf(std::uint8_t unit) {
    switch (unit) {
        case kUnitNmm2:
            return kUnitKgCm2;
        case kUnitKgCm2:
            return kUnitPSI;
        case kUnitPSI:
            return kUnitMPa;
        default:
            return kUnitNmm2;
    }
}

}  // namespace

CCreateCurveDlg::CCreateCurveDlg(CHammerDoc& doc, Text::IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt) {
    Build();
    ApplyCurveType();
}

CCreateCurveDlg::CCreateCurveDlg(CHammerDoc& doc, Text::IUserPrompt& prompt, int position, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt), m_viewMode(true) {
    Build();
    setWindowTitle(UiText::Get(kViewTitle));
    const auto& curves = doc.CurveLibrary();
    if (position >= 0 && static_cast<std::size_t>(position) < curves.size()) {
        const TConvCust& c = curves[static_cast<std::size_t>(position)];
        // Shown in the unit the curve was entered in, converted from the stored
        // floats themselves: going through the N/mm² text first would lose the
        // digits a small coefficient has in PSI.
        m_unit = Tools::CurveEntryUnit(c);
        m_previousUnit = m_unit;
        const std::array<double, 4> shown = Tools::CoefficientsInEntryUnit(c);
        for (int i = 0; i < 4; ++i) {
            m_values[static_cast<std::size_t>(i)] = shown[static_cast<std::size_t>(i)];
            m_coefficients[static_cast<std::size_t>(i)]->setText(Six(shown[static_cast<std::size_t>(i)]));
        }
        (c.Kind == kCurveExponential ? m_exponential : m_polynomial)->setChecked(true);
        m_qMin->setText(UiText::FormatText(u"%d", c.QMin));
        m_qMax->setText(UiText::FormatText(u"%d", c.QMax));
        m_name->setText(UiText::ToQ(c.Name()));
        m_hammerType->setCurrentIndex((c.Flags & TConvCust::kFlagTypeN) ? 0 : 1);
    }
    for (QWidget* input : std::initializer_list<QWidget*>{m_name, m_polynomial, m_exponential, m_qMin, m_qMax,
                                                          m_hammerType})
        input->setEnabled(false);
    for (QLineEdit* edit : m_coefficients) edit->setEnabled(false);
    m_create->hide();
    ApplyCurveType();
}

CCreateCurveDlg::~CCreateCurveDlg() = default;

void CCreateCurveDlg::Build() {
    setObjectName(QStringLiteral("createCurveDialog"));
    setWindowTitle(UiText::Get(kCreateTitle));

    auto* nameGroup = new QGroupBox(UiText::Get(kNameGroup), this);
    m_name = new QLineEdit(nameGroup);
    m_name->setObjectName(QStringLiteral("curveName"));
    (new QVBoxLayout(nameGroup))->addWidget(m_name);

    auto* typeGroup = new QGroupBox(UiText::Get(kCurveType), this);
    m_polynomial = new QRadioButton(UiText::Get(kPolynomial), typeGroup);
    m_exponential = new QRadioButton(UiText::Get(kExponential), typeGroup);
    m_polynomial->setChecked(true);
    auto* typeLayout = new QHBoxLayout(typeGroup);
    typeLayout->addWidget(m_polynomial);
    typeLayout->addWidget(m_exponential);
    typeLayout->addStretch(1);

    m_formula = new QGroupBox(this);
    m_formula->setObjectName(QStringLiteral("formula"));
    auto* coefficients = new QGridLayout(m_formula);
    const QString names[] = {QStringLiteral("a ="), QStringLiteral("b ="), QStringLiteral("c ="),
                             QStringLiteral("d =")};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(names[i], m_formula);
        auto* edit = new QLineEdit(m_formula);
        edit->setObjectName(QStringLiteral("coefficient%1").arg(QChar(u'a' + i)));
        label->setBuddy(edit);
        coefficients->addWidget(label, i, 0);
        coefficients->addWidget(edit, i, 1);
        m_coefficientLabels[static_cast<std::size_t>(i)] = label;
        m_coefficients[static_cast<std::size_t>(i)] = edit;
    }

    auto* rangeGroup = new QGroupBox(UiText::Get(kQRange), this);
    m_qMin = new QLineEdit(QStringLiteral("10"), rangeGroup);
    m_qMax = new QLineEdit(QStringLiteral("90"), rangeGroup);
    m_qMin->setObjectName(QStringLiteral("qMin"));
    m_qMax->setObjectName(QStringLiteral("qMax"));
    auto* range = new QGridLayout(rangeGroup);
    range->addWidget(new QLabel(UiText::Get(kMinimum), rangeGroup), 0, 0);
    range->addWidget(m_qMin, 0, 1);
    range->addWidget(new QLabel(UiText::Get(kMaximum), rangeGroup), 1, 0);
    range->addWidget(m_qMax, 1, 1);

    auto* hammerGroup = new QGroupBox(UiText::Get(kHammerType), this);
    m_hammerType = new QComboBox(hammerGroup);
    m_hammerType->setObjectName(QStringLiteral("hammerType"));
    m_hammerType->addItem(UiText::Get(kTypeN));
    m_hammerType->addItem(UiText::Get(kTypeL));
    m_hammerType->setCurrentIndex(0);
    (new QVBoxLayout(hammerGroup))->addWidget(m_hammerType);

    m_plot = new CCurvePlot(*this, this);

    m_create = new QPushButton(UiText::Get(kCreate), this);
    m_create->setObjectName(QStringLiteral("create"));
    m_create->setDefault(true);
    m_back = new QPushButton(UiText::Get(kBack), this);
    m_back->setObjectName(QStringLiteral("back"));
    // Enter on Back moves on like Tab, as on every control but Create.
    m_back->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(nameGroup);
    left->addWidget(typeGroup);
    left->addWidget(m_formula);
    left->addWidget(rangeGroup);
    left->addWidget(hammerGroup);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 0);
    top->addWidget(m_plot, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_create);
    buttons->addWidget(m_back);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(m_name, &QLineEdit::textChanged, this, &CCreateCurveDlg::OnNameChanged);
    connect(m_polynomial, &QRadioButton::clicked, this, &CCreateCurveDlg::ApplyCurveType);
    connect(m_exponential, &QRadioButton::clicked, this, &CCreateCurveDlg::ApplyCurveType);
    connect(m_create, &QPushButton::clicked, this, &CCreateCurveDlg::OnCreate);
    connect(m_back, &QPushButton::clicked, this, &CCreateCurveDlg::OnBack);

    for (QLineEdit* edit : m_coefficients) edit->installEventFilter(this);
    m_qMin->installEventFilter(this);
    m_qMax->installEventFilter(this);
    // Any click in the dialog takes the name's tip away.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

QLabel* CCreateCurveDlg::Tip() const {
    return m_tip;
}

void CCreateCurveDlg::ApplyCurveType() {
    const bool polynomial = m_polynomial->isChecked();
    m_formula->setTitle(polynomial ? QStringLiteral("fck = aQ^3 + bQ^2 + cQ + d") : QStringLiteral("fck = a * e^(Qb)"));
    for (int i = 2; i < 4; ++i) {
        m_coefficients[static_cast<std::size_t>(i)]->setVisible(polynomial);
        m_coefficientLabels[static_cast<std::size_t>(i)]->setVisible(polynomial);
    }
    Repaint();
}

void CCreateCurveDlg::OnNameChanged() {
    if (m_filtering) return;
    const std::u16string typed = UiText::FromQ(m_name->text());
    bool removed = false;
    const std::u16string kept = Tools::FilterCurveName(typed, removed);
    RemoveTip();
    if (removed) {
        // Where the caret and the selection were, counted in the kept letters.
        auto keptBefore = [&](int position) {
            int n = 0;
            for (int i = 0; i < position && static_cast<std::size_t>(i) < typed.size(); ++i)
                if (Tools::IsCurveNameChar(typed[static_cast<std::size_t>(i)])) ++n;
            return n;
        };
        const int cursor = m_name->cursorPosition();
        const bool selected = m_name->hasSelectedText();
        const int start = m_name->selectionStart();
        const int end = start + m_name->selectionLength();
        m_filtering = true;
        m_name->setText(UiText::ToQ(kept));
        if (selected) {
            const int s = keptBefore(start);
            const int e = keptBefore(end);
            if (cursor == start)
                m_name->setSelection(e, s - e);
            else
                m_name->setSelection(s, e - s);
        } else {
            m_name->setCursorPosition(keptBefore(cursor));
        }
        m_filtering = false;
    }
    if (const unsigned hint = Tools::CurveNameHint(typed)) ShowTip(hint);
}

void CCreateCurveDlg::ShowTip(unsigned textId) {
    RemoveTip();
    auto* tip = new QLabel(UiText::Get(textId), this);
    tip->setObjectName(QStringLiteral("nameTip"));
    tip->setProperty("textId", textId);
    tip->setWordWrap(true);
    tip->setFrameShape(QFrame::Box);
    tip->setMargin(4);
    tip->setAutoFillBackground(true);
    tip->setBackgroundRole(QPalette::ToolTipBase);
    tip->setForegroundRole(QPalette::ToolTipText);
    tip->setMaximumWidth(320);
    tip->adjustSize();
    const QPoint centre = m_name->mapTo(this, m_name->rect().center());
    // Kept inside the dialog so the whole text can be read.
    const int x = std::max(0, std::min(centre.x(), width() - tip->width()));
    tip->move(x, centre.y());
    tip->show();
    tip->raise();
    m_tip = tip;
}

void CCreateCurveDlg::RemoveTip() {
    if (m_tip) {
        m_tip->hide();
        m_tip->deleteLater();
        m_tip = nullptr;
    }
}

void CCreateCurveDlg::Repaint() {
    TakeFields();
    m_fieldsTaken = true;
    if (m_plot) m_plot->update();
}

void CCreateCurveDlg::TakeFieldsForPainting() {
    // A repaint that was asked for has read the fields; one the window needs
    // by itself reads them now.
    if (!m_fieldsTaken) TakeFields();
    m_fieldsTaken = false;
}

void CCreateCurveDlg::TakeFields() {
    // Edits since the last repaint.
    for (int i = 0; i < 4; ++i) {
        const double read = FieldNumber(m_coefficients[static_cast<std::size_t>(i)]);
        double& stored = m_values[static_cast<std::size_t>(i)];
        if (std::fabs(read - stored) > kEditTolerance) {
            stored = read;
            if (!m_firstRepaint) m_edited = true;
        }
    }
    if (m_unit != m_previousUnit) {
        const double f = Tools::CurveUnitChangeFactor(m_previousUnit, m_unit);
        const bool polynomial = m_polynomial->isChecked();
        for (int i = 0; i < 4; ++i) {
            if (i == 0 || polynomial) m_values[static_cast<std::size_t>(i)] *= f;
            m_coefficients[static_cast<std::size_t>(i)]->setText(Six(m_values[static_cast<std::size_t>(i)]));
        }
        m_previousUnit = m_unit;
    }
    const Tools::TQRange range = Tools::NormaliseQRange(FieldNumber(m_qMin), FieldNumber(m_qMax));
    const QString minText = UiText::FormatText(u"%d", range.qMin);
    const QString maxText = UiText::FormatText(u"%d", range.qMax);
    if (m_qMin->text() != minText) m_qMin->setText(minText);
    if (m_qMax->text() != maxText) m_qMax->setText(maxText);
    if (m_firstRepaint) {
        m_firstRepaint = false;
        m_edited = false;
    }
}

Tools::TNewCurveInput CCreateCurveDlg::CurrentCurve() const {
    Tools::TNewCurveInput in;
    in.name = UiText::FromQ(m_name->text());
    in.kind = m_polynomial->isChecked() ? kCurvePolynomial : kCurveExponential;
    in.a = m_values[0];
    in.b = m_values[1];
    in.c = m_values[2];
    in.d = m_values[3];
    in.qMin = FieldNumber(m_qMin);
    in.qMax = FieldNumber(m_qMax);
    in.typeN = m_hammerType->currentIndex() == 0;
    in.unit = m_unit;
    return in;
}

void CCreateCurveDlg::NextUnit() {
    m_unit = NextUnitOf(m_unit);
    Repaint();
}

void CCreateCurveDlg::SetOverUnitLabel(bool over) {
    if (over == m_overUnitLabel) return;
    m_overUnitLabel = over;
    m_plot->setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_plot->update();
}

void CCreateCurveDlg::OnCreate() {
    // The fields as they stand: leaving an edit for the button has repainted
    // already, and a second pass of the range rule would move a range the
    // user is about to be told is too small.
    Tools::TNewCurveInput input;
    input.name = UiText::FromQ(m_name->text());
    input.kind = m_polynomial->isChecked() ? kCurvePolynomial : kCurveExponential;
    input.a = FieldNumber(m_coefficients[0]);
    input.b = FieldNumber(m_coefficients[1]);
    input.c = FieldNumber(m_coefficients[2]);
    input.d = FieldNumber(m_coefficients[3]);
    input.qMin = FieldNumber(m_qMin);
    input.qMax = FieldNumber(m_qMax);
    input.typeN = m_hammerType->currentIndex() == 0;
    input.unit = m_unit;
    const Tools::TNewCurveCheck check = Tools::CheckNewCurve(input);
    if (!check.Passed()) {
        Tools::ShowToolMessage(m_prompt, check.messageId, Text::MsgIcon::Warning);
        return;
    }
    // The library reports its own failures; the user is told in every case
    // and the list shows what is on disk.
    m_doc.SaveCurveFile(check.curve);
    Text::ShowMessageId(m_prompt, Tools::kIdCurveCreated, Text::MsgIcon::Information);
    RemoveTip();
    accept();
}

void CCreateCurveDlg::OnBack() {
    if (m_edited && Text::ShowMessageId(m_prompt, kDiscardQuestion, Text::MsgIcon::Question,
                                        Text::MsgButtons::YesNoCancel) != Text::MsgResult::Yes)
        return;
    reject();
}

void CCreateCurveDlg::reject() {
    RemoveTip();
    QDialog::reject();
}

void CCreateCurveDlg::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (focusWidget() == m_create) {
            m_create->click();
        } else {
            focusNextChild();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCreateCurveDlg::moveEvent(QMoveEvent* event) {
    RemoveTip();
    QDialog::moveEvent(event);
}

bool CCreateCurveDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) RemoveTip();
    if (event->type() == QEvent::FocusOut) {
        const bool field = watched == m_qMin || watched == m_qMax ||
                           std::find(m_coefficients.begin(), m_coefficients.end(), watched) != m_coefficients.end();
        if (field) Repaint();
    }
    return QDialog::eventFilter(watched, event);
}
