// The settings file as arbitrary bytes. Whatever is kept must be written back
// in a form that reads again cleanly and unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/SettingsData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    bool damaged = false;
    const Settings::CSettingsData settings = Settings::CSettingsData::Parse(bytes, &damaged);
    const std::string written = settings.Serialize();
    bool damagedAgain = true;
    const Settings::CSettingsData again = Settings::CSettingsData::Parse(written, &damagedAgain);
    if (damagedAgain || again.Serialize() != written) std::abort();
    return 0;
}
