#include "app/MessageBoxPrompt.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {

// Questions that the device layer and the wizard ask with OK/Cancel meaning
// Retry/Cancel.
constexpr unsigned kRetryQuestions[] = {21017, 21018, 21019, Ids::kRetrySearch};

std::filesystem::path ToPath(const QString& file) {
    const QByteArray bytes = QFile::encodeName(file);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString FromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

void PrepareDialog(QFileDialog& dialog, const Text::SFileChoice& choice) {
    if (choice.titleId != 0) dialog.setWindowTitle(UiText::Get(choice.titleId));
    const QString filter = CMessageBoxPrompt::ToDialogFilter(choice.filter);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    if (!choice.defaultExtension.empty()) dialog.setDefaultSuffix(UiText::ToQ(choice.defaultExtension));
    // A suggestion such as "*.zvh" is a pattern, not a name to offer.
    const QString suggested = FromPath(choice.suggested);
    if (!suggested.isEmpty() && !suggested.contains(QLatin1Char('*'))) dialog.selectFile(suggested);
}

}  // namespace

QWidget* CMessageBoxPrompt::Parent() {
    if (QWidget* active = QApplication::activeModalWidget()) return active;
    return QApplication::activeWindow();
}

QString CMessageBoxPrompt::ToDialogFilter(std::u16string_view filter) {
    const QStringList parts = UiText::ToQ(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() || patterns.isEmpty()) continue;
        out << (description.contains(QLatin1Char('('))
                    ? description
                    : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

QString CMessageBoxPrompt::CaptionOf(const Text::SMessage& msg) {
    if (!msg.caption.empty()) return UiText::ToQ(msg.caption);
    if (msg.captionId != 0) return UiText::Get(msg.captionId);
    switch (msg.icon) {
        case Text::MsgIcon::Information:
            return UiText::Get(Ids::kCaptionInformation);
        case Text::MsgIcon::Warning:
            return UiText::Get(Ids::kCaptionWarning);
        case Text::MsgIcon::Error:
            return UiText::Get(Ids::kCaptionError);
        default:
            return UiText::Get(Ids::kProgramTitle);
    }
}

bool CMessageBoxPrompt::IsRetryQuestion(const Text::SMessage& msg) {
    if (msg.buttons != Text::MsgButtons::OkCancel) return false;
    for (unsigned id : kRetryQuestions)
        if (msg.textId == id) return true;
    return false;
}

Text::MsgResult CMessageBoxPrompt::ShowMessage(const Text::SMessage& msg) {
    QMessageBox box(Parent());
    box.setWindowTitle(CaptionOf(msg));
    // The texts use CR LF line ends; a lone CR would show as a box.
    box.setText(UiText::ToQ(msg.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (msg.icon) {
        case Text::MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Text::MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Text::MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case Text::MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Text::MsgIcon::None:
            break;
    }
    const bool retry = IsRetryQuestion(msg);
    switch (msg.buttons) {
        case Text::MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Text::MsgButtons::OkCancel:
            box.setStandardButtons(retry ? (QMessageBox::Retry | QMessageBox::Cancel)
                                         : (QMessageBox::Ok | QMessageBox::Cancel));
            break;
        case Text::MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case Text::MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
        case QMessageBox::Retry:
            return Text::MsgResult::Ok;
        case QMessageBox::Yes:
            return Text::MsgResult::Yes;
        case QMessageBox::No:
            return Text::MsgResult::No;
        default:
            return Text::MsgResult::Cancel;
    }
}

std::optional<std::filesystem::path> CMessageBoxPrompt::ChooseOpenFile(const Text::SFileChoice& choice) {
    QFileDialog dialog(Parent());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    PrepareDialog(dialog, choice);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ToPath(dialog.selectedFiles().front());
}

std::optional<std::filesystem::path> CMessageBoxPrompt::ChooseSaveFile(const Text::SFileChoice& choice) {
    QFileDialog dialog(Parent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    PrepareDialog(dialog, choice);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ToPath(dialog.selectedFiles().front());
}
