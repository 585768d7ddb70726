// Language modules as arbitrary bytes, and version texts as arbitrary text. A
// module is taken whole or refused with a reason; what it carries stays inside
// the limits the string table relies on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/FileVersionInfo.h"
#include "text/LanguageModule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Text::SLanguageModuleLoad load = Text::CLanguageModule::Parse(bytes);
    if (load.module) {
        if (load.error != Text::ELanguageModuleError::None || load.line != 0) std::abort();
        const Text::CFileVersionInfo& info = load.module->VersionInfo();
        (void)info.IsCompatibleWith(Text::CFileVersionInfo::Program());
        for (std::u16string_view name : Text::CFileVersionInfo::kNames) (void)info.Get(name);
        if (!load.module->Texts()) std::abort();
        for (const auto& [id, text] : *load.module->Texts()) {
            if (id < 1 || id > Text::CLanguageModule::kMaxId || text.empty()) std::abort();
        }
    } else if (load.error == Text::ELanguageModuleError::None) {
        std::abort();
    }

    // The version entries' numbers: the same bytes as a version text, one code
    // unit per byte. What is read must come back from its own text form.
    const std::u16string text(bytes.begin(), bytes.end());
    if (const auto version = Text::TModuleVersion::Parse(text)) {
        const auto again = Text::TModuleVersion::Parse(version->ToText());
        if (!again || !(*again == *version)) std::abort();
    }
    return 0;
}
