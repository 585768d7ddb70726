#pragma once
// "--screenshot FILE": once the main window has been painted for the first time,
// its picture is saved as PNG and the time from the program's start to that
// first paint is printed in milliseconds.
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QWidget;

class CScreenshot : public QObject {
    Q_OBJECT
  public:
    CScreenshot(QWidget* window, QString file, const QElapsedTimer& sinceStart);

    // Runs the event loop until the picture is saved; the program's exit code.
    int Run();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Save();

    QWidget* m_window;
    QString m_file;
    const QElapsedTimer& m_sinceStart;
    qint64 m_paintedMs = -1;
    bool m_scheduled = false;
};
