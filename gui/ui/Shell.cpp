#include "ui/Shell.h"

#include <QDesktopServices>
#include <QFile>

namespace {
CShell::Opener& CurrentOpener() {
    static CShell::Opener opener;
    return opener;
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
