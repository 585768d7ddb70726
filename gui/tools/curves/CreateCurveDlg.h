#pragma once
// Creates a custom conversion curve, or shows an existing one read-only: the
// name, the curve type with its formula, the coefficients, the valid Q range
// and the hammer type, with a live plot of the curve. The checks and the
// record are the curve tools' of core, as for the command line; the curve is
// saved through the document's curve library.
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <array>
#include <cstdint>

#include "tools/CurveCreation.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CHammerDoc;
class CCurvePlot;

namespace Text {
class IUserPrompt;
}

class CCreateCurveDlg : public QDialog {
    Q_OBJECT
  public:
    // For a new curve.
    CCreateCurveDlg(CHammerDoc& doc, Text::IUserPrompt& prompt, QWidget* parent = nullptr);
    // In view mode on the curve at `position` of the document's curve library.
    CCreateCurveDlg(CHammerDoc& doc, Text::IUserPrompt& prompt, int position, QWidget* parent = nullptr);
    ~CCreateCurveDlg() override;

    bool IsViewMode() const { return m_viewMode; }
    bool IsEdited() const { return m_edited; }
    std::uint8_t DisplayUnit() const { return m_unit; }
    // The unit label's place on the plot, in the plot's coordinates.
    QRect UnitLabelRect() const { return m_unitLabel; }
    bool IsOverUnitLabel() const { return m_overUnitLabel; }
    // The tip beside the name while it is shown, else nullptr.
    QLabel* Tip() const;

    QLineEdit* NameEdit() const { return m_name; }
    QRadioButton* PolynomialButton() const { return m_polynomial; }
    QRadioButton* ExponentialButton() const { return m_exponential; }
    QGroupBox* FormulaBox() const { return m_formula; }
    QLineEdit* CoefficientEdit(int i) const { return m_coefficients[static_cast<std::size_t>(i)]; }
    QLabel* CoefficientLabel(int i) const { return m_coefficientLabels[static_cast<std::size_t>(i)]; }
    QLineEdit* MinimumEdit() const { return m_qMin; }
    QLineEdit* MaximumEdit() const { return m_qMax; }
    QComboBox* HammerTypeList() const { return m_hammerType; }
    CCurvePlot* Plot() const { return m_plot; }
    QPushButton* CreateButton() const { return m_create; }
    QPushButton* BackButton() const { return m_back; }

    // The repaint's reading of the fields: edits noticed, the unit change
    // converted, the Q range normalised. The plot runs it before it draws.
    void TakeFields();
    // The plot's paint: TakeFields unless the repaint that asked for it ran it.
    void TakeFieldsForPainting();
    // What the plot draws: the curve as the fields hold it now, in the display unit.
    Tools::TNewCurveInput CurrentCurve() const;
    // The unit label was clicked: the next unit of the cycle.
    void NextUnit();
    void SetOverUnitLabel(bool over);
    void SetUnitLabelRect(const QRect& rect) { m_unitLabel = rect; }

  public slots:
    void OnCreate();
    void OnBack();
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    void ApplyCurveType();
    void OnNameChanged();
    void ShowTip(unsigned textId);
    void RemoveTip();
    void Repaint();

    CHammerDoc& m_doc;
    Text::IUserPrompt& m_prompt;
    bool m_viewMode = false;
    bool m_edited = false;
    bool m_firstRepaint = true;
    bool m_filtering = false;
    bool m_fieldsTaken = false;
    std::uint8_t m_unit = kUnitNmm2;          // the unit the coefficients are shown in
    std::uint8_t m_previousUnit = kUnitNmm2;  // the unit of the previous repaint
    std::array<double, 4> m_values{};         // a, b, c, d as last read from the fields
    QRect m_unitLabel;
    bool m_overUnitLabel = false;

    QLineEdit* m_name = nullptr;
    QRadioButton* m_polynomial = nullptr;
    QRadioButton* m_exponential = nullptr;
    QGroupBox* m_formula = nullptr;
    std::array<QLineEdit*, 4> m_coefficients{};
    std::array<QLabel*, 4> m_coefficientLabels{};
    QLineEdit* m_qMin = nullptr;
    QLineEdit* m_qMax = nullptr;
    QComboBox* m_hammerType = nullptr;
    CCurvePlot* m_plot = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_back = nullptr;
    QPointer<QLabel> m_tip;
};
