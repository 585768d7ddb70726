#pragma once
// Driving the program's windows as a user would, for the tests and the
// screenshot tour: waiting for a condition, answering modal dialogs, the
// simulated hammer on a pty, and the search wizard run with scripted choices.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/DevFoundPage.h"
#include "app/DevSelectSheet.h"
#include "app/PortSelectPage.h"
#include "core/device/E2eSupport.h"

namespace GuiTest {

// Runs the event loop until `condition` holds or `ms` have passed; the result
// is the condition's last value. Only a deadline for a wait, never a measurement.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Calls `action` with the next modal dialog once it is shown (for commands that
// run a dialog with exec()).
inline void WhenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

// The simulated hammer on a pty, as the device tests have it.
using E2e::CSimLine;
using E2e::LoadState;
using E2e::StatePath;

// The wizard as a user drives it: choices on the communication page, Next, wait
// for the search, then Finish when a device was found (else Cancel).
struct SWizardScript {
    bool scan = true;
    bool stopAfterFirst = true;
    QString port = QStringLiteral("1");
    int runs = 0;
    int devicesFound = -1;

    bool operator()(CDevSelectSheet& wizard) {
        ++runs;
        wizard.show();
        CPortSelectPage* page = wizard.PortPage();
        page->ScanBox()->setChecked(scan);
        page->StopBox()->setChecked(stopAfterFirst);
        page->PortField()->setText(port);
        wizard.button(QWizard::NextButton)->click();
        CDevFoundPage* result = wizard.ResultPage();
        const bool ended = WaitFor(
            [&] { return wizard.currentId() == CDevSelectSheet::kResultPage && !result->IsSearching(); });
        devicesFound = result->DeviceCount();
        if (!ended || devicesFound == 0) {
            wizard.button(QWizard::CancelButton)->click();
            return false;
        }
        wizard.button(QWizard::FinishButton)->click();
        return wizard.result() == QDialog::Accepted;
    }
};

}  // namespace GuiTest
