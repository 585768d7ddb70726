#include "settings/AppSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <system_error>

#include "settings/InstallLayout.h"
#include "text/Encoding.h"
#include "text/LanguageModule.h"
#include "text/StringTable.h"

namespace Settings {
namespace {

namespace fs = std::filesystem;

std::u16string PathText(const fs::path& p) {
    return Text::FromUtf8(p.native());
}
fs::path TextPath(std::u16string_view text) {
    return fs::path(Text::ToUtf8(text));
}

// "/", "//" ...: the root of the file system.
bool IsFileSystemRoot(std::u16string_view folder) {
    return !folder.empty() && folder.find_first_not_of(u'/') == std::u16string_view::npos;
}

// Where per-user data goes when the program's own folder is not writable:
// $XDG_DATA_HOME/Tolvex/Brelvantor (default ~/.local/share/Tolvex/Brelvantor).
fs::path UserDataFolder() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return base / "Tolvex" / "Brelvantor";
}

}  // namespace

CAppSettings::CAppSettings(CSettingsStore& store, Text::IUserPrompt& prompt,
                           std::filesystem::path programPath)
    : m_store(store), m_prompt(prompt), m_programPath(std::move(programPath)) {
    if (!m_programPath.empty() && m_programPath.is_relative()) {
        std::error_code ec;
        fs::path absolute = fs::absolute(m_programPath, ec);
        if (!ec) m_programPath = absolute;
    }
}

std::u16string CAppSettings::ProgramPathText() const {
    return PathText(m_programPath);
}

std::u16string CAppSettings::DefaultUpdateFolder() const {
    auto fallback = [] {
        std::u16string folder = Text::LoadString(kIdFallbackFolder);
        if (folder.empty()) {
            std::error_code ec;
            folder = PathText(fs::temp_directory_path(ec));
        }
        return folder;
    };
    if (m_programPath.empty()) return fallback();

    const std::u16string path = ProgramPathText();
    const std::size_t slash = path.rfind(u'/');
    std::u16string folder = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
    if (folder.empty()) folder = u"/";
    if (::access(TextPath(folder).c_str(), W_OK) == 0) return folder;

    // An installed program's folder belongs to the system: keep the downloads
    // with the user's data instead, and make sure the folder is there so that
    // the very first start does not complain about it.
    const fs::path data = UserDataFolder();
    if (data.empty()) return fallback();
    std::error_code ec;
    fs::create_directories(data, ec);
    return PathText(data);
}

void CAppSettings::ReadSettings() {
    auto key = m_store.OpenKey(Text::LoadString(kIdSettingsKey), true);
    bool writeFailed = false;

    auto readText = [&](unsigned nameId, const std::function<std::u16string()>& makeDefault) {
        const std::u16string name = Text::LoadString(nameId);
        if (key) {
            auto text = key->ReadString(name);
            if (text && text->size() <= kMaxTextLength) return std::move(*text);
        }
        std::u16string value = makeDefault();
        if (!key || !key->WriteString(name, value)) writeFailed = true;
        return value;
    };
    auto readNumber = [&](unsigned nameId) -> std::uint32_t {
        const std::u16string name = Text::LoadString(nameId);
        if (key) {
            if (auto number = key->ReadDword(name)) return *number;
        }
        if (!key || !key->WriteDword(name, 0)) writeFailed = true;
        return 0;
    };

    m_languageFile = readText(kIdValueLanguageFile, [this] { return ProgramPathText(); });
    m_dataFolder = readText(kIdValueDataFolder, [] { return std::u16string(); });
    m_gridCheck = readNumber(kIdValueGridCheck);
    m_dtFormat = readNumber(kIdValueDTFormat);
    m_pfad = readText(kIdValuePfad, [this] { return DefaultUpdateFolder(); });

    // One message for the lot: when one value cannot be written, the others
    // usually cannot either.
    if (writeFailed) ShowWriteFailed();
    CheckUpdateFolder();
    m_registryRoot = Text::LoadString(kIdRegistryRoot);
}

CAppSettings::EFolderState CAppSettings::QueryFolderState(const std::filesystem::path& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0) return EFolderState::Missing;
    if (!S_ISDIR(st.st_mode)) return EFolderState::NotFolder;
    if (::access(folder.c_str(), W_OK) != 0) return EFolderState::ReadOnly;
    return EFolderState::Writable;
}

unsigned CAppSettings::FolderCheckMessage(std::u16string_view folder, EFolderState state) {
    // The root of the file system is left alone whatever its state, as drive
    // roots are elsewhere.
    if (IsFileSystemRoot(folder)) return 0;
    switch (state) {
        case EFolderState::ReadOnly:
            return kIdNoWritePermission;
        case EFolderState::Missing:
        case EFolderState::NotFolder:  // downloads could not be stored in a file
            return kIdFolderIncorrect;
        case EFolderState::Writable:
            break;
    }
    return 0;
}

