#pragma once
// The per-user settings store: typed values under registry-like key paths, kept
// in one file (see CSettingsData for its form).
//
// The file is the truth: every operation reads it afresh, so changes made by
// another process (the command-line program, say) are seen, and every change is
// written back at once, atomically (a temporary file beside it, flushed to
// disk, renamed over it). A missing, unreadable or damaged file reads as "no
// values"; before a damaged file is replaced it is kept beside the new one as
// "<name>.damaged" so nothing the user had is silently thrown away. A path
// that is not a regular file (a folder, a link to a device) is never written:
// the store then keeps its values in memory for the rest of its life. Both
// events are kept as notices for the front end to tell the user once.
//
// Safe to use from several threads.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsData.h"
#include "settings/SettingsKey.h"

namespace Settings {

struct SStoreNotice {
    enum class EKind {
        SetAside,  // a damaged file was kept as `aside` and the store began anew
        Unusable,  // the path is not a regular file: values live in memory only
    };
    EKind kind = EKind::SetAside;
    std::filesystem::path file;
    std::filesystem::path aside;
};

class CSettingsStore {
  public:
    explicit CSettingsStore(std::filesystem::path file);

    // $BRELVANTOR_SETTINGS when set; otherwise brelvantor.settings in
    // $XDG_CONFIG_HOME/Tolvex (default ~/.config/Tolvex). Empty when no home
    // folder can be found; such a store holds nothing and stores nothing.
    static std::filesystem::path DefaultFilePath();

    const std::filesystem::path& FilePath() const { return m_file; }

    // Opens the key at `path`; with `create` the key (and every key above it)
    // is made and stored first if it does not exist. Nothing when the path is
    // not valid, the key does not exist and may not be created, or it could not
    // be stored.
    std::optional<CSettingsKey> OpenKey(std::u16string_view path, bool create);

    // The operations of CSettingsKey, by normalised key path.
    bool KeyExists(std::u16string_view path);
    std::optional<TSettingsValue> ReadValue(std::u16string_view path, std::u16string_view name);
    // False when the key no longer exists, the value is too large for the file
    // or the file could not be written; the file is then unchanged.
    bool WriteValue(std::u16string_view path, const TSettingsValue& value);
    bool DeleteValue(std::u16string_view path, std::u16string_view name);
    std::vector<TSettingsValue> EnumValues(std::u16string_view path);
    std::vector<std::u16string> EnumSubKeys(std::u16string_view path);
    // Removes the key and everything below it.
    bool DeleteKey(std::u16string_view path);

    // Whether the file is damaged or cannot be read (a missing file is not).
    bool IsFileDamaged();

    // The notices since the last call, each given once.
    std::vector<SStoreNotice> TakeNotices();

  private:
    CSettingsData LoadLocked();
    bool SaveLocked(const CSettingsData& data);

    std::mutex m_lock;
    std::filesystem::path m_file;
    bool m_damaged = false;
    // Set once the path proved unusable; the file is not looked at again.
    std::optional<CSettingsData> m_memory;
    std::vector<SStoreNotice> m_notices;
};

}  // namespace Settings
