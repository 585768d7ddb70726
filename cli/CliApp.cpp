#include "CliApp.h"

#include "CliStrings.h"
#include "ExitCodes.h"
#include "device/PortTable.h"
#include "device/SerialTransport.h"
#include "doc/CurveLibrary.h"
#include "doc/HammerDoc.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "streamio/StreamRegistry.h"
#include "text/Encoding.h"
#include "tools/ToolStrings.h"

CCliApp::CCliApp(std::filesystem::path programPath) : m_programPath(std::move(programPath)) {}

CCliApp::~CCliApp() {
    Shutdown();
}

bool CCliApp::Start() {
    m_store = std::make_unique<Settings::CSettingsStore>(Settings::CSettingsStore::DefaultFilePath());
    // The start-up checks look at the desktop program's update folder, which
    // this program never uses: they would only clutter every command's output.
    m_prompt.SetQuiet(true);
    m_settings = std::make_unique<Settings::CAppSettings>(*m_store, m_prompt, m_programPath);
    m_settings->ReadSettings();
    m_settings->LoadLanguageModule();
    m_prompt.SetQuiet(false);
    // What became of the user's settings file is worth a word in every program.
    m_settings->ShowStoreNotices();

    Doc::CCurveLibrary::SetProgramPath(m_programPath);
    Device::CPortTable::UseStore(m_store.get());
    try {
        StreamIO::StartStreams();
    } catch (...) {
        Device::CPortTable::UseStore(nullptr);
        return false;
    }
    StreamIO::RegisterSerialTransport(m_store.get());
    m_started = true;
    return true;
}

void CCliApp::Shutdown() {
    if (!m_started) return;
    m_started = false;
    StreamIO::UnregisterSerialTransport();
    StreamIO::ShutdownStreams();
    Device::CPortTable::UseStore(nullptr);
}

std::uint32_t CCliApp::DtFormat() const {
    return m_settings ? m_settings->DTFormat() : 0;
}

int CCliApp::LoadProject(CHammerDoc& doc, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        Tools::ShowToolText(m_prompt, kIdFileMissing, Tools::FormatToolString(kIdFileMissing, path),
                            Text::MsgIcon::Error);
        return kExitFileMissing;
    }
    // The document shows its own message (59396) for a file it cannot read.
    return doc.OpenProject(std::filesystem::path(path)) ? kExitOk : kExitUnreadable;
}
