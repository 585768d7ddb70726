#pragma once
// Tells the user why a series did not join the summary, with the choice not to
// be told again.
#include <QDialog>

class QCheckBox;

class CSeriesNotAddedDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSeriesNotAddedDlg(QWidget* parent = nullptr);

    // Whether "Do not show this message again." is ticked.
    bool DoNotShowAgain() const;
    QCheckBox* CheckBox() const { return m_check; }

  private:
    QCheckBox* m_check;
};
