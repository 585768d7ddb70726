#include "tools/dialogs/PrintTarget.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "text/FileReplace.h"
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

namespace {

// A PDF ends with its end-of-file mark; a write that failed on the way (a full
// disk, a size limit) leaves a file without one, which Qt does not report.
bool EndsLikeAPdf(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char tail[32] = {};
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const off_t from = size > static_cast<off_t>(sizeof tail) ? size - static_cast<off_t>(sizeof tail) : 0;
    const ssize_t n = size > 0 ? ::pread(fd, tail, sizeof tail, from) : 0;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (n <= 0 || !synced) return false;
    const std::string end(tail, static_cast<std::size_t>(n));
    return end.find("%%EOF") != std::string::npos;
}

}  // namespace

SPrintOutcome PrintSafely(QPrinter& printer, const std::function<EPrintEnd(QPrinter&)>& print) {
    const QString name = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || name.isEmpty()) return {print(printer), 0};
    const QByteArray encoded = QFile::encodeName(name);
    const std::filesystem::path target =
        Text::FollowLinks(std::filesystem::path(std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()))));
    Text::EWriteRoute route = Text::EWriteRoute::Replace;
    if (const int refused = Text::ChooseWriteRoute(target, route); refused != 0) return {EPrintEnd::Failed, refused};
    if (route == Text::EWriteRoute::Through) {
        const EPrintEnd end = print(printer);
        return {end, end == EPrintEnd::Failed ? EIO : 0};
    }
    // The hidden file is made here so that a folder nobody may write in (or
    // one that is missing) is said with its reason.
    const std::filesystem::path temp = Text::TempNameBeside(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return {EPrintEnd::Failed, errno};
    ::close(fd);
    printer.setOutputFileName(QFile::decodeName(temp.c_str()));
    const EPrintEnd end = print(printer);
    printer.setOutputFileName(name);
    std::error_code ignored;
    if (end != EPrintEnd::Printed) {
        std::filesystem::remove(temp, ignored);
        return {end, end == EPrintEnd::Failed ? EIO : 0};
    }
    if (!EndsLikeAPdf(temp)) {
        std::filesystem::remove(temp, ignored);
        return {EPrintEnd::Failed, EIO};
    }
    // A replaced file keeps its permissions.
    if (std::filesystem::exists(target, ignored))
        std::filesystem::permissions(temp, std::filesystem::status(target, ignored).permissions(), ignored);
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        std::filesystem::remove(temp, ignored);
        return {EPrintEnd::Failed, error};
    }
    Text::SyncFolder(target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path());
    return {EPrintEnd::Printed, 0};
}

}  // namespace PrintTarget
