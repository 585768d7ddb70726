#include "app/Screenshot.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {
// A window system that never exposes the window still gets its picture taken.
constexpr int kPaintWaitMs = 10000;
}  // namespace

CScreenshot::CScreenshot(QWidget* window, QString file, const QElapsedTimer& sinceStart)
    : m_window(window), m_file(std::move(file)), m_sinceStart(sinceStart) {
    m_window->installEventFilter(this);
}

bool CScreenshot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Paint && !m_scheduled) {
        m_scheduled = true;
        m_paintedMs = m_sinceStart.elapsed();
        // After this paint has finished.
        QTimer::singleShot(0, this, &CScreenshot::Save);
    }
    return QObject::eventFilter(watched, event);
}

void CScreenshot::Save() {
    if (m_paintedMs < 0) m_paintedMs = m_sinceStart.elapsed();
    const bool saved = m_window->grab().save(m_file, "PNG");
    if (!saved) {
        std::fprintf(stderr, "brelvantor: cannot write %s\n", m_file.toLocal8Bit().constData());
        QCoreApplication::exit(1);
        return;
    }
    std::printf("%lld\n", static_cast<long long>(m_paintedMs));
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

int CScreenshot::Run() {
    QTimer::singleShot(kPaintWaitMs, this, [this] {
        if (!m_scheduled) {
            m_scheduled = true;
            Save();
        }
    });
    return QCoreApplication::exec();
}
