#include "app/ProgressDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ui/CommandIds.h"
#include "ui/UiText.h"

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent),
      m_text(new QLabel(UiText::Get(Ids::kPleaseWaitDownloading), this)),
      m_bar(new QProgressBar(this)) {
    setWindowTitle(QString());
    setModal(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    hide();
}

void CProgressDlg::ShowProgress() {
    if (parentWidget()) {
        adjustSize();
        move(parentWidget()->geometry().center() - rect().center());
    }
    show();
    raise();
    repaint();
    // Let the window system map and paint the window before the transfer takes
    // the thread; user input waits until the download is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CProgressDlg::SetPos(int percent) {
    m_bar->setValue(percent < 0 ? 0 : (percent > 100 ? 100 : percent));
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    emit positionChanged(m_bar->value());
}

void CProgressDlg::HideProgress() {
    hide();
}

int CProgressDlg::Pos() const {
    return m_bar->value();
}

void CProgressDlg::Retranslate() {
    m_text->setText(UiText::Get(Ids::kPleaseWaitDownloading));
}
