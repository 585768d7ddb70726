#pragma once
// Where a print goes, and what the user is told when it went nowhere. Without
// a printer installed the print dialog's only destination is a PDF file: the
// printer starts out as one, named after the project, so that OK writes it.
#include <QAbstractPrintDialog>
#include <QString>
#include <QStringList>
#include <filesystem>

class QPrinter;
namespace Text {
class IUserPrompt;
}

namespace PrintTarget {

// The printers the system offers.
QStringList InstalledPrinters();
// Beside the project, with the extension .pdf; without a project in the
// user's documents folder.
QString SuggestedPdfFile(const std::filesystem::path& project);
// With no printer in `printers`, the printer becomes a PDF file at `pdfFile`.
void Prepare(QPrinter& printer, const QString& pdfFile, const QStringList& printers);
// The dialog's options: the page size, printing to a file, and the
// selection when there is one.
QAbstractPrintDialog::PrintDialogOptions DialogOptions(bool selectionOffered);
// Tells the user that the printer (or the PDF file) did not take the job.
void ReportFailure(const QPrinter& printer, Text::IUserPrompt& prompt);

// Texts.
inline constexpr unsigned kIdPrinterRefused = 62868;  // "... the printer \"%s\" did not accept the job."
inline constexpr unsigned kIdPdfNotWritten = 62869;   // "... the PDF file \"%s\" could not be written."

}  // namespace PrintTarget
