#pragma once
// String ids of the update checks.

namespace Update {

inline constexpr unsigned kIdNoAnswer = 25003;       // "The update server does not answer."
inline constexpr unsigned kIdFolderMissing = 25004;  // "The folder %s cannot be opened ..."
inline constexpr unsigned kIdNoSession = 25005;      // "The internet session cannot be created."
inline constexpr unsigned kIdErrorNumber = 25006;    // "(error %d)"
inline constexpr unsigned kIdWizardTitle = 22002;
inline constexpr unsigned kIdUnknownDownloadError = 22018;  // "Unknown error while downloading."
inline constexpr unsigned kIdReminder = 22032;              // not reached repeatedly, firmware
inline constexpr unsigned kIdUpdateSoftware = 59600;        // "Update Brelvantor to version %s"
inline constexpr unsigned kIdUpdateFirmware = 59601;        // "Update Talvenbrecker to version %s"

inline constexpr unsigned kIdSizeMismatch = 62900;      // %s of %s bytes of %s, removed
inline constexpr unsigned kIdDigestMismatch = 62901;    // %s does not match its checksum, removed
inline constexpr unsigned kIdDigestUnreadable = 62902;  // the checksum file %s cannot be read
inline constexpr unsigned kIdLocalWriteFailed = 62903;  // %s cannot be written
inline constexpr unsigned kIdListingTooLarge = 62904;   // the listing of %s is too large

}  // namespace Update
