#pragma once
// The texts of the curve dialogs.
namespace CurveDlgIds {

// Create and view a curve.
inline constexpr unsigned kCreateTitle = 62870;
inline constexpr unsigned kViewTitle = 59552;
inline constexpr unsigned kNameGroup = 62871;
inline constexpr unsigned kCurveType = 62627;
inline constexpr unsigned kPolynomial = 62628;
inline constexpr unsigned kExponential = 62629;
inline constexpr unsigned kQRange = 62630;
inline constexpr unsigned kMinimum = 62872;
inline constexpr unsigned kMaximum = 62873;
inline constexpr unsigned kHammerType = 62631;
inline constexpr unsigned kTypeN = 59536;
inline constexpr unsigned kTypeL = 59534;
inline constexpr unsigned kCreate = 62874;
inline constexpr unsigned kBack = 62875;
inline constexpr unsigned kDiscardQuestion = 59532;

// The curve library.
inline constexpr unsigned kLibraryTitle = 62894;
inline constexpr unsigned kLibraryGroup = 62876;
inline constexpr unsigned kSaveOnHammer = 62877;
inline constexpr unsigned kView = 62878;
inline constexpr unsigned kCreateNew = 62879;
inline constexpr unsigned kDelete = 59610;
inline constexpr unsigned kDeleteQuestion = 59553;
inline constexpr unsigned kCurveNotDeleted = 62623;

}  // namespace CurveDlgIds
