#pragma once
// The application object: reads the settings, chooses the source of the texts,
// starts the stream subsystem and the device worker thread, and creates the main
// window. On exit the main window goes first (it closes the project and the
// hammer connection), then the worker thread is stopped and the streams are
// shut down.
#include <filesystem>
#include <memory>
#include <optional>

#include "text/UserPrompt.h"

class CMainFrame;
class CCommandLine;

namespace Settings {
class CAppSettings;
class CSettingsStore;
}  // namespace Settings

class CBrelvantorApp {
  public:
    struct SOptions {
        // The program file; its folder holds the language modules and the upgrade tool.
        std::filesystem::path programPath;
        // Where messages go; nullptr shows message boxes.
        Text::IUserPrompt* prompt = nullptr;
        // The settings file; empty takes the default (BRELVANTOR_SETTINGS or the
        // user's configuration folder).
        std::filesystem::path settingsFile;
    };

    // How long exit waits for the device worker thread.
    static constexpr int kStopThreadWaitMs = 2000;

    explicit CBrelvantorApp(SOptions options);
    ~CBrelvantorApp();
    CBrelvantorApp(const CBrelvantorApp&) = delete;
    CBrelvantorApp& operator=(const CBrelvantorApp&) = delete;

    // Start-up; false when the program cannot start (the fatal report was shown).
    // `show` false keeps the main window hidden (tests).
    bool InitInstance(const CCommandLine& commandLine, bool show = true);
    // Exit: closes the main window, stops the worker thread, shuts the streams down.
    void ExitInstance();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    Settings::CAppSettings& AppSettings() { return *m_settings; }
    Settings::CSettingsStore& Store() { return *m_store; }
    Text::IUserPrompt& Prompt() { return *m_prompt; }

    // The program file of the running process, empty when unknown.
    static std::filesystem::path RunningProgramPath();

  private:
    SOptions m_options;
    std::unique_ptr<Text::IUserPrompt> m_ownPrompt;
    Text::IUserPrompt* m_prompt;
    std::unique_ptr<Settings::CSettingsStore> m_store;
    std::unique_ptr<Settings::CAppSettings> m_settings;
    std::unique_ptr<CMainFrame> m_mainFrame;
    bool m_started = false;
};
