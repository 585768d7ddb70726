#pragma once
// The download progress window: "Please wait while downloading..." and a bar
// from 0 to 100. Made hidden when the main window is made; the download runs on
// the user-interface thread, so every new position is painted at once.
#include <QDialog>

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CProgressDlg(QWidget* parent);

    void ShowProgress();
    void SetPos(int percent);
    void HideProgress();
    int Pos() const;
    // The text again from the current module (after a language change).
    void Retranslate();

  signals:
    void positionChanged(int percent);

  private:
    QLabel* m_text;
    QProgressBar* m_bar;
};
