#pragma once
// Command ids of the menus, the toolbar and the logo button, and the string ids
// of the texts the desktop program shows. A command's own string entry carries
// its status-bar prompt and, after "\n", its tool tip.

namespace Cmd {

// File
inline constexpr int kOpenProject = 57601;
inline constexpr int kCloseProject = 57602;
inline constexpr int kSaveProject = 57603;
inline constexpr int kSaveProjectAs = 2010;
inline constexpr int kRestoreOriginal = 2021;
inline constexpr int kExport = 104;
inline constexpr int kPrint = 105;
inline constexpr int kAppSettings = 120;
inline constexpr int kExit = 57665;
// Device
inline constexpr int kDownloadAll = 2029;
inline constexpr int kDeleteAll = 2018;
inline constexpr int kCustomCurves = 2041;
inline constexpr int kCustomStatistics = 2090;
inline constexpr int kUpgradeHammer = 108;
// Edit
inline constexpr int kSelectAll = 2032;
inline constexpr int kCut = 2093;
inline constexpr int kCopy = 111;
inline constexpr int kPaste = 2094;
inline constexpr int kDelete = 2024;
inline constexpr int kCopyPicture = 112;
inline constexpr int kCreateOneSeries = 2037;
// Help
inline constexpr int kCheckUpdates = 2033;
inline constexpr int kHelp = 57670;
inline constexpr int kHelpUpgrade = 109;
inline constexpr int kRegistration = 2107;
inline constexpr int kFeedback = 2108;
inline constexpr int kAbout = 57664;
// Without a menu entry of their own
inline constexpr int kUpdateSoftware = 59603;  // software entry of the notice menu
inline constexpr int kDisconnect = 122;
inline constexpr int kLogo = 250;

}  // namespace Cmd

