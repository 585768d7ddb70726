#pragma once
// The external firmware upgrade tool "ZvUpgrade" beside the program: the
// settings it reads from the shared key, and its start. The program waits for
// the tool to end; its windows keep painting meanwhile, but take no input.
#include <filesystem>
#include <string>

namespace Settings {
class CSettingsStore;
}
namespace Text {
class IUserPrompt;
}

class CUpgradeTool {
  public:
    static constexpr const char* kExecutable = "ZvUpgrade";
    static constexpr const char* kArguments[] = {"-DeviceTypeList", "05-01000-0"};

    // "Pfad" = the update folder and "LanguageFile" = the update folder, "/"
    // and the tool's module name (string 654), under the tool's key (created
    // when missing). A value that cannot be written is reported (1000); the
    // rest are still tried. False when anything was not written.
    static bool WriteSettings(Settings::CSettingsStore& store, const std::u16string& updateFolder,
                              Text::IUserPrompt& prompt);

    static std::filesystem::path ToolPath(const std::filesystem::path& programFolder) {
        return programFolder / kExecutable;
    }
    // Starts the tool from `programFolder` and waits until it ends. False when it
    // could not be started.
    static bool Run(const std::filesystem::path& programFolder);
};
