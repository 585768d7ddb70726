#pragma once
// What every subcommand of brelvantor-cli works with: the settings (and the
// language module they select), the stream layer with the serial transport,
// and the terminal prompt. Started once in main, shut down when it ends.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "TerminalPrompt.h"

class CHammerDoc;

namespace Settings {
class CAppSettings;
class CSettingsStore;
}  // namespace Settings

class CCliApp {
  public:
    explicit CCliApp(std::filesystem::path programPath);
    ~CCliApp();
    CCliApp(const CCliApp&) = delete;
    CCliApp& operator=(const CCliApp&) = delete;

    // Reads the settings, applies their language module, brings up the streams
    // and plugs in the serial ports. False when the stream layer cannot start.
    bool Start();
    void Shutdown();

    CTerminalPrompt& Prompt() { return m_prompt; }
    Settings::CSettingsStore& Store() { return *m_store; }
    Settings::CAppSettings& AppSettings() { return *m_settings; }
    std::uint32_t DtFormat() const;
    const std::filesystem::path& ProgramPath() const { return m_programPath; }

    // Opens a project into `doc`; an exit code with the message shown when it
    // does not exist (3) or cannot be read (4).
    int LoadProject(CHammerDoc& doc, const std::string& path);

  private:
    std::filesystem::path m_programPath;
    CTerminalPrompt m_prompt;
    std::unique_ptr<Settings::CSettingsStore> m_store;
    std::unique_ptr<Settings::CAppSettings> m_settings;
    bool m_started = false;
};
