#include "ui/Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <system_error>

#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

namespace {
CShell::Opener& CurrentOpener() {
    static CShell::Opener opener;
    return opener;
}

void Report(Text::IUserPrompt& prompt, unsigned id, const std::string& what) {
    Text::SMessage msg;
    msg.textId = id;
    msg.text = Text::Format(UiText::Load(id), what);
    msg.icon = Text::MsgIcon::Warning;
    prompt.ShowMessage(msg);
}
}  // namespace

bool CShell::OpenUrl(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) return false;
    if (CurrentOpener()) return CurrentOpener()(url);
    return QDesktopServices::openUrl(url);
}

bool CShell::OpenFile(const std::filesystem::path& path) {
    return OpenUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path.string()))));
}

void CShell::SetOpener(Opener opener) {
    CurrentOpener() = std::move(opener);
}

bool CShell::OpenFileOrReport(const std::filesystem::path& path, Text::IUserPrompt& prompt) {
    std::error_code ec;
    // The viewer would be started for a file that is not there and say
    // nothing, or say it where nobody looks.
    if (!std::filesystem::is_regular_file(path, ec)) {
        Report(prompt, Ids::kFileMissing, path.string());
        return false;
    }
    if (OpenFile(path)) return true;
    Report(prompt, Ids::kNoViewer, path.string());
    return false;
}

bool CShell::OpenUrlOrReport(const QUrl& url, Text::IUserPrompt& prompt) {
    if (OpenUrl(url)) return true;
    Report(prompt, Ids::kNoBrowser, url.toString().toStdString());
    return false;
}
