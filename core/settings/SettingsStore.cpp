#include "settings/SettingsStore.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "text/FileReplace.h"
#include "text/SmallFile.h"

namespace Settings {
namespace {

namespace fs = std::filesystem;

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384u, '\0');
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

}  // namespace

CSettingsStore::CSettingsStore(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path CSettingsStore::DefaultFilePath() {
    if (const char* explicitPath = std::getenv("BRELVANTOR_SETTINGS"); explicitPath && *explicitPath)
        return explicitPath;
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const std::string home = HomeFolder();
        if (home.empty()) return {};
        config = fs::path(home) / ".config";
    }
    return config / "Tolvex" / "brelvantor.settings";
}

CSettingsData CSettingsStore::LoadLocked() {
    m_damaged = false;
    if (m_memory) return *m_memory;
    if (m_file.empty()) return {};
    Text::SSmallFile f = Text::ReadSmallFile(m_file, CSettingsData::kMaxFileSize);
    switch (f.status) {
        case Text::ESmallFileStatus::Ok:
            return CSettingsData::Parse(f.bytes, &m_damaged);
        case Text::ESmallFileStatus::Missing:
            return {};
        case Text::ESmallFileStatus::NotRegular:
            // Setting it aside and writing a file in its place would replace
            // a device or a folder: keep to memory instead.
            m_memory.emplace();
            m_notices.push_back({SStoreNotice::EKind::Unusable, m_file, {}});
            return {};
        case Text::ESmallFileStatus::TooLarge:
        case Text::ESmallFileStatus::ReadError:
            break;
    }
    m_damaged = true;
    return {};
}

bool CSettingsStore::SaveLocked(const CSettingsData& data) {
    if (m_file.empty()) return false;
    const std::string bytes = data.Serialize();
    // Never write what we could not read back.
    if (bytes.size() > CSettingsData::kMaxFileSize) return false;
    if (m_memory) {
        *m_memory = data;
        return true;
    }

    // A user who links the file elsewhere keeps the link: the file it points to
    // is the one replaced. The file is the user's own: others may not read it.
    Text::CFileReplacement file(m_file, 0600, /*regularOnly=*/true);
    std::error_code ec;
    const fs::path dir = file.Target().parent_path();
    if (!dir.empty()) fs::create_directories(dir, ec);
    if (ec || !file.Open() || !file.Write(bytes)) return false;
    // A damaged file the store could not read is kept aside, never lost.
    const bool committed = file.Commit([this, &file] {
        std::error_code ignored;
        if (!m_damaged || !fs::is_regular_file(file.Target(), ignored)) return;
        fs::path aside = file.Target();
        aside += ".damaged";
        fs::rename(file.Target(), aside, ignored);
        if (!ignored) m_notices.push_back({SStoreNotice::EKind::SetAside, file.Target(), aside});
    });
    if (!committed) return false;
    m_damaged = false;
    return true;
}

std::optional<CSettingsKey> CSettingsStore::OpenKey(std::u16string_view path, bool create) {
    auto normalised = CSettingsData::NormalizePath(path);
    if (!normalised) return std::nullopt;
    std::lock_guard lock(m_lock);
    CSettingsData data = LoadLocked();
    if (!data.HasKey(*normalised)) {
        if (!create) return std::nullopt;
        data.CreateKey(*normalised);
        if (!SaveLocked(data)) return std::nullopt;
    }
    return CSettingsKey(*this, std::move(*normalised));
}

bool CSettingsStore::KeyExists(std::u16string_view path) {
    std::lock_guard lock(m_lock);
    return LoadLocked().HasKey(path);
}

std::optional<TSettingsValue> CSettingsStore::ReadValue(std::u16string_view path, std::u16string_view name) {
    std::lock_guard lock(m_lock);
    const CSettingsData data = LoadLocked();
    const TSettingsValue* v = data.FindValue(path, name);
    if (!v) return std::nullopt;
    return *v;
}

bool CSettingsStore::WriteValue(std::u16string_view path, const TSettingsValue& value) {
    std::lock_guard lock(m_lock);
    CSettingsData data = LoadLocked();
    return data.SetValue(path, value) && SaveLocked(data);
}

bool CSettingsStore::DeleteValue(std::u16string_view path, std::u16string_view name) {
    std::lock_guard lock(m_lock);
    CSettingsData data = LoadLocked();
    return data.DeleteValue(path, name) && SaveLocked(data);
}

std::vector<TSettingsValue> CSettingsStore::EnumValues(std::u16string_view path) {
    std::lock_guard lock(m_lock);
    return LoadLocked().Values(path);
}

std::vector<std::u16string> CSettingsStore::EnumSubKeys(std::u16string_view path) {
    std::lock_guard lock(m_lock);
    return LoadLocked().SubKeys(path);
}

bool CSettingsStore::DeleteKey(std::u16string_view path) {
    std::lock_guard lock(m_lock);
    CSettingsData data = LoadLocked();
    return data.DeleteKey(path) && SaveLocked(data);
}

std::vector<SStoreNotice> CSettingsStore::TakeNotices() {
    std::lock_guard lock(m_lock);
    return std::exchange(m_notices, {});
}

bool CSettingsStore::IsFileDamaged() {
    std::lock_guard lock(m_lock);
    LoadLocked();
    return m_damaged;
}

}  // namespace Settings
