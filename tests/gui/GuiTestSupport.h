#pragma once
// What the GUI tests share: a fresh program folder, settings file and curve
// folder per test, and the application started with a scripted prompt; for
// the tools that talk to the hammer, the window started on the simulated one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "GuiDriver.h"
#include "app/BrelvantorApp.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "device/PortTable.h"
#include "doc/HammerDoc.h"
#include "support/ScriptedPrompt.h"
#include "ui/Shell.h"

namespace GuiTest {

namespace fs = std::filesystem;

class CGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/brelvantor-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        fs::create_directories(m_dir / "bin");
        m_programPath = m_dir / "bin" / "brelvantor";
        setenv("BRELVANTOR_SETTINGS", (m_dir / "brelvantor.settings").c_str(), 1);
        setenv("BRELVANTOR_CURVES", (m_dir / "curves").c_str(), 1);
        unsetenv("BRELVANTOR_PORTS");
    }

    void TearDown() override {
        m_app.reset();
        CShell::SetOpener(nullptr);
        Device::CPortTable::SetCurrent(std::nullopt);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    CMainFrame& Start(const QStringList& arguments = {}, bool show = false) {
        m_app = std::make_unique<CBrelvantorApp>(
            CBrelvantorApp::SOptions{m_programPath, &m_prompt, m_dir / "brelvantor.settings"});
        const bool started = m_app->InitInstance(CCommandLine::Parse(arguments), show);
        if (!started) throw std::runtime_error("the program did not start");
        return *m_app->MainFrame();
    }

    // Points serial port 1 at the simulated hammer.
    static void UsePort(const CSimLine& line, unsigned number = 1) {
        Device::CPortTable::SetCurrent(Device::CPortTable::Parse(std::to_string(number) + "=" + line.Path()));
    }

    static void WriteFile(const fs::path& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }

    fs::path m_dir;
    fs::path m_programPath;
    CScriptedPrompt m_prompt;
    std::unique_ptr<CBrelvantorApp> m_app;
};

// The window with serial port 1 on the simulated hammer's pty; whenever it
// connects, the search wizard is driven by `wizard`.
class CSimHammerTest : public CGuiTest {
  protected:
    CMainFrame& StartWith(const CSimLine& line) {
        UsePort(line);
        CMainFrame& frame = Start();
        frame.Connection().SetWizardRunner(std::ref(wizard));
        return frame;
    }

    // From now on the hammer answers every application request with a
    // device error, as one that has stopped serving the program does.
    static void AnswerWithDeviceErrors(CSimLine& line) {
        Sim::SSimFaults faults;
        faults.DeviceError = 3;
        line.Hammer().SetFaults(faults);
    }

    SWizardScript wizard;
};

}  // namespace GuiTest
