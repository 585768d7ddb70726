// The port table text ("1=/dev/ttyACM0;7=/tmp/hammer", from the environment or
// the settings) as arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "device/PortTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool valid = false;
    std::vector<std::string> skipped;
    const Device::CPortTable table = Device::CPortTable::Parse(text, &valid, &skipped);
    if (valid != skipped.empty()) std::abort();

    unsigned last = 0;
    for (const Device::CPortTable::SEntry& e : table.Entries()) {
        // Ascending, unique, within the numbers a port can have.
        if (e.Number <= last || e.Number > Device::CPortTable::kMaxPort) std::abort();
        last = e.Number;
        if (e.Path.empty()) std::abort();
        for (char c : e.Path) {
            if (static_cast<unsigned char>(c) < 0x20 || c == ';') std::abort();
        }
        const std::optional<unsigned> number = table.NumberOf(e.Path);
        if (!number || *number > e.Number) std::abort();
        if (table.PathOf(e.Number) != e.Path) std::abort();
        (void)table.DisplayName(e.Number);
    }
    // The stored form reads back as the same table, with nothing skipped.
    bool validAgain = false;
    const Device::CPortTable again = Device::CPortTable::Parse(table.ToString(), &validAgain);
    if (!validAgain || !(again.Entries() == table.Entries())) std::abort();
    return 0;
}
