#include "app/UpgradeTool.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include "settings/SettingsStore.h"
#include "text/UserPrompt.h"
#include "ui/CommandIds.h"
#include "ui/UiText.h"

bool CUpgradeTool::WriteSettings(Settings::CSettingsStore& store, const std::u16string& updateFolder,
                                 Text::IUserPrompt& prompt) {
    auto key = store.OpenKey(UiText::Load(Ids::kUpgradeSettingsKey), true);
    bool allWritten = true;
    auto write = [&](unsigned nameId, const std::u16string& text) {
        if (!key || !key->WriteString(UiText::Load(nameId), text)) {
            allWritten = false;
            Text::ShowMessageId(prompt, Ids::kWriteFailed, Text::MsgIcon::Error);
        }
    };
    write(Ids::kValuePfad, updateFolder);
    write(Ids::kValueLanguageFile, updateFolder + u"/" + UiText::Load(Ids::kUpgradeToolName));
    return allWritten;
}

bool CUpgradeTool::Run(const std::filesystem::path& programFolder) {
    const std::filesystem::path tool = ToolPath(programFolder);
    QProcess process;
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(tool.string())));
    QStringList arguments;
    for (const char* argument : kArguments) arguments << QString::fromLatin1(argument);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted()) return false;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}
