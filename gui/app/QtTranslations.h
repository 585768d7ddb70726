#pragma once
// Qt's own texts (the Yes/No/Cancel buttons, the file and print dialogs) in the
// language of the chosen language module: Qt's translation catalogue for that
// language, looked for beside the module first, then where Qt keeps its own.
#include <QString>
#include <filesystem>

namespace Settings {
class CAppSettings;
}

class CQtTranslations {
  public:
    // Follows the module the texts come from now: its language's catalogue is
    // installed, or none (Qt's English) with the built-in texts. The language
    // used, empty when none.
    static QString Apply(const Settings::CAppSettings& settings);
    // Back to Qt's English.
    static void Remove();

    // The language of the loaded module `moduleFile`: the code its string 62867
    // gives, else the one its file name "Brelvantor_<code>.lng" stands for;
    // empty when unknown.
    static QString LanguageOf(const std::filesystem::path& moduleFile);
};
