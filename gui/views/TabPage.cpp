#include "views/TabPage.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <QTextDocument>

#include "doc/HammerDoc.h"
#include "tools/dialogs/PrintTarget.h"

CTabPage::CTabPage(SViewContext context, QWidget* parent) : QWidget(parent), m_ctx(context) {}

void CTabPage::OnDocChanged(int index) {
    DocChanged(index);
    emit commandStateChanged();
}

void CTabPage::PrintTable(const QString& title, const QString& exportText) {
    QPrinter printer(QPrinter::HighResolution);
    PrintTarget::Prepare(printer, PrintTarget::SuggestedPdfFile(m_ctx.doc.GetPath()),
                         PrintTarget::InstalledPrinters());
    QPrintDialog dialog(&printer, this);
    dialog.setOptions(PrintTarget::DialogOptions(false));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintTableTo(printer, title, exportText)) PrintTarget::ReportFailure(printer, m_ctx.prompt);
}

bool CTabPage::PrintTo(QPrinter& printer, bool) {
    QString text;
    OnPageRequest(kViewExportText, &text);
    return PrintTableTo(printer, Caption(), text);
}

bool CTabPage::PrintTableTo(QPrinter& printer, const QString& title, const QString& exportText) {
    QString html = QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">")
                       .arg(title.toHtmlEscaped());
    const QStringList lines = QString(exportText)
                                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        html += QStringLiteral("<tr>");
        for (const QString& field : line.split(QLatin1Char('\t')))
            html += QStringLiteral("<td>") + field.toHtmlEscaped() + QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    QTextDocument document;
    document.setHtml(html);
    // The pages are drawn here rather than by QTextDocument::print, which
    // does not say when the printer refused the job.
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    document.documentLayout()->setPaintDevice(&printer);
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    document.setPageSize(page.size());
    for (int p = 0; p < document.pageCount(); ++p) {
        if (p > 0 && !printer.newPage()) {
            printer.abort();
            return false;
        }
        painter.save();
        painter.translate(0, -p * page.height());
        document.drawContents(&painter, page.translated(0, p * page.height()));
        painter.restore();
    }
    return painter.end();
}
