#pragma once
// The ordered container of measurement series: the original data as last
// downloaded and the working data the user edits. Only the working data has an
// owner, so only its changes mark the project modified.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ConvCust.h"
#include "model/DownloadedSeries.h"
#include "model/Statistics.h"
#include "model/VantrelObject.h"

class IDataOwner;

class CHammerData {
  public:
    explicit CHammerData(IDataOwner* owner = nullptr) : m_owner(owner) {}
    CHammerData(const CHammerData&) = delete;
    CHammerData& operator=(const CHammerData&) = delete;

    IDataOwner* Owner() const { return m_owner; }
    void SetOwner(IDataOwner* owner) { m_owner = owner; }

    // --- The container -------------------------------------------------------
    int GetCount() const { return static_cast<int>(m_series.size()); }
    bool HasSeries() const { return !m_series.empty(); }

    // Deletes every series; SortKey 0.
    void Clear();
    // Clear, then a deep copy of every series of `other` with Version,
    // DiagramOrder and the reading flags back at their defaults; copies SortKey.
    void CopyFrom(const CHammerData& other);
    // Clear, then one series per downloaded record. Returns the number of series.
    int ImportDownload(std::span<const TDownloadedSeries> records);
    // Appends a complete series (project and clipboard loading). No change notice.
    void AppendSeries(TVantrelObject series);
    void DeleteSeries(int index);
    // Appends the first reading of Single series `source` to `target` (which
    // becomes a Mean series, leaves the summary and takes the earlier time and
    // smaller impact counter). The caller deletes the source afterwards. False,
    // changing nothing, when the source is not a Single series with a reading or
    // is the target itself.
    bool MergeSingleInto(int source, int target);

    // Reorders by a sort key (1 to 28: odd ascending, even descending); any
    // other key keeps the order. SortKey becomes the key in every case. Names
    // compare with the name order when one is set, else code unit by code
    // unit. Equal keys keep their order.
    void Sort(std::uint8_t key);
    // How names compare (<0, 0, >0): a front end's collation for the user's
    // language; none (the default) compares code units. Kept by CopyFrom.
    using NameOrder = std::function<int(std::u16string_view, std::u16string_view)>;
    void SetNameOrder(NameOrder order) { m_nameOrder = std::move(order); }
    std::uint8_t GetSortKey() const { return m_sortKey; }
    void SetSortKey(std::uint8_t key) { m_sortKey = key; }  // loading only

    // -1 empty, 1 no series in the newer download format, 2 all, 0 mixed.
    int GetNewDataFormatState() const;

    // The series record itself, for the project file and the views. Changes made
    // through the mutable form bypass the setter rules and notices (loading).
    const TVantrelObject& Series(int index) const;
    TVantrelObject& Series(int index);

    // --- Statistics and conversion ---------------------------------------------
    TStatistics CalcStatistics(int index);
    int GetEffectiveUpperOutliers(int index) const;
    int GetEffectiveLowerOutliers(int index) const;
    double GetSeriesFormFactor(int index) const;
    std::u16string GetModeName(int index) const;
    std::u16string GetUnitText(int index) const;
    std::u16string GetCurveName(int index) const;
    std::u16string GetFormText(int index) const;
    std::u16string GetCarbonationText(int index) const;
    int GetDisplayDecimals(int index) const;

    // Assigns a curve to a series: `choice` 0..255 is a curve identifier, 256 + i
    // entry i of the user's local curve library. Refuses (false, no change) curves
    // the series' hammer type cannot use. A custom curve the series leaves is
    // removed from the store when no series of this container or of `alsoUsing`
    // (the document's original data) needs it any more.
    bool ChangeCurve(int index, int choice, const std::vector<TConvCust>& library,
                     const CHammerData* alsoUsing = nullptr);

    // --- Per-series getters ----------------------------------------------------
    std::uint16_t GetImpactCounter(int index) const { return Series(index).ImpactCounter; }
    std::uint32_t GetDateTime(int index) const { return Series(index).DateTime; }
    std::uint8_t GetAveragingMode(int index) const { return Series(index).AveragingMode; }
    std::uint8_t GetUnit(int index) const { return Series(index).Unit; }
    std::uint8_t GetCurveId(int index) const { return Series(index).CurveId; }
    std::uint8_t GetFormCode(int index) const { return Series(index).FormCode; }
    std::uint8_t GetCarbonationCode(int index) const { return Series(index).CarbonationCode; }
    std::uint8_t GetUpperOutliers(int index) const { return Series(index).UpperOutliers; }
    std::uint8_t GetLowerOutliers(int index) const { return Series(index).LowerOutliers; }
    std::uint8_t GetExpanded(int index) const { return Series(index).Expanded; }
    std::int16_t GetDiagramOrder(int index) const { return Series(index).DiagramOrder; }
    const std::u16string& GetName(int index) const { return Series(index).Name; }
    const std::u16string& GetComment(int index) const { return Series(index).Comment; }
    const std::u16string& GetSerialNumber(int index) const { return Series(index).SerialNumber; }
    const std::u16string& GetDeviceType(int index) const { return Series(index).DeviceType; }
    int GetReadingCount(int index) const { return Series(index).ReadingCount(); }
    std::uint8_t GetReadingQHalf(int index, int reading) const;
    std::uint8_t GetReadingFlag(int index, int reading) const;
    std::uint8_t GetUseInSummary(int index) const { return Series(index).UseInSummary; }
    bool IsTypeN(int index) const;

    // --- Per-series setters ----------------------------------------------------
    // These mark the project modified. An index at or beyond the count changes
    // nothing but still marks it; a negative index is an invalid-index error.
    void SetDiagramOrder(int index, std::int16_t order);
    // Mode 7 (JGJ) needs at least 7 readings; otherwise the mode stays.
    void SetAveragingMode(int index, std::uint8_t mode);
    void SetUnit(int index, std::uint8_t unit);
    void SetCurveId(int index, std::uint8_t curveId);
    void SetFormCode(int index, std::uint8_t formCode);
    void SetCarbonationCode(int index, std::uint8_t code);
    void SetExpanded(int index, std::uint8_t expanded);
    void SetName(int index, std::u16string name);
    void SetComment(int index, std::u16string comment);

    // These raise the invalid-index error for any index outside the container
    // and mark the project modified only when the value changes.
    void SetDateTime(int index, std::uint32_t dateTime);
    // A new outlier count is accepted only while at least one reading remains;
    // a refused count leaves the field as it was.
    void SetUpperOutliers(int index, std::uint8_t count);
    void SetLowerOutliers(int index, std::uint8_t count);
    // Returns the previous value; tells every view that the series changed.
    std::uint8_t SetUseInSummary(int index, std::uint8_t use);
    // Tells every view that all series changed.
    void SetUseInSummaryAll(std::uint8_t use);

  private:
    void CheckIndex(int index, const char* what) const;
    // Index check of the marking setters: the series, or null beyond the count.
    TVantrelObject* SeriesForMarkingSetter(int index, const char* what);
    void MarkModified();
    void Notify(int index);

    IDataOwner* m_owner = nullptr;
    std::vector<std::unique_ptr<TVantrelObject>> m_series;
    std::uint8_t m_sortKey = 0;
    NameOrder m_nameOrder;
};
