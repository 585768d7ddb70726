#pragma once
// The hammer commands of the Device menu without any window: download every
// series into the document, and delete every series on the hammer. The
// desktop program and `brelvantor-cli` run the same steps; they differ only in
// how they connect, ask and show progress.
#include <ctime>

namespace Device {
class CCallback;
class CVantrelDevice;
}  // namespace Device

namespace Text {
class IUserPrompt;
}

class CHammerDoc;

namespace Tools {

inline constexpr unsigned kIdNoDownloadSupport = 59442;
inline constexpr unsigned kIdCannotInterpret = 59606;
inline constexpr unsigned kIdNoSeriesOnHammer = 59546;
inline constexpr unsigned kIdNotConnected = 59513;
inline constexpr unsigned kIdDeleteAllQuestion = 59518;
inline constexpr unsigned kIdDeleteAllSucceeded = 59512;
inline constexpr unsigned kIdDeleteAllFailed = 59403;
inline constexpr unsigned kIdIdentificationUnreadable = 62850;
inline constexpr unsigned kIdDeleteNotConfirmed = 62809;  // added to 59403
inline constexpr unsigned kIdConnectionLost = 62810;      // added to 59606 after code 6

enum class EDownloadResult {
    ClockNotSet,               // the hammer did not confirm the clock; nothing else was done
    NoDownloadSupport,         // 59442 shown
    IdentificationUnreadable,  // 62850 shown: whether it can download is not known
    SlotsUnreadable,           // 59606 shown; the hammer stays connected
    DownloadFailed,            // 59606 shown; see TDownloadOutcome::code
    NoSeries,                  // 59546 shown; the slot curves are registered
    SeriesTaken,               // the document holds the series
};

struct TDownloadOutcome {
    EDownloadResult result = EDownloadResult::ClockNotSet;
    int code = 0;         // DownloadAllSeries's result for DownloadFailed
    int seriesCount = 0;  // series taken over
    int curvesFound = 0;  // filled slots registered with the document
    // The hammer must be let go: it cannot download, or the transfer failed in
    // a way other than an unknown data format.
    bool disconnect = false;
};

// Downloads on a connected, identified hammer: sets its clock to `now`, checks
// download support, registers the curves of its filled slots with the
// document (preferred identifiers 50, 51, 52), downloads with progress to
// `progress` (may be null; it is the hammer's callback during the transfer
// only), and hands the series to the document. The document is expected to be
// empty (closed by the caller); it is marked unmodified when the hammer cannot
// download or the transfer fails other than with an unknown format.
TDownloadOutcome DownloadAllSeries(Device::CVantrelDevice& hammer, CHammerDoc& doc, Text::IUserPrompt& prompt,
                                   Device::CCallback* progress, std::time_t now);

enum class EDeleteResult { Declined, Deleted, Failed };

// Asks 59518 and, on Yes, sends the delete-all request; shows 59512 when the
// hammer answers with exactly the one byte 1, else 59403.
EDeleteResult DeleteAllSeriesOnHammer(Device::CVantrelDevice& hammer, Text::IUserPrompt& prompt);

}  // namespace Tools
