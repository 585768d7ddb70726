#include "update/FirmwareUpdateCheck.h"

#include <QMetaObject>
#include <mutex>

#include "device/Contents.h"
#include "device/Identity.h"
#include "device/ZvDevice.h"
#include "settings/SettingsStore.h"
#include "text/Encoding.h"
#include "text/UserPrompt.h"
#include "update/AutoUpdate.h"
#include "update/PostedVersion.h"
#include "update/UpdateChecks.h"
#include "update/UpdateServer.h"
#include "update/UpdateServerSession.h"

// The worker may outlive the check (it is never killed): it posts only while
// the receiver is known to exist, and only to the user-interface thread.
struct CFirmwareUpdateCheck::SPost {
    std::mutex lock;
    QObject* target = nullptr;

    void Report(CVersion v) {
        std::lock_guard<std::mutex> guard(lock);
        if (target == nullptr) return;
        UpdatePost::PostVersion(target, "OnFirmwareVersion", v);
    }
    void Remind(Text::IUserPrompt* prompt, Text::SMessage msg) {
        std::lock_guard<std::mutex> guard(lock);
        if (target == nullptr) return;
        QMetaObject::invokeMethod(
            target, [prompt, msg] { prompt->ShowMessage(msg); }, Qt::QueuedConnection);
    }
};

CFirmwareUpdateCheck::CFirmwareUpdateCheck(Settings::CSettingsStore& store, Text::IUserPrompt& prompt,
                                           QObject* report)
    : m_store(store), m_prompt(prompt), m_post(std::make_shared<SPost>()) {
    m_post->target = report;
}

CFirmwareUpdateCheck::~CFirmwareUpdateCheck() {
    Stop();
}

bool CFirmwareUpdateCheck::Start(Device::CZvDevice& device) {
    m_thread.Stop();
    Device::SShortIdentity identity;
    if (!device.Identify(identity)) return false;
    Device::CContents contents;
    if (!device.GetContents(contents)) return false;
    const std::u16string key = Update::FirmwareSettingsKey(Text::FromUtf8(CAutoUpdate::ProductName()));
    const std::uint32_t code = device.GetDeviceCode();
    const std::string url = Update::ServerUrl(&m_store);
    const std::u16string name = Text::FromCp1252(identity.DeviceType);
    auto post = m_post;
    // The worker keeps its own store on the same file (the file is the truth),
    // so that a worker left behind never touches the program's objects.
    const std::filesystem::path settingsFile = m_store.FilePath();
    Text::IUserPrompt* prompt = &m_prompt;
    return m_thread.Start([=](const std::atomic<bool>& abort) {
        Update::CUpdateServerSession session(url);
        session.SetAbortFlag(&abort);
        Settings::CSettingsStore store(settingsFile);
        const auto check = Update::RunFirmwareCheck(session, code, contents, &store, key);
        if (abort) return;
        if (check.connected) post->Report(check.newest.firmware);
        if (check.remind) post->Remind(prompt, Update::ReminderMessage(name));
    });
}

void CFirmwareUpdateCheck::Stop() {
    {
        std::lock_guard<std::mutex> guard(m_post->lock);
        m_post->target = nullptr;
    }
    m_thread.Stop();
}
