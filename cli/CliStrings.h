#pragma once
// String ids of the texts only the command-line program shows. Look them up
// with Tools::LoadToolString, which stands in the English text until the
// string table carries them.

inline constexpr unsigned kIdClockNotSet = 62603;
inline constexpr unsigned kIdDownloadCode = 62604;
inline constexpr unsigned kIdDownloaded = 62605;
inline constexpr unsigned kIdFileMissing = 62606;
inline constexpr unsigned kIdCurveExists = 62607;
inline constexpr unsigned kIdPleaseWait = 62608;
inline constexpr unsigned kIdNotConfirmed = 62609;
inline constexpr unsigned kIdYesNoChoice = 62610;
inline constexpr unsigned kIdNoAnswerOn = 62611;
inline constexpr unsigned kIdNoSuchCurve = 62612;
inline constexpr unsigned kIdCurveAmbiguous = 62613;
inline constexpr unsigned kIdFileNotWritten = 62614;
inline constexpr unsigned kIdNoSuchPort = 62616;
inline constexpr unsigned kIdLabelPort = 62617;
inline constexpr unsigned kIdLabelDevicePath = 62618;
inline constexpr unsigned kIdLabelExists = 62619;
inline constexpr unsigned kIdYes = 62620;
inline constexpr unsigned kIdNo = 62621;
inline constexpr unsigned kIdPortLine = 62622;
inline constexpr unsigned kIdCurveNotDeleted = 62623;
inline constexpr unsigned kIdLabelMethod = 62624;
inline constexpr unsigned kIdLabelMinImpacts = 62625;
inline constexpr unsigned kIdLabelMaxImpacts = 62626;
inline constexpr unsigned kIdLabelCurveType = 62627;
inline constexpr unsigned kIdPolynomial = 62628;
inline constexpr unsigned kIdExponential = 62629;
inline constexpr unsigned kIdLabelQRange = 62630;
inline constexpr unsigned kIdLabelHammerType = 62631;
inline constexpr unsigned kIdLabelEntryUnit = 62632;
inline constexpr unsigned kIdLabelFile = 62633;
inline constexpr unsigned kIdNoSuchSeries = 62634;
inline constexpr unsigned kIdCsvNotWritten = 62803;
inline constexpr unsigned kIdJsonNotWritten = 62804;
inline constexpr unsigned kIdSummaryNotWritten = 62805;
inline constexpr unsigned kIdCsvSummaryNotWritten = 62806;
inline constexpr unsigned kIdJsonSummaryNotWritten = 62807;
// A change the hammer confirmed, whose read-back failed.
inline constexpr unsigned kIdSlotFilledUnread = 62896;   // "... %s is now in slot %s, but ..."
inline constexpr unsigned kIdSlotEmptiedUnread = 62897;  // "... slot %s is now empty, but ..."
inline constexpr unsigned kIdStatsSetUnread = 62898;

// Texts of the string table the program shares with the desktop program.
inline constexpr unsigned kIdCouldNotOpenPort = 20004;  // "could not open port."
inline constexpr unsigned kIdNoDeviceFound = 21038;     // "Finished device search, no device found."
inline constexpr unsigned kIdReadError = 59396;         // not a project file
inline constexpr unsigned kIdExportNotWritten = 62200;  // "The text export could not be written to %s.\n%s"
inline constexpr unsigned kIdDeleteCurveQuestion =
    59553;  // "Do you really want to delete this customer curve?"
inline constexpr unsigned kIdUpperOutliers = 59567;
inline constexpr unsigned kIdLowerOutliers = 59568;
inline constexpr unsigned kIdName = 1601;
inline constexpr unsigned kIdTypeN = 59536;  // "Talvenbrecker N"
inline constexpr unsigned kIdTypeL = 59534;  // "Talvenbrecker L"
