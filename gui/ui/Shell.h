#pragma once
// Opening documents, folders and web addresses with the desktop's default
// application. Tests replace the opener to see what would have been opened.
#include <QUrl>
#include <filesystem>
#include <functional>

class CShell {
  public:
    using Opener = std::function<bool(const QUrl&)>;

    static bool OpenUrl(const QUrl& url);
    static bool OpenFile(const std::filesystem::path& path);
    // nullptr (the default) opens with the desktop's URL handler.
    static void SetOpener(Opener opener);
};
