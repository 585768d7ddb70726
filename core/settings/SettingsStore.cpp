#include "settings/SettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

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

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: some file systems refuse it on folders
    ::close(fd);
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
    if (m_file.empty()) return {};
    Text::SSmallFile f = Text::ReadSmallFile(m_file, CSettingsData::kMaxFileSize);
    switch (f.status) {
        case Text::ESmallFileStatus::Ok:
            return CSettingsData::Parse(f.bytes, &m_damaged);
        case Text::ESmallFileStatus::Missing:
            return {};
        case Text::ESmallFileStatus::NotRegular:
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

    std::error_code ec;
    // A user who links the file elsewhere keeps the link: the file it points to
    // is the one replaced. A chain of links is followed a few steps at most.
    fs::path target = m_file;
    for (int hops = 0; hops < 8 && fs::is_symlink(target, ec); ++hops) {
        fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    fs::create_directories(dir, ec);
    if (ec) return false;

    std::string temp = (dir / target.filename()).string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temp.c_str());
        return false;
    }
    if (m_damaged && fs::is_regular_file(target, ec)) {
        fs::path aside = target;
        aside += ".damaged";
        fs::rename(target, aside, ec);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(dir);
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

bool CSettingsStore::IsFileDamaged() {
    std::lock_guard lock(m_lock);
    LoadLocked();
    return m_damaged;
}

}  // namespace Settings
