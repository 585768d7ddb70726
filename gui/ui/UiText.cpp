#include "ui/UiText.h"

#include <unordered_map>

#include "ui/CommandIds.h"

namespace UiText {
namespace {

const std::unordered_map<unsigned, std::u16string_view>& Fallbacks() {
    static const std::unordered_map<unsigned, std::u16string_view> texts = {
        {Ids::kMenuFile, u"&File"},
        {Ids::kMenuDevice, u"Device"},
        {Ids::kMenuEdit, u"&Edit"},
        {Ids::kMenuHelp, u"&Help"},
        {Ids::kLabelOpenProject, u"Open project..."},
        {Ids::kLabelCloseProject, u"Close project"},
        {Ids::kLabelSaveProject, u"Save project"},
        {Ids::kLabelSaveProjectAs, u"Save project as..."},
        {Ids::kLabelRestoreOriginal, u"Restore all original data"},
        {Ids::kLabelExport, u"&Export"},
        {Ids::kLabelPrint, u"&Print"},
        {Ids::kLabelAppSettings, u"Application &settings"},
        {Ids::kLabelExit, u"E&xit"},
        {Ids::kLabelDownloadAll, u"&Download all measurement series on Talvenbrecker"},
        {Ids::kLabelDeleteAll, u"Delete all measurement series on Talvenbrecker"},
        {Ids::kLabelCustomCurves, u"Custom curves..."},
        {Ids::kLabelCustomStatistics, u"Custom statistics..."},
        {Ids::kLabelUpgradeHammer, u"&Upgrade Talvenbrecker"},
        {Ids::kLabelSelectAll, u"Select all\t(Ctrl+A)"},
        {Ids::kLabelCut, u"Cut\t(Ctrl+X)"},
        {Ids::kLabelCopy, u"Copy\t(Ctrl+C)"},
        {Ids::kLabelPaste, u"Paste\t(Ctrl+V)"},
        {Ids::kLabelDelete, u"Delete\t(Delete)"},
        {Ids::kLabelCopyPicture, u"Copy as &picture"},
        {Ids::kLabelCreateOneSeries, u"Create one series from the selected single series"},
        {Ids::kLabelCheckUpdates, u"Check for updates..."},
        {Ids::kLabelHelp, u"&Help Brelvantor"},
        {Ids::kLabelHelpUpgrade, u"Help &upgrade Talvenbrecker"},
        {Ids::kLabelRegistration, u"Product Registration"},
        {Ids::kLabelFeedback, u"Customer Feedback"},
        {Ids::kLabelAbout, u"&About Brelvantor..."},
        {Ids::kSettingsTitle, u"Application Settings"},
        {Ids::kSelectLanguage, u"Select language:"},
        {Ids::kDateFormat, u"Date format:"},
        {Ids::kTimeFormat, u"Time format:"},
        {Ids::kButtonOk, u"OK"},
        {Ids::kButtonCancel, u"Cancel"},
        {Ids::kButtonReset, u"Reset"},
        {Ids::kAboutTitle, u"About Brelvantor"},
        {Ids::kAboutVersion, u"Version"},
        {Ids::kAboutRelease, u"Release"},
        {Ids::kAboutBuild, u"Build"},
        {Ids::kAbout64Bit, u" (64-bit)"},
        {Ids::kPleaseWaitDownloading, u"Please wait while downloading..."},
        {Ids::kPortPageTitle, u"Choose communication type"},
        {Ids::kPortPageExplanation, u"Choose the interface with which the device is connected to the PC."},
        {Ids::kPortPageNote1, u"Only communication types supported by the device are displayed."},
        {Ids::kPortPageNote2, u"USB devices might be shown as serial."},
        {Ids::kCommTypeGroup, u"Select the communication type"},
        {Ids::kSerialGroup, u"Serial port settings"},
        {Ids::kScanPorts, u"Find device automatically (Scan ports)"},
        {Ids::kEnterComPort, u"or enter COM port number:"},
        {Ids::kEthernetGroup, u"Ethernet settings"},
        {Ids::kDeviceIpAddress, u"Device IP address:"},
        {Ids::kStopAfterFirst, u"Stop search after first device has been found."},
        {Ids::kHelpButton, u"Help"},
        {Ids::kResultPageTitle, u"Device search result and selection"},
        {Ids::kSelectDevice, u"Select the device:"},
        {Ids::kDeviceInfoGroup, u"Info about the selected device:"},
        {Ids::kEnterInteger, u"Enter an integer between %d and %d."},
        {Ids::kRemoteLoginTitle, u"Remote Login"},
        {Ids::kRemoteLoginText, u"This device requires a remote login:"},
        {Ids::kRemoteLoginUser, u"User (profile) name:"},
        {Ids::kRemoteLoginPassword, u"Password:"},
        {Ids::kMakerWebSite, u"https://www.tolvex.example/"},
        {Ids::kExportFailed, u"The text could not be exported to \"%s\":\n%s"},
        {Ids::kIndicatorCaps, u"CAP"},
        {Ids::kIndicatorNum, u"NUM"},
        {Ids::kTextFileFilter, u"Textfile (*.txt)|*.txt|All Files (*.*)|*.*||"},
    };
    return texts;
}

}  // namespace

std::u16string_view FallbackText(unsigned id) {
    const auto& texts = Fallbacks();
    auto it = texts.find(id);
    return it != texts.end() ? it->second : std::u16string_view();
}

std::u16string Load(unsigned id) {
    std::u16string text = Text::LoadString(id);
    if (text.empty()) text = FallbackText(id);
    return text;
}

QString PromptOf(unsigned commandId) {
    const std::u16string entry = Load(commandId);
    const auto cut = entry.find(u'\n');
    return ToQ(cut == std::u16string::npos ? entry : entry.substr(0, cut));
}

QString ToolTipOf(unsigned commandId) {
    const std::u16string entry = Load(commandId);
    const auto cut = entry.find(u'\n');
    return cut == std::u16string::npos ? QString() : ToQ(entry.substr(cut + 1));
}

}  // namespace UiText
