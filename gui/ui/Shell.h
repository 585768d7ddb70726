#pragma once
// Opening documents, folders and web addresses with the desktop's default
// application. Tests replace the opener to see what would have been opened,
// or to play a desktop that has no viewer or browser.
#include <QUrl>
#include <filesystem>
#include <functional>

namespace Text {
class IUserPrompt;
}

class CShell {
  public:
    // True when a program was started for the address.
    using Opener = std::function<bool(const QUrl&)>;

    static bool OpenUrl(const QUrl& url);
    static bool OpenFile(const std::filesystem::path& path);
    // nullptr (the default) opens with the desktop's URL handler.
    static void SetOpener(Opener opener);

    // The same, telling the user (with the path or the address) when the file
    // is missing or nothing could be started to show it: the desktop's own
    // handlers fail without a word.
    static bool OpenFileOrReport(const std::filesystem::path& path, Text::IUserPrompt& prompt);
    static bool OpenUrlOrReport(const QUrl& url, Text::IUserPrompt& prompt);
};
