#pragma once
// Writes the project layout (format version 3): the whole project for a file,
// or only the selected working series for the clipboard.
#include <cstdint>
#include <span>
#include <vector>

#include "model/ConvCust.h"

class CHammerData;
class CSummaryData;
struct TVantrelObject;

namespace StreamIO {
class CZVArchive;
}

namespace Doc {

class CProjectWriter {
  public:
    explicit CProjectWriter(StreamIO::CZVArchive& archive) : m_ar(archive) {}

    // A project: both series bodies with every series.
    void WriteProject(const CHammerData& original, const CHammerData& working, const CSummaryData& summary,
                      const std::vector<TConvCust>& curves);
    // Clipboard data: no original data, and of the working data only the series
    // whose selection entry is non-zero. The selection needs one entry per series.
    void WriteClipboard(const CHammerData& working, std::span<const std::uint8_t> selection,
                        const CSummaryData& summary, const std::vector<TConvCust>& curves);

    void WriteSeriesRecord(const TVantrelObject& series);
    // Extended form; `curve.Id` is written as its identifier.
    void WriteCurveRecord(const TConvCust& curve);

  private:
    void WriteHeader();
    void WriteBody(const CHammerData& data, std::span<const std::uint8_t> selection, bool all);
    void WriteSummary(const CSummaryData& summary);
    void WriteCurves(const std::vector<TConvCust>& curves);

    StreamIO::CZVArchive& m_ar;
};

}  // namespace Doc
