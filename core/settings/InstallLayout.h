#pragma once
// Where the program finds what ships with it: the language modules and the
// manuals.
//
// Two layouts exist. In the build folder everything sits beside the programs
// (build/<preset>/bin). An installed program lives in <prefix>/bin and its data
// in <prefix>/share/brelvantor; the data folder is found relative to the
// program file, never by a prefix compiled in, so a package installed under
// /usr, a tree unpacked into /opt/x and an install into ~/.local all work the
// same and can be moved.
#include <filesystem>
#include <string_view>

namespace Settings {

// The folder of the program's shipped data for the program file `programPath`:
// <program folder>/<relative data folder> when that folder exists (installed),
// otherwise the program's own folder (build folder). Empty for an empty path.
std::filesystem::path ProgramDataFolder(const std::filesystem::path& programPath);

// The data folder relative to the program folder in the installed layout
// ("../share/brelvantor" for the usual install directories).
std::filesystem::path InstalledDataFolderFromProgram();

// A help document (the manual, the upgrade tool's help) named `fileName`: in
// the update folder `updateFolder` when it is there, otherwise in the data
// folder. When neither holds it the data folder's path is returned, which is
// where an installation puts it, so a message can name the expected place.
// The file name alone when both folders are empty.
std::filesystem::path FindHelpFile(std::u16string_view updateFolder, const std::filesystem::path& dataFolder,
                                   std::u16string_view fileName);

}  // namespace Settings
