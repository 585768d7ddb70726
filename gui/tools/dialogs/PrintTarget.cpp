#include "tools/dialogs/PrintTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "text/UserPrompt.h"
#include "ui/UiText.h"

namespace PrintTarget {

QStringList InstalledPrinters() {
    return QPrinterInfo::availablePrinterNames();
}

QString SuggestedPdfFile(const std::filesystem::path& project) {
    if (!project.empty()) {
        std::filesystem::path pdf = project;
        pdf.replace_extension(".pdf");
        return QString::fromStdU16String(pdf.u16string());
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Brelvantor.pdf"));
}

void Prepare(QPrinter& printer, const QString& pdfFile, const QStringList& printers) {
    if (!printers.isEmpty()) return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
}

QAbstractPrintDialog::PrintDialogOptions DialogOptions(bool selectionOffered) {
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile;
    if (selectionOffered) options |= QAbstractPrintDialog::PrintSelection;
    return options;
}

void ReportFailure(const QPrinter& printer, Text::IUserPrompt& prompt) {
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    Text::SMessage msg;
    msg.textId = pdf ? kIdPdfNotWritten : kIdPrinterRefused;
    msg.text = Text::Format(UiText::Load(msg.textId),
                            UiText::FromQ(pdf ? printer.outputFileName() : printer.printerName()));
    msg.icon = Text::MsgIcon::Error;
    prompt.ShowMessage(msg);
}

}  // namespace PrintTarget
