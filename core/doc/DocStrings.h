#pragma once
// String ids of the texts the document shows.

namespace Doc {

inline constexpr unsigned kIdErrorCaption = 28501;       // "Error"
inline constexpr unsigned kIdReadError = 59396;          // not a project file, or a read error
inline constexpr unsigned kIdSaveChanges = 59399;        // save changes in your project?
inline constexpr unsigned kIdDeleteSelected = 59455;     // delete the selected series?
inline constexpr unsigned kIdMergeOnlySingle = 59474;    // only "Single" series can be merged
inline constexpr unsigned kIdMergeConfirm = 59475;       // merge %d "Single" series?
inline constexpr unsigned kIdUnnamed = 59490;            // "Unnamed"
inline constexpr unsigned kIdMergeTooMany = 59510;       // not more than 99 measurements
inline constexpr unsigned kIdMergeTooFew = 59511;        // at least two "Single" series
inline constexpr unsigned kIdRestoreOriginal = 59519;    // restore all original data?
inline constexpr unsigned kIdCurveFolderFailed = 59529;  // could not create the curve folder
inline constexpr unsigned kIdCurveFileFailed = 59530;    // could not create the curve file

// "The project could not be saved as \"%s\":\n%s\nThe file on disk was not changed."
// Filled with the file's path and the system's reason.
inline constexpr unsigned kIdProjectSaveFailed = 62010;

}  // namespace Doc
