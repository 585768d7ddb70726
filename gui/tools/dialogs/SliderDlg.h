#pragma once
// Picks one number in a range with a vertical slider and an edit beside it:
// outlier counts, the carbonation factor and a custom form factor. The slider
// works in whole positions (value times a scale factor) and runs upwards: the
// top end is the maximum.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QSlider;

class CSliderDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSliderDlg(QWidget* parent = nullptr);

    // Set everything before the dialog is shown.
    void SetRange(double minimum, double maximum);
    void SetValue(double value) { m_value = value; }
    void SetDecimals(int decimals) { m_decimals = decimals; }
    void SetStep(double step) { m_step = step; }
    void SetTitle(const QString& title) { m_title = title; }
    void SetUnit(const QString& unit) { m_unit = unit; }
    // A note below the title, and whether the value can be changed at all
    // (when not, OK keeps the value it was given).
    void SetHint(const QString& hint) { m_hint = hint; }
    void SetChangeable(bool changeable) { m_changeable = changeable; }

    // The chosen value, limited to the range; valid after OK.
    double Value() const { return m_value; }

    // --- The slider's arithmetic ----------------------------------------------
    // 1 / max(step, 10^-decimals): positions per unit of value.
    double ScaleFactor() const;
    int MinimumPosition() const;
    int MaximumPosition() const;
    // The position that stands for `value`, and the value a position stands for.
    int PositionOf(double value) const;
    double ValueAt(int position) const;
    // Above the maximum becomes the maximum, below the minimum the minimum.
    double Limit(double value) const;

    // The widgets, for the tests.
    QSlider* Slider() const { return m_slider; }
    QLineEdit* Edit() const { return m_edit; }
    QLabel* TopLabel() const { return m_top; }
    QLabel* BottomLabel() const { return m_bottom; }
    QLabel* TitleLabel() const { return m_titleLabel; }
    QLabel* HintLabel() const { return m_hintLabel; }

    // Fills the widgets from the settings (done when shown; tests call it).
    void Prepare();

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnSliderMoved(int position);
    void OnEditChanged(const QString& text);
    QString NumberText(double value) const;

    double m_minimum = 0;
    double m_maximum = 100;
    double m_value = 50;
    int m_decimals = 0;
    double m_step = 1.0;
    QString m_title;
    QString m_unit;
    QString m_hint;
    bool m_changeable = true;
    bool m_prepared = false;
    bool m_syncing = false;

    QLabel* m_titleLabel;
    QLabel* m_hintLabel;
    QLabel* m_top;
    QLabel* m_bottom;
    QSlider* m_slider;
    QLineEdit* m_edit;
};
