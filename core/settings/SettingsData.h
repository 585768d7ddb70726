#pragma once
// The contents of the settings store in memory, and their file form.
//
// Keys are paths of names joined by backslashes, such as
// "Software\Tolvex\Brelvantor\Settings"; a key exists together with all keys
// above it. Key and value names are compared without regard to ASCII case and
// keep the spelling they were created with. A value is either text or a 32-bit
// number; the two never stand in for each other, so a number read from a text
// value fails.
//
// File form (UTF-8, lines ending in LF):
//
//   Brelvantor settings 1
//   [Software\Tolvex\Brelvantor\Settings]
//   "DTFormat"=dword:00000203
//   "Pfad"=sz:"/home/anna/Brelvantor"
//
// The first line names the format. Quoted texts escape \\ \" \n \r \t and any
// other control character as \xHH. Blank lines and lines starting with ';' or
// '#' are skipped. A line that breaks these rules is dropped on its own (the
// rest of the file still counts) and the file is reported as damaged; a file
// without the first line counts as damaged throughout.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Settings {

enum class EValueType { String, Dword };

struct TSettingsValue {
    std::u16string name;
    EValueType type = EValueType::String;
    std::u16string text;       // for String
    std::uint32_t number = 0;  // for Dword

    static TSettingsValue String(std::u16string name, std::u16string text);
    static TSettingsValue Dword(std::u16string name, std::uint32_t number);
    bool operator==(const TSettingsValue&) const = default;
};

class CSettingsData {
  public:
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;
    static constexpr std::size_t kMaxLineLength = 64 * 1024;
    static constexpr std::size_t kMaxKeyNameLength = 255;      // one component of a path
    static constexpr std::size_t kMaxValueNameLength = 16383;  // UTF-16 units
    static constexpr std::string_view kHeader = "Brelvantor settings 1";

    // Reads the file form. `damaged` (when given) tells whether anything had to
    // be dropped.
    static CSettingsData Parse(std::string_view bytes, bool* damaged = nullptr);
    std::string Serialize() const;

    // The path with its names checked and joined by single backslashes, or
    // nothing for an empty path, an empty or overlong name or a control
    // character.
    static std::optional<std::u16string> NormalizePath(std::u16string_view path);

    // The functions below take normalised paths.
    bool HasKey(std::u16string_view path) const;
    // Creates the key and every key above it.
    void CreateKey(std::u16string_view path);
    // Removes the key with everything below it; false when it did not exist.
    bool DeleteKey(std::u16string_view path);
    std::vector<std::u16string> SubKeys(std::u16string_view path) const;

    const TSettingsValue* FindValue(std::u16string_view path, std::u16string_view name) const;
    // False when the key does not exist or the value could not be stored in
    // the file form (a name or text beyond the line limit).
    bool SetValue(std::u16string_view path, const TSettingsValue& value);
    bool DeleteValue(std::u16string_view path, std::u16string_view name);
    std::vector<TSettingsValue> Values(std::u16string_view path) const;

  private:
    struct SKey {
        std::u16string path;  // as first spelt
        std::vector<TSettingsValue> values;
    };
    SKey* FindKey(std::u16string_view path);
    const SKey* FindKey(std::u16string_view path) const;

    std::map<std::u16string, SKey, std::less<>> m_keys;  // by case-folded path
};

}  // namespace Settings
