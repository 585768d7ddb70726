#pragma once
// The maker's logo at the right end of the toolbar row: a picture button with a
// pressed picture and the hand cursor. It keeps itself one frame width from the
// right border and hides while it would cover the last toolbar button.
#include <QAbstractButton>
#include <QPointer>

class QSvgRenderer;
class QToolBar;

class CLogo : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CLogo(QToolBar* bar);

    QSize sizeHint() const override;
    // Places the logo on its toolbar; hidden when there is no room.
    void Reposition();

  signals:
    // The pointer left the logo: the status bar returns to its idle text.
    void left();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QToolBar> m_bar;
    const QObject* m_barObject;  // the same toolbar, for telling its events apart
    QSvgRenderer* m_normal;
    QSvgRenderer* m_pressed;
};
