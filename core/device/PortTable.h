#pragma once
// Serial port numbers and the device paths behind them.
//
// Explicit entries come from the environment variable BRELVANTOR_PORTS or the
// settings value "SerialPorts" (text, in the key of the program's settings), in
// the form "1=/dev/ttyACM0;7=/tmp/hammer". Without them the table lists the
// existing /dev/ttyACM*, /dev/ttyUSB* and /dev/ttyS* (in that order, each group
// sorted by its number) numbered from 1, and is listed afresh whenever it is
// asked for, so that an adapter plugged in later is found.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Settings {
class CSettingsStore;
}

namespace Device {

class CPortTable {
  public:
    struct SEntry {
        unsigned Number = 0;
        std::string Path;
        bool operator==(const SEntry&) const = default;
    };

    // Port numbers the table accepts.
    static constexpr unsigned kMaxPort = 9999;
    static constexpr const char* kEnvironmentVariable = "BRELVANTOR_PORTS";
    static constexpr const char16_t* kSettingsValue = u"SerialPorts";

    CPortTable() = default;

    // "n=path" entries separated by ";" (blanks around them ignored). Entries
    // with a number outside 1 to 9999, an empty path, a path containing control
    // characters or a number already given are skipped. `valid` (when given)
    // tells whether nothing had to be skipped.
    // `skipped` (when given) receives each skipped entry as written.
    static CPortTable Parse(std::string_view text, bool* valid = nullptr,
                            std::vector<std::string>* skipped = nullptr);
    // The existing ttyACM*, ttyUSB* and ttyS* devices in `devDir`, numbered from 1.
    static CPortTable Scan(const std::filesystem::path& devDir = "/dev");

    // The table in force: BRELVANTOR_PORTS when set and not empty, else the
    // store's "SerialPorts" when set, else a scan of /dev. `store` may be null.
    // Skipped entries are reported on stderr, once per distinct table text, so
    // that a typing error in the table does not make a port vanish unnoticed.
    static CPortTable Load(Settings::CSettingsStore* store);

    // The process-wide table the serial transport uses. Until SetCurrent (or
    // after SetCurrent with an empty table) it is Load(store of UseStore) anew on
    // each call.
    static CPortTable Current();
    static void SetCurrent(std::optional<CPortTable> table);
    // The store Current reads "SerialPorts" from (not owned; nullptr: none).
    static void UseStore(Settings::CSettingsStore* store);

    const std::vector<SEntry>& Entries() const { return m_Entries; }
    bool IsEmpty() const { return m_Entries.empty(); }
    std::optional<std::string> PathOf(unsigned number) const;
    std::optional<unsigned> NumberOf(std::string_view path) const;
    // Whether the port has an entry and its path exists in the file system.
    bool Exists(unsigned number) const;
    // The numbers whose paths exist, ascending.
    std::vector<unsigned> ExistingPorts() const;
    // Back to the "n=path;..." form.
    std::string ToString() const;

    // "COM3 (/dev/ttyACM0)" — what users see wherever a port is named; "COM3"
    // alone when the number has no entry.
    std::string DisplayName(unsigned number) const;

  private:
    static CPortTable ParseAndWarn(const std::string& text, const std::string& source);
    void Add(unsigned number, std::string path);

    std::vector<SEntry> m_Entries;  // ascending by number
};

}  // namespace Device
