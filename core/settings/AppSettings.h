#pragma once
// The program's own settings: read from the settings store at start, kept in
// memory, written back when the user changes them. Also decides where the
// user-interface texts come from (the built-in English table or a language
// module) and keeps the version records of the program and of that source.
//
// Meant for the user-interface thread; the store below it is thread-safe.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"
#include "text/DateTimeFormat.h"
#include "text/FileVersionInfo.h"
#include "text/UserPrompt.h"

namespace Settings {

// String ids of the settings key, the value names and the messages.
inline constexpr unsigned kIdRegistryRoot = 600;       // "Tolvex"
inline constexpr unsigned kIdSettingsKey = 602;        // "Software\Tolvex\Brelvantor\Settings"
inline constexpr unsigned kIdValuePfad = 604;          // "Pfad"
inline constexpr unsigned kIdValueLanguageFile = 605;  // "LanguageFile"
inline constexpr unsigned kIdValueDataFolder = 606;    // "DataFolder"
inline constexpr unsigned kIdValueGridCheck = 607;     // "GridCheck"
inline constexpr unsigned kIdValueDTFormat = 608;      // "DTFormat"
inline constexpr unsigned kIdModulePattern = 651;      // "Brelvantor_*.lng"
inline constexpr unsigned kIdWriteFailed = 1000;       // "The registry entry could not be written."
inline constexpr unsigned kIdFallbackFolder = 1802;    // the system's temporary folder
inline constexpr unsigned kIdErrorCaption = 62100;     // "Brelvantor Error"
inline constexpr unsigned kIdNoWritePermission = 62101;
inline constexpr unsigned kIdFolderIncorrect = 62102;
inline constexpr unsigned kIdSettingsSetAside = 62800;
inline constexpr unsigned kIdSettingsUnusable = 62801;
inline constexpr unsigned kIdSettingsFileLine = 62802;  // "Settings file: %s"

class CAppSettings {
  public:
    // Texts longer than this count as unreadable and are replaced by their default.
    static constexpr std::size_t kMaxTextLength = 259;

    // `programPath` is the program file's full path, empty when unknown.
    CAppSettings(CSettingsStore& store, Text::IUserPrompt& prompt, std::filesystem::path programPath);

    // Reads the five values (a missing or unreadable one takes its default,
    // which is written back), then checks the update folder. Messages go to the
    // prompt; reading always completes.
    void ReadSettings();
    // Makes the module named by LanguageFile the source of the texts when it is
    // a language module that can be read and fits the program's version;
    // otherwise keeps the current source. A LanguageFile that names no language
    // module returns to the built-in texts.
    void LoadLanguageModule();
    // Tells the user, once each, what the store did on its own: a damaged
    // file set aside, a path that cannot hold the settings.
    void ShowStoreNotices();

    const std::u16string& LanguageFile() const { return m_languageFile; }
    const std::u16string& DataFolder() const { return m_dataFolder; }
    std::uint32_t GridCheck() const { return m_gridCheck; }
    std::uint32_t DTFormat() const { return m_dtFormat; }
    // The folder downloaded update files go to.
    const std::u16string& Pfad() const { return m_pfad; }
    // The name the desktop program keeps its own profile entries under.
    const std::u16string& RegistryRoot() const { return m_registryRoot; }

    Text::SDateTimePattern GetDateFormatPattern() const;
    Text::SDateTimePattern GetTimeFormatPattern() const;
    // A series time stamp in the user's patterns, date first.
    std::u16string FormatSeriesDateTime(std::uint32_t seconds) const;

    // Stores the value in memory and, when the settings key exists, in the
    // store (a failed write is reported). The in-memory value changes in any case.
    void SetDateTimeFormat(std::uint32_t value);
    // As SetDateTimeFormat, then loads the texts from the new source.
    void SetLanguageFile(std::u16string path);
    // The folder of LanguageFile with its final separator, where the settings
    // dialog looks for language modules; LanguageFile is first set to the
    // program path when it is empty. While the program's own texts are chosen
    // (LanguageFile is the program path) it is the program's data folder, since
    // an installed program keeps its modules there and not beside itself.
    std::u16string GetLanguageFolder();

    // The folder of what ships with the program (language modules, manuals),
    // in the build folder or installed.
    std::filesystem::path ProgramDataFolder() const;
    // The help document `fileName` (the manual, the upgrade tool's help): in
    // the update folder Pfad when it is there, otherwise in the data folder.
    std::filesystem::path HelpFilePath(std::u16string_view fileName) const;

    const Text::CFileVersionInfo& ProgramVersionInfo() const { return Text::CFileVersionInfo::Program(); }
    // Of the module the texts come from: the program's own or the language module's.
    const Text::CFileVersionInfo& ResourceVersionInfo() const { return m_resourceInfo; }
    bool IsLanguageModuleLoaded() const { return m_moduleLoaded; }

    enum class EFolderState { Missing, NotFolder, ReadOnly, Writable };
    static EFolderState QueryFolderState(const std::filesystem::path& folder);
    // The message the update folder check shows for a folder in this state, 0 for none.
    static unsigned FolderCheckMessage(std::u16string_view folder, EFolderState state);

  private:
    void ShowWriteFailed();
    std::u16string ProgramPathText() const;
    std::u16string DefaultUpdateFolder() const;
    void CheckUpdateFolder();
    void StoreValue(unsigned nameId, const TSettingsValue& value);

    CSettingsStore& m_store;
    Text::IUserPrompt& m_prompt;
    std::filesystem::path m_programPath;

    std::u16string m_languageFile;
    std::u16string m_dataFolder;
    std::uint32_t m_gridCheck = 0;
    std::uint32_t m_dtFormat = 0;
    std::u16string m_pfad;
    std::u16string m_registryRoot;

    Text::CFileVersionInfo m_resourceInfo = Text::CFileVersionInfo::Program();
    bool m_moduleLoaded = false;
};

}  // namespace Settings