void CAppSettings::CheckUpdateFolder() {
    const unsigned message = FolderCheckMessage(m_pfad, QueryFolderState(TextPath(m_pfad)));
    if (message != 0)
        Text::ShowMessageId(m_prompt, message, Text::MsgIcon::Error, Text::MsgButtons::Ok, kIdErrorCaption);
}

void CAppSettings::LoadLanguageModule() {
    if (!Text::NamesLanguageModule(m_languageFile)) {
        Text::SetLanguageOverrides(nullptr);
        m_resourceInfo = ProgramVersionInfo();
        m_moduleLoaded = false;
        return;
    }
    auto loaded = Text::CLanguageModule::Load(TextPath(m_languageFile));
    // A module that cannot be read or was made for another version is passed
    // over without a word; the texts stay where they come from now.
    if (!loaded.module || !loaded.module->VersionInfo().IsCompatibleWith(ProgramVersionInfo())) return;
    Text::SetLanguageOverrides(loaded.module->Texts());
    m_resourceInfo = loaded.module->VersionInfo();
    m_moduleLoaded = true;
}

Text::SDateTimePattern CAppSettings::GetDateFormatPattern() const {
    return Text::GetDateFormatPattern(m_dtFormat);
}

Text::SDateTimePattern CAppSettings::GetTimeFormatPattern() const {
    return Text::GetTimeFormatPattern(m_dtFormat);
}

std::u16string CAppSettings::FormatSeriesDateTime(std::uint32_t seconds) const {
    return Text::FormatSeriesDateTime(seconds, GetDateFormatPattern().text, GetTimeFormatPattern().text);
}

void CAppSettings::StoreValue(unsigned nameId, const TSettingsValue& value) {
    // The key is opened, not created: without it there is nothing to report.
    auto key = m_store.OpenKey(Text::LoadString(kIdSettingsKey), false);
    if (!key) return;
    const bool stored = value.type == EValueType::Dword
                            ? key->WriteDword(Text::LoadString(nameId), value.number)
                            : key->WriteString(Text::LoadString(nameId), value.text);
    if (!stored) ShowWriteFailed();
}

void CAppSettings::ShowWriteFailed() {
    // "The registry entry" is a file here: say which, so the user can look at it.
    Text::SMessage msg;
    msg.textId = kIdWriteFailed;
    msg.text = Text::LoadString(kIdWriteFailed);
    if (!m_store.FilePath().empty())
        msg.text += u"\n" + Text::FormatString(kIdSettingsFileLine, m_store.FilePath().u16string());
    msg.icon = Text::MsgIcon::Error;
    m_prompt.ShowMessage(msg);
}

void CAppSettings::ShowStoreNotices() {
    for (const SStoreNotice& notice : m_store.TakeNotices()) {
        Text::SMessage msg;
        msg.icon = Text::MsgIcon::Warning;
        if (notice.kind == SStoreNotice::EKind::SetAside) {
            msg.textId = kIdSettingsSetAside;
            msg.text = Text::FormatString(kIdSettingsSetAside, notice.file.u16string(), notice.aside.u16string());
        } else {
            msg.textId = kIdSettingsUnusable;
            msg.text = Text::FormatString(kIdSettingsUnusable, notice.file.u16string());
        }
        m_prompt.ShowMessage(msg);
    }
}

void CAppSettings::SetDateTimeFormat(std::uint32_t value) {
    m_dtFormat = value;
    StoreValue(kIdValueDTFormat, TSettingsValue::Dword({}, value));
}

void CAppSettings::SetLanguageFile(std::u16string path) {
    m_languageFile = std::move(path);
    StoreValue(kIdValueLanguageFile, TSettingsValue::String({}, m_languageFile));
    LoadLanguageModule();
}

std::u16string CAppSettings::GetLanguageFolder() {
    if (m_languageFile.empty()) SetLanguageFile(ProgramPathText());
    if (!Text::NamesLanguageModule(m_languageFile)) {
        const fs::path data = ProgramDataFolder();
        if (!data.empty()) return PathText(data) + u"/";
    }
    const std::size_t slash = m_languageFile.rfind(u'/');
    return slash == std::u16string::npos ? m_languageFile : m_languageFile.substr(0, slash + 1);
}

fs::path CAppSettings::ProgramDataFolder() const {
    return Settings::ProgramDataFolder(m_programPath);
}

fs::path CAppSettings::HelpFilePath(std::u16string_view fileName) const {
    return FindHelpFile(m_pfad, ProgramDataFolder(), fileName);
}

}  // namespace Settings
