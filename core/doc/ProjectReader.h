#pragma once
// Reads the project layout of every format version (1 and 2 with the old
// series body, 3 with the current one) from an archive into a TProjectContent.
//
// Every length and count in the data is checked against the data actually
// there before anything is kept: a count promises nothing, memory grows only
// with the bytes read. The first error raises CFileException; what was read
// completely before it stays in the content.
#include <cstdint>
#include <vector>

#include "doc/ProjectContent.h"

namespace StreamIO {
class CZVArchive;
}

namespace Doc {

class CProjectReader {
  public:
    explicit CProjectReader(StreamIO::CZVArchive& archive) : m_ar(archive) {}

    void Read(TProjectContent& content);

    // The pieces, for the tests of the old formats.
    std::unique_ptr<TVantrelObject> ReadSeriesRecord();
    void ReadBody(SeriesList& series, std::optional<std::uint8_t>& sortKey);
    void ReadOldBody(SeriesList& series);
    TStoredCurve ReadCurveRecord(bool extended);

  private:
    void ReadVersion2Lists(TProjectContent& content);
    void ReadSummary(std::vector<TProjectSummaryEntry>& entries);
    void ReadReadings(std::vector<TMeas>& readings, std::uint32_t count);

    StreamIO::CZVArchive& m_ar;
    std::vector<std::uint8_t> m_block;  // scratch for raw blocks and readings
};

// Reads the old records of block 2 with the header texts of block 1 (exposed
// for tests). Raises CFileException when a record reaches past the block.
void ParseOldRecords(const std::vector<std::uint8_t>& header, const std::vector<std::uint8_t>& records,
                     SeriesList& series);

}  // namespace Doc
