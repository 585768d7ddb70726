#pragma once
// Where a print goes, and what the user is told when it went nowhere. Without
// a printer installed the print dialog's only destination is a PDF file: the
// printer starts out as one, named after the project, so that OK writes it.
#include <QAbstractPrintDialog>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>

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

// How a print ended.
enum class EPrintEnd { Printed, Failed, Cancelled };
struct SPrintOutcome {
    EPrintEnd end = EPrintEnd::Failed;
    int error = 0;  // the errno of a failed PDF file, when known
};
// Runs `print` onto `printer`. A PDF file is drawn into a hidden file beside
// its target and renamed over it only once it is complete, so a failed or
// cancelled print leaves the old file (or none) and never half a PDF. A
// device or FIFO is written straight through; a folder, a read-only file or
// a missing folder is refused before anything is drawn.
SPrintOutcome PrintSafely(QPrinter& printer, const std::function<EPrintEnd(QPrinter&)>& print);

// Texts.
inline constexpr unsigned kIdPrinterRefused = 62868;  // "... the printer \"%s\" did not accept the job."
inline constexpr unsigned kIdPdfNotWritten = 62869;   // "... the PDF file \"%s\" could not be written."
inline constexpr unsigned kIdPrinting = 62830;        // "Printing page %d of %d ..."
inline constexpr unsigned kIdPrintCancel = 62455;     // "Cancel"

}  // namespace PrintTarget
