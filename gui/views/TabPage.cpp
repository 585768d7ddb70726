#include "views/TabPage.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <QTextDocument>

CTabPage::CTabPage(SViewContext context, QWidget* parent) : QWidget(parent), m_ctx(context) {}

void CTabPage::OnDocChanged(int index) {
    DocChanged(index);
    emit commandStateChanged();
}

void CTabPage::PrintTable(const QString& title, const QString& exportText) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
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
    document.print(&printer);
}
