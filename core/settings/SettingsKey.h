#pragma once
// An open key of the settings store, used like a registry key handle. The key
// refers to its store, which must outlive it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsData.h"

namespace Settings {

class CSettingsStore;

class CSettingsKey {
  public:
    CSettingsKey(CSettingsStore& store, std::u16string normalisedPath);

    const std::u16string& Path() const { return m_path; }

    // Nothing when the value is missing or of the other type.
    std::optional<std::u16string> ReadString(std::u16string_view name) const;
    std::optional<std::uint32_t> ReadDword(std::u16string_view name) const;
    std::optional<TSettingsValue> ReadValue(std::u16string_view name) const;

    // False when the value could not be stored (the file could not be
    // written, the key was deleted meanwhile, or the value is too large).
    bool WriteString(std::u16string_view name, std::u16string_view text);
    bool WriteDword(std::u16string_view name, std::uint32_t number);
    bool DeleteValue(std::u16string_view name);

    std::vector<TSettingsValue> EnumValues() const;
    std::vector<std::u16string> EnumSubKeys() const;
    // `name` may itself be a path below this key.
    std::optional<CSettingsKey> OpenSubKey(std::u16string_view name, bool create) const;
    bool DeleteSubKey(std::u16string_view name);

  private:
    CSettingsStore* m_store;
    std::u16string m_path;
};

}  // namespace Settings
