#pragma once
// The series setting choosers: small menus (and slider dialogs) that ask for a
// new unit, averaging mode, curve, form factor, carbonation or outlier count.
// They only ask; the caller applies the value to the series it concerns. What
// a menu offers depends on the whole working data (its format state), the
// custom curve store and the local curve library.
#include <cstdint>
#include <string>
#include <vector>

#include "model/ConvCust.h"
#include "views/series/SeriesUi.h"

class CHammerDoc;
class QWidget;

namespace SeriesChoosers {

// The items of each menu, in order, with the ids the caller receives.
std::vector<TChooserItem> UnitItems(int formatState, bool rAndQOnly);
std::vector<TChooserItem> ModeItems();
// `store`: every curve of the custom curve store (with its Id);
// `library`: the local curve library in list order.
std::vector<TChooserItem> CurveItems(int formatState, bool typeN, bool typeL,
                                     const std::vector<TConvCust>& store,
                                     const std::vector<TConvCust>& library);
std::vector<TChooserItem> FormItems(int formatState, bool inch);
// Only offered while no series is in the newer format (states 1 and -1).
std::vector<TChooserItem> CarbonationItems(bool inch);

// The slider dialogs.
TSliderSetup FormSlider(std::uint8_t currentCode);
TSliderSetup CarbonationSlider(std::uint8_t currentCode);
// `hint` is shown in the dialog; a slider that is not `changeable` only shows
// the count.
TSliderSetup OutlierSlider(bool upper, int currentCount, int largestAllowed, const std::u16string& hint = {},
                           bool changeable = true);
// A carbonation factor from the slider in percent (0.57 gives 57).
std::uint8_t CarbonationPercent(double factor);

// The menu item ids that do not stand for a value of their own.
inline constexpr int kIdCustomFormFactor = 3;  // opens the form-factor slider (newer format)
inline constexpr int kFirstLibraryItemId = 257;

}  // namespace SeriesChoosers

// Runs the choosers through a user interface; each returns true with the
// chosen value, false when the user chose nothing.
class CSeriesChoosers {
  public:
    CSeriesChoosers(CHammerDoc& doc, ISeriesUi& ui, QWidget* owner) : m_doc(doc), m_ui(ui), m_owner(owner) {}

    // Unit code 0 (R) to 5 (MPa).
    bool ChooseUnit(const TChooserPlacement& where, bool rAndQOnly, std::uint8_t& value);
    // Mode code; Single, JIS and RUS are never offered.
    bool ChooseAveragingMode(const TChooserPlacement& where, std::uint8_t& value);
    // 0 to 255: a curve identifier; 256 + i: entry i of the curve library.
    bool ChooseCurve(const TChooserPlacement& where, bool typeN, bool typeL, int& value);
    bool ChooseFormFactor(const TChooserPlacement& where, std::uint8_t currentCode, bool inch,
                          std::uint8_t& value);
    bool ChooseCarbonation(const TChooserPlacement& where, std::uint8_t currentCode, bool inch,
                           std::uint8_t& value);
    // A slider that is not `changeable` never returns a choice.
    bool ChooseUpperOutliers(int currentCount, int largestAllowed, std::uint8_t& value,
                             const std::u16string& hint = {}, bool changeable = true);
    bool ChooseLowerOutliers(int currentCount, int largestAllowed, std::uint8_t& value,
                             const std::u16string& hint = {}, bool changeable = true);

  private:
    bool ChooseOutliers(bool upper, int currentCount, int largestAllowed, std::uint8_t& value,
                        const std::u16string& hint, bool changeable);

    CHammerDoc& m_doc;
    ISeriesUi& m_ui;
    QWidget* m_owner;
};
