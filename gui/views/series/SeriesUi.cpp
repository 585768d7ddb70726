#include "views/series/SeriesUi.h"

#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "tools/dialogs/CommentDlg.h"
#include "tools/dialogs/DateTimeDlg.h"
#include "tools/dialogs/PrintTarget.h"
#include "tools/dialogs/SeriesNotAddedDlg.h"
#include "tools/dialogs/SliderDlg.h"
#include "views/series/ChooserIcons.h"
#include "views/series/SeriesText.h"

void CQtSeriesUi::FillMenu(QMenu& menu, EChooserStrip strip, const std::vector<TChooserItem>& items) {
    for (const TChooserItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(SeriesText::ToQ(item.text));
        action->setData(item.id);
        action->setEnabled(item.enabled);
        if (item.icon >= 0 && strip != EChooserStrip::kNone)
            action->setIcon(CChooserIcons::Icon(strip, item.icon));
    }
}

namespace {

int ChosenId(const QAction* chosen) {
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace

int CQtSeriesUi::RunChooserMenu(QWidget* owner, EChooserStrip strip, const std::vector<TChooserItem>& items,
                                const TChooserPlacement& where) {
    QMenu menu(owner);
    FillMenu(menu, strip, items);
    // Top at the bottom edge, centred on the item (or the mouse beside a wide one).
    const QSize size = menu.sizeHint();
    return ChosenId(menu.exec(QPoint(where.CentreX() - size.width() / 2, where.bottom)));
}

int CQtSeriesUi::RunContextMenu(QWidget* owner, const std::vector<TChooserItem>& items,
                                const QPoint& globalPos) {
    QMenu menu(owner);
    FillMenu(menu, EChooserStrip::kNone, items);
    return ChosenId(menu.exec(globalPos));
}

std::optional<double> CQtSeriesUi::RunSlider(QWidget* owner, const TSliderSetup& setup) {
    CSliderDlg dialog(owner);
    dialog.SetRange(setup.minimum, setup.maximum);
    dialog.SetValue(setup.value);
    dialog.SetDecimals(setup.decimals);
    dialog.SetStep(setup.step);
    dialog.SetTitle(SeriesText::ToQ(setup.title));
    dialog.SetUnit(SeriesText::ToQ(setup.unit));
    dialog.SetHint(SeriesText::ToQ(setup.hint));
    dialog.SetChangeable(setup.enabled);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Value();
}

std::optional<std::u16string> CQtSeriesUi::RunComment(QWidget* owner, const std::u16string& text) {
    CCommentDlg dialog(text, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Text();
}

std::optional<std::int64_t> CQtSeriesUi::RunAdjustTime(QWidget* owner, std::uint32_t original,
                                                       std::uint32_t dtFormat) {
    CDateTimeDlg dialog(original, dtFormat, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Offset();
}

bool CQtSeriesUi::RunSeriesNotAdded(QWidget* owner) {
    CSeriesNotAddedDlg dialog(owner);
    dialog.exec();
    return dialog.DoNotShowAgain();
}

std::optional<bool> CQtSeriesUi::RunPrintDialog(QWidget* owner, QPrinter& printer, bool selectionOffered) {
    QPrintDialog dialog(&printer, owner);
    dialog.setOptions(PrintTarget::DialogOptions(selectionOffered));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.printRange() == QAbstractPrintDialog::Selection;
}

CQtSeriesUi::~CQtSeriesUi() {
    delete m_printProgress;
}

bool CQtSeriesUi::PrintProgress(QWidget* owner, int done, int total) {
    if (done >= total) {
        delete m_printProgress;
        m_printProgress = nullptr;
        return true;
    }
    if (!m_printProgress) {
        // The window shows itself once the print looks like taking more than a
        // second; a short print is over before it would appear.
        m_printProgress = new QProgressDialog(owner);
        m_printProgress->setWindowModality(Qt::WindowModal);
        m_printProgress->setMinimumDuration(1000);
        m_printProgress->setCancelButtonText(UiText::Get(PrintTarget::kIdPrintCancel));
        m_printProgress->setAutoReset(false);
        m_printProgress->setAutoClose(false);
    }
    m_printProgress->setLabelText(UiText::Format(PrintTarget::kIdPrinting, done + 1, total));
    m_printProgress->setMaximum(total);
    m_printProgress->setValue(done);  // also lets the Cancel button be pressed
    if (!m_printProgress->wasCanceled()) return true;
    delete m_printProgress;
    m_printProgress = nullptr;
    return false;
}
