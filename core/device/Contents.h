#pragma once
// A list of software components with their versions: what a device has
// installed (CZvDevice::GetContents) or what an update package carries.
#include <cstdint>
#include <string>
#include <vector>

#include "model/Version.h"

namespace Device {

struct SContentEntry {
    std::uint8_t FlagA = 0;  // the hammer: 1 application, 0 bootloader
    std::uint8_t FlagB = 0;
    std::int32_t Kind = 0;  // 0 to 7; the hammer reports 1 (application) and 3 (bootloader)
    CVersion Version;
    std::string Code;          // three letters from a package entry, else empty
    std::uint16_t ValueA = 0;  // package entries only
    std::uint16_t ValueB = 0;  // package entries only
    std::string Size;          // "%d kB" or "%0.1f MB" from a package entry, else empty

    bool operator==(const SContentEntry&) const = default;
};

inline constexpr std::int32_t kContentApplication = 1;
inline constexpr std::int32_t kContentBootloader = 3;

class CContents {
  public:
    CVersion GetFormatVersion() const { return m_FormatVersion; }
    void SetFormatVersion(CVersion version) { m_FormatVersion = version; }

    const std::vector<SContentEntry>& GetEntries() const { return m_Entries; }
    std::size_t GetCount() const { return m_Entries.size(); }
    const SContentEntry& operator[](std::size_t index) const { return m_Entries.at(index); }
    void Add(SContentEntry entry) { m_Entries.push_back(std::move(entry)); }
    // Empties the list; the format version stays.
    void Clear() { m_Entries.clear(); }
    // The first entry of `kind`, or nullptr.
    const SContentEntry* Find(std::int32_t kind) const;

  private:
    CVersion m_FormatVersion;
    std::vector<SContentEntry> m_Entries;
};

}  // namespace Device
