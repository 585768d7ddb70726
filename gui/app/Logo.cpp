#include "app/Logo.h"

#include <QAction>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <QToolBar>

CLogo::CLogo(QToolBar* bar)
    : QAbstractButton(bar),
      m_bar(bar),
      m_barObject(bar),
      m_normal(new QSvgRenderer(QStringLiteral(":/icons/logo.svg"), this)),
      m_pressed(new QSvgRenderer(QStringLiteral(":/icons/logo-pressed.svg"), this)) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
    bar->installEventFilter(this);
}

QSize CLogo::sizeHint() const {
    return QSize(150, 40);
}

void CLogo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    (isDown() ? m_pressed : m_normal)->render(&painter, QRectF(rect()));
}

void CLogo::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    emit left();
}

bool CLogo::eventFilter(QObject* watched, QEvent* event) {
    // Compared as a plain object: while the toolbar is being destroyed it is no
    // longer a toolbar, and the events of its last moments must not touch it as one.
    if (watched == m_barObject && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest ||
                                   event->type() == QEvent::Show))
        Reposition();
    return QAbstractButton::eventFilter(watched, event);
}

void CLogo::Reposition() {
    if (!m_bar) return;
    const QSize size = sizeHint();
    const int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int height = std::min(size.height(), m_bar->height());
    const int x = m_bar->width() - size.width() - edge;
    const int y = (m_bar->height() - height) / 2;
    // The rightmost toolbar button: the logo must not cover it.
    int lastRight = 0;
    for (QAction* action : m_bar->actions()) {
        QWidget* button = m_bar->widgetForAction(action);
        if (button && button != this && button->isVisible())
            lastRight = std::max(lastRight, button->geometry().right());
    }
    setGeometry(x, y, size.width(), height);
    setVisible(x > lastRight);
    raise();
}
