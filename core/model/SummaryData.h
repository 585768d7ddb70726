#pragma once
// The summary of the project: compatible series of the working data combined
// into one larger test. The program builds and shows the first entry; further
// entries come only from pasting into a project that has one, and are kept as
// loaded.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/VantrelObjectSummary.h"

class CHammerData;
class IDataOwner;

class CSummaryData {
  public:
    explicit CSummaryData(IDataOwner* owner = nullptr) : m_owner(owner) {}
    CSummaryData(const CSummaryData&) = delete;
    CSummaryData& operator=(const CSummaryData&) = delete;

    void SetOwner(IDataOwner* owner) { m_owner = owner; }

    // Changes with every change of what the summary holds (not with the value
    // flags the statistics rewrite), and is never the same for two summaries:
    // a view may keep what it worked out for one revision.
    std::uint64_t Revision() const { return m_revision; }

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    const TVantrelObjectSummary& Entry(int entry) const;
    void Clear();
    // Loading: appends an entry with the saved fields; the others at defaults.
    void AppendLoadedEntry(std::u16string title, std::int16_t diagramOrder, std::uint8_t averaging);

    // Rebuilds the first entry from the working data: keeps the largest group of
    // series with one unit (all Single or all not), takes the others out of the
    // summary and lists one value per remaining series. With no series at all the
    // first entry is emptied and false returned.
    bool BuildSummary(CHammerData& working);

    // Statistics of an entry with the given averaging (1 median, 2 mean); also
    // rewrites the entry's value flags.
    TSummaryStatistics CalcSummaryStatistics(int entry, std::uint8_t averaging);
    TSummaryStatistics CalcSummaryStatistics(int entry) {
        return CalcSummaryStatistics(entry, Entry(entry).Averaging);
    }

    // Setters mark the project modified.
    void SetTitle(int entry, std::u16string title);
    void SetDiagramOrder(int entry, std::int16_t order);
    void SetAveraging(int entry, std::uint8_t averaging);

    const std::u16string& GetTitle(int entry) const { return Entry(entry).Title; }
    std::int16_t GetDiagramOrder(int entry) const { return Entry(entry).DiagramOrder; }
    std::uint8_t GetAveraging(int entry) const { return Entry(entry).Averaging; }
    int GetValueCount(int entry) const { return static_cast<int>(Entry(entry).Values.size()); }
    const TMeasConverted& GetValue(int entry, int value) const;
    std::uint8_t GetValueFlag(int entry, int value) const;
    std::uint32_t GetFirstDateTime(int entry) const { return Entry(entry).FirstDateTime; }
    std::uint32_t GetLastDateTime(int entry) const { return Entry(entry).LastDateTime; }
    // Decimals of the entry's unit, as for a series of that unit.
    int GetDisplayDecimals(int entry) const;

    // Texts of the shared settings, with the "different ..." texts for mixes.
    std::u16string GetModeName(int entry) const;
    std::u16string GetUnitText(int entry) const;
    std::u16string GetCurveName(int entry) const;
    std::u16string GetFormText(int entry) const;
    std::u16string GetCarbonationText(int entry) const;
    std::u16string GetSerialNumber(int entry) const { return Entry(entry).SerialNumber; }

    static std::u16string ModeName(std::uint8_t mode);
    static std::u16string UnitText(std::uint8_t unit);
    static std::u16string CurveName(std::uint8_t curveId);
    static std::u16string FormText(std::uint8_t formCode, bool inch);
    static std::u16string CarbonationText(std::uint8_t code, bool inch);

  private:
    TVantrelObjectSummary& MutableEntry(int entry);
    void MarkModified();
    void Changed();

    IDataOwner* m_owner = nullptr;
    std::uint64_t m_revision = 0;
    std::vector<std::unique_ptr<TVantrelObjectSummary>> m_entries;
};