namespace Ids {

// Menu titles and item labels.
inline constexpr unsigned kMenuFile = 62400;
inline constexpr unsigned kMenuDevice = 62401;
inline constexpr unsigned kMenuEdit = 62402;
inline constexpr unsigned kMenuHelp = 62403;
inline constexpr unsigned kLabelOpenProject = 62410;
inline constexpr unsigned kLabelCloseProject = 62411;
inline constexpr unsigned kLabelSaveProject = 62412;
inline constexpr unsigned kLabelSaveProjectAs = 62413;
inline constexpr unsigned kLabelRestoreOriginal = 62414;
inline constexpr unsigned kLabelExport = 62415;
inline constexpr unsigned kLabelPrint = 62416;
inline constexpr unsigned kLabelAppSettings = 62417;
inline constexpr unsigned kLabelExit = 62418;
inline constexpr unsigned kLabelDownloadAll = 62420;
inline constexpr unsigned kLabelDeleteAll = 62421;
inline constexpr unsigned kLabelCustomCurves = 62422;
inline constexpr unsigned kLabelCustomStatistics = 62423;
inline constexpr unsigned kLabelUpgradeHammer = 62424;
inline constexpr unsigned kLabelSelectAll = 62430;
inline constexpr unsigned kLabelCut = 62431;
inline constexpr unsigned kLabelCopy = 62432;
inline constexpr unsigned kLabelPaste = 62433;
inline constexpr unsigned kLabelDelete = 62434;
inline constexpr unsigned kLabelCopyPicture = 62435;
inline constexpr unsigned kLabelCreateOneSeries = 62436;
inline constexpr unsigned kLabelCheckUpdates = 62440;
inline constexpr unsigned kLabelHelp = 62441;
inline constexpr unsigned kLabelHelpUpgrade = 62442;
inline constexpr unsigned kLabelRegistration = 62443;
inline constexpr unsigned kLabelFeedback = 62444;
inline constexpr unsigned kLabelAbout = 62445;

// Settings dialog and about box.
inline constexpr unsigned kSettingsTitle = 62450;
inline constexpr unsigned kSelectLanguage = 62451;
inline constexpr unsigned kDateFormat = 62452;
inline constexpr unsigned kTimeFormat = 62453;
inline constexpr unsigned kButtonOk = 62454;
inline constexpr unsigned kButtonCancel = 62455;
inline constexpr unsigned kButtonReset = 62456;
inline constexpr unsigned kAboutTitle = 62460;
inline constexpr unsigned kAboutVersion = 62461;
inline constexpr unsigned kAboutRelease = 62462;
inline constexpr unsigned kAboutBuild = 62463;
inline constexpr unsigned kAbout64Bit = 62464;
inline constexpr unsigned kDateTimeGroup = 1801;  // "Date/Time format:"

// Download progress.
inline constexpr unsigned kPleaseWaitDownloading = 62470;

// Connection wizard.
inline constexpr unsigned kWizardCaption = 511;  // "Select and connect the device"
inline constexpr unsigned kPortPageTitle = 62480;
inline constexpr unsigned kPortPageExplanation = 62481;
inline constexpr unsigned kPortPageNote1 = 62482;
inline constexpr unsigned kPortPageNote2 = 62483;
inline constexpr unsigned kCommTypeGroup = 62484;
inline constexpr unsigned kSerialGroup = 62485;
inline constexpr unsigned kScanPorts = 62486;
inline constexpr unsigned kEnterComPort = 62487;
inline constexpr unsigned kEthernetGroup = 62488;
inline constexpr unsigned kDeviceIpAddress = 62489;
inline constexpr unsigned kStopAfterFirst = 62490;
inline constexpr unsigned kHelpButton = 62491;
inline constexpr unsigned kResultPageTitle = 62492;
inline constexpr unsigned kSelectDevice = 62493;
inline constexpr unsigned kDeviceInfoGroup = 62494;
inline constexpr unsigned kEnterInteger = 62495;  // "Enter an integer between %d and %d."
inline constexpr unsigned kRemoteLoginTitle = 62496;
inline constexpr unsigned kRemoteLoginText = 62497;
inline constexpr unsigned kRemoteLoginUser = 62498;
inline constexpr unsigned kRemoteLoginPassword = 62499;
inline constexpr unsigned kWizardBack = 21020;
inline constexpr unsigned kWizardNext = 21021;
inline constexpr unsigned kWizardFinish = 21022;
inline constexpr unsigned kWizardCancel = 21023;
inline constexpr unsigned kTipNext = 21003;
inline constexpr unsigned kTipCancel = 21004;
inline constexpr unsigned kTipBack = 21005;
inline constexpr unsigned kTipFinish = 21006;
inline constexpr unsigned kTipScan = 21007;
inline constexpr unsigned kTipIpAddress = 21008;
inline constexpr unsigned kTipComPort = 21009;
inline constexpr unsigned kTipCommType = 21010;
inline constexpr unsigned kTipStopAfterFirst = 21011;
inline constexpr unsigned kTipDeviceList = 21012;
inline constexpr unsigned kTipStatus = 21013;
inline constexpr unsigned kTipDeviceInfo = 21001;
inline constexpr unsigned kTipHelp = 21039;
inline constexpr unsigned kNoDeviceFound = 21038;
inline constexpr unsigned kCommSerial = 21040;
inline constexpr unsigned kCommUsb = 21041;
inline constexpr unsigned kCommEthernet = 21042;
inline constexpr unsigned kDeviceEntry = 21043;  // "%.0sSerial number: %s    %s"
inline constexpr unsigned kBadConnection = 21044;
inline constexpr unsigned kSearchFinishedFound = 21045;
inline constexpr unsigned kRetrySearch = 21046;

// Main window, tabs, device commands.
inline constexpr unsigned kMakerWebSite = 62500;
inline constexpr unsigned kExportFailed = 62501;  // "The text could not be exported to \"%s\":\n%s"
inline constexpr unsigned kIndicatorCaps = 62502;
inline constexpr unsigned kIndicatorNum = 62503;
inline constexpr unsigned kTextFileFilter = 62504;
inline constexpr unsigned kProgramTitle = 59395;     // "TOLVEX BRELVANTOR"
inline constexpr unsigned kTabSheetCaption = 59405;  // "Measurements"
inline constexpr unsigned kTabSeries = 59521;
inline constexpr unsigned kTabSummary = 59522;
inline constexpr unsigned kManualFile = 59520;        // "BRELVANTOR_ENU.pdf"
inline constexpr unsigned kUpgradeHelpFile = 653;     // "ZvUpgrade.chm"
inline constexpr unsigned kUpgradeToolName = 654;     // "ZvUpgrade"
inline constexpr unsigned kUpgradeSettingsKey = 603;  // "Software\Tolvex\ZvUpgrade\Settings"
inline constexpr unsigned kValuePfad = 604;
inline constexpr unsigned kValueLanguageFile = 605;
inline constexpr unsigned kWriteFailed = 1000;
inline constexpr unsigned kRegistrationUrl = 59604;
inline constexpr unsigned kFeedbackUrl = 59605;
inline constexpr unsigned kUpdateSoftwareTo = 59600;
inline constexpr unsigned kUpdateFirmwareTo = 59601;
inline constexpr unsigned kNewVersionAvailable = 59602;
inline constexpr unsigned kRestoreQuestion = 59519;
inline constexpr unsigned kNotConnected = 59513;
// What could not be opened or started, with its path or address.
inline constexpr unsigned kFileMissing = 62862;     // "... could not be opened: it does not exist."
inline constexpr unsigned kNoViewer = 62863;        // "... no program to show it could be started."
inline constexpr unsigned kNoBrowser = 62864;       // "... no web browser could be started."
inline constexpr unsigned kToolMissing = 62865;     // the upgrade tool is not there
inline constexpr unsigned kToolNotStarted = 62866;  // the upgrade tool did not start
inline constexpr unsigned kQtLanguage = 62867;      // the module's language for Qt's own texts ("de")

// The error reporter.
inline constexpr unsigned kCaptionFatal = 28500;
inline constexpr unsigned kCaptionError = 28501;
inline constexpr unsigned kCaptionWarning = 28502;
inline constexpr unsigned kCaptionInformation = 28503;
inline constexpr unsigned kSendLogFile = 28551;
inline constexpr unsigned kUnhandledException = 1006;
inline constexpr unsigned kServicesFailed = 11;

}  // namespace Ids
