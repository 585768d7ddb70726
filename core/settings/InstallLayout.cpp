#include "settings/InstallLayout.h"

#include <system_error>

#include "text/Encoding.h"

#ifndef BRELVANTOR_DATA_FROM_BIN
#define BRELVANTOR_DATA_FROM_BIN "../share/brelvantor"
#endif

namespace Settings {

namespace fs = std::filesystem;

fs::path InstalledDataFolderFromProgram() {
    return fs::path(BRELVANTOR_DATA_FROM_BIN);
}

fs::path ProgramDataFolder(const fs::path& programPath) {
    if (programPath.empty()) return {};
    const fs::path programFolder = programPath.parent_path();
    const fs::path installed = (programFolder / InstalledDataFolderFromProgram()).lexically_normal();
    std::error_code ec;
    if (fs::is_directory(installed, ec)) return installed;
    return programFolder;
}

fs::path FindHelpFile(std::u16string_view updateFolder, const fs::path& dataFolder, std::u16string_view fileName) {
    const fs::path name(Text::ToUtf8(fileName));
    const fs::path inUpdateFolder = updateFolder.empty() ? fs::path() : fs::path(Text::ToUtf8(updateFolder)) / name;
    const fs::path inDataFolder = dataFolder.empty() ? fs::path() : dataFolder / name;
    std::error_code ec;
    if (!inUpdateFolder.empty() && fs::is_regular_file(inUpdateFolder, ec)) return inUpdateFolder;
    if (!inDataFolder.empty()) return inDataFolder;
    if (!inUpdateFolder.empty()) return inUpdateFolder;
    return name;
}

}  // namespace Settings
