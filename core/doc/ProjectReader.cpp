#include "doc/ProjectReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "doc/CurveFile.h"
#include "model/Version.h"
#include "streamio/FileException.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"
#include "text/Encoding.h"

namespace Doc {

namespace {

using StreamIO::CFileException;

[[noreturn]] void Damaged(std::int32_t code = StreamIO::kErrUnexpected) {
    throw CFileException(code, "");
}

// Readings are taken in raw blocks this big (a multiple of 4 below the
// archive's block limit).
constexpr std::size_t kReadingsPerBlock = 16383;

// --- the old body ---------------------------------------------------------------

constexpr std::size_t kOldHeaderSize = 18;

// An 8-bit text, zero-terminated within its slot; bytes the block does not
// have count as zeros.
std::u16string SlotText(const std::vector<std::uint8_t>& block, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i <= to && i < block.size() && block[i] != 0; ++i)
        text.push_back(static_cast<char>(block[i]));
    return Text::FromCp1252(text);
}

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Whether the 18 bytes at `p` look like the header of a further record (the
// test the old reader used to find readings the hammer did not count).
bool LooksLikeOldHeader(const std::uint8_t* p) {
    const auto mode = static_cast<std::int8_t>(p[13]);
    const auto unit = static_cast<std::int8_t>(p[10]);
    return mode < 9 && p[16] < 10 && unit < 6 && p[12] != 0 && p[14] <= 12;
}

}  // namespace

void ParseOldRecords(const std::vector<std::uint8_t>& header, const std::vector<std::uint8_t>& block,
                     SeriesList& series) {
    const std::u16string deviceType = SlotText(header, 2, 33);
    const std::u16string serialNumber = SlotText(header, 34, 47);
    const std::u16string deviceInfo = SlotText(header, 62, 63);
    const std::u16string extraText = SlotText(header, 64, 126);

    const std::size_t length = block.size();
    std::size_t offset = 0;
    while (offset < length) {
        if (length - offset < kOldHeaderSize) Damaged(StreamIO::kErrEndOfData);
        const std::uint8_t* h = block.data() + offset;
        auto s = std::make_unique<TVantrelObject>();
        s->ImpactCounter = Le16(h);
        s->DeviceInfoA = static_cast<std::int16_t>(Le16(h + 4));
        s->DateTime = Le32(h + 6);
        s->Unit = h[10];
        s->DeviceCount = h[12];
        s->AveragingMode = h[13];
        s->CarbonationCode = h[14];
        s->CurveId = h[15];
        s->FormCode = h[16];
        s->DeviceInfoD = h[17];
        s->UpperOutliers = 0;
        s->LowerOutliers = 0;
        s->NewDataFormat = 0;
        s->DeviceType = deviceType;
        s->SerialNumber = serialNumber;
        s->DeviceInfo = deviceInfo;
        s->ExtraText = extraText;

        const std::size_t first = offset + kOldHeaderSize;
        std::size_t count = h[12];
        if (count == 1 && s->AveragingMode != 0) {
            // The hammer may have written further readings of this series without
            // counting them: they run up to the next thing that looks like a header.
            std::size_t candidate = first + 4;
            while (candidate + kOldHeaderSize <= length && !LooksLikeOldHeader(block.data() + candidate)) {
                ++count;
                candidate += 4;
            }
            if (candidate + kOldHeaderSize > length && candidate < length) count += (length - candidate) / 4;
            s->DeviceCount = static_cast<std::uint8_t>(std::min<std::size_t>(count, 255));
        }
        if (first > length || (length - first) / 4 < count) Damaged(StreamIO::kErrEndOfData);

        s->Readings.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* r = block.data() + first + 4 * i;
            s->Readings[i].QHalf = r[0];
            s->Readings[i].Energy = Le16(r + 1);
            s->Readings[i].Extra = r[3];
        }
        s->ResetReadingFlags();
        series.push_back(std::move(s));
        offset = first + 4 * count;
    }
}

void CProjectReader::Read(TProjectContent& c) {
    if (m_ar.ReadString() != kProjectSignature) Damaged(StreamIO::kErrUnexpected);
    for (int i = 0; i < 4; ++i) m_ar.ReadWord();  // the writer's version: not used
    c.FormatVersion = m_ar.ReadWord();

    if (c.FormatVersion > 2) {
        if (m_ar.ReadDword() != 0) ReadBody(c.Original, c.OriginalSortKey);
        if (m_ar.ReadDword() != 0) ReadBody(c.Working, c.WorkingSortKey);
    } else {
        ReadOldBody(c.Original);
        if (c.FormatVersion == 1) {
            c.WorkingIsCopyOfOriginal = true;
        } else if (c.FormatVersion == 2) {
            ReadOldBody(c.Working);
            ReadVersion2Lists(c);
        }
    }

    ReadSummary(c.Summary);

    c.CurveSectionReached = true;
    const std::uint32_t curves = m_ar.ReadDword();
    for (std::uint32_t i = 0; i < curves; ++i) c.Curves.push_back(ReadCurveRecord(c.FormatVersion > 2));
}

void CProjectReader::ReadBody(SeriesList& series, std::optional<std::uint8_t>& sortKey) {
    // The count is only a promise: records are read one by one and the list
    // grows with what is really there.
    const std::uint32_t count = m_ar.ReadDword();
    for (std::uint32_t i = 0; i < count; ++i) series.push_back(ReadSeriesRecord());
    sortKey = m_ar.ReadByte();
}

std::unique_ptr<TVantrelObject> CProjectReader::ReadSeriesRecord() {
    auto s = std::make_unique<TVantrelObject>();
    s->Version = CVersion::Parse(m_ar.ReadString());
    s->CarbonationCode = m_ar.ReadByte();
    s->CurveId = m_ar.ReadByte();
    s->FormCode = m_ar.ReadByte();
    s->DeviceCount = m_ar.ReadByte();
    s->DeviceInfoD = m_ar.ReadByte();
    s->ImpactCounter = m_ar.ReadWord();
    s->DeviceInfoA = static_cast<std::int16_t>(m_ar.ReadWord());
    s->AveragingMode = m_ar.ReadByte();
    s->DeviceInfoC = m_ar.ReadByte();
    s->DeviceInfoB = m_ar.ReadByte();
    s->LowerOutliers = m_ar.ReadByte();
    s->UpperOutliers = m_ar.ReadByte();
    s->DateTime = m_ar.ReadDword();
    s->Unit = m_ar.ReadByte();
    s->SerialNumber = m_ar.ReadString();
    s->DeviceInfo = m_ar.ReadString();
    s->DeviceType = m_ar.ReadString();
    s->NewDataFormat = m_ar.ReadDword() != 0 ? 1 : 0;
    s->Comment = m_ar.ReadString();
    s->Name = m_ar.ReadString();
    s->UseInSummary = m_ar.ReadDword() != 0 ? 1 : 0;
    s->ExtraText = m_ar.ReadString();
    s->DiagramOrder = static_cast<std::int16_t>(m_ar.ReadWord());
    s->Expanded = m_ar.ReadDword() != 0 ? 1 : 0;
    ReadReadings(s->Readings, m_ar.ReadDword());
    s->ResetReadingFlags();
    return s;
}

void CProjectReader::ReadReadings(std::vector<TMeas>& readings, std::uint32_t count) {
    readings.clear();
    readings.reserve(std::min<std::size_t>(count, kReadingsPerBlock));
    if (count > 0 && m_block.size() < 4 * std::min<std::size_t>(count, kReadingsPerBlock))
        m_block.resize(4 * std::min<std::size_t>(count, kReadingsPerBlock));
    std::size_t left = count;
    while (left > 0) {
        const std::size_t chunk = std::min(left, kReadingsPerBlock);
        m_ar.ReadBytes(m_block.data(), chunk * 4);
        for (std::size_t i = 0; i < chunk; ++i) {
            const std::uint8_t* r = m_block.data() + 4 * i;
            TMeas m;
            m.Extra = r[0];
            m.Energy = Le16(r + 1);
            m.QHalf = r[3];
            readings.push_back(m);
        }
        left -= chunk;
    }
}

void CProjectReader::ReadOldBody(SeriesList& series) {
    std::vector<std::uint8_t> blocks[2];
    for (auto& block : blocks) {
        const std::uint32_t length = m_ar.ReadDword();
        // A raw block is at most 65535 bytes; anything longer is not ours.
        if (length > StreamIO::CZVArchive::kMaxBlock) Damaged(StreamIO::kErrBufferTooSmall);
        // Read in pieces so that a length the data do not hold costs no more
        // memory than the data themselves.
        std::size_t done = 0;
        block.clear();
        while (done < length) {
            const std::size_t chunk = std::min<std::size_t>(length - done, 4096);
            block.resize(done + chunk);
            m_ar.ReadBytes(block.data() + done, chunk);
            done += chunk;
        }
    }
    ParseOldRecords(blocks[0], blocks[1], series);
}

void CProjectReader::ReadVersion2Lists(TProjectContent& c) {
    auto working = [&](std::uint32_t i) -> TVantrelObject* {
        return i < c.Working.size() ? c.Working[i].get() : nullptr;
    };
    for (int list = 1; list <= 13; ++list) {
        const std::uint32_t count = m_ar.ReadDword();
        for (std::uint32_t i = 0; i < count; ++i) {
            if (list == 13) {
                const auto order = static_cast<std::int16_t>(m_ar.ReadWord());
                if (auto* s = working(i)) s->DiagramOrder = order;
                continue;
            }
            std::u16string text = m_ar.ReadString();
            TVantrelObject* s = working(i);
            if (!s) continue;  // entries beyond the series are read and dropped
            switch (list) {
                case 1:
                    s->Comment = std::move(text);
                    break;
                case 2:
                    s->Name = std::move(text);
                    break;
                case 3:
                    if (i < c.Original.size()) c.Original[i]->SerialNumber = std::move(text);
                    break;
                case 4:
                    s->SerialNumber = std::move(text);
                    break;
                case 5:
                case 6:
                    s->DeviceType = std::move(text);
                    break;
                case 9:
                case 10:
                    s->DeviceInfo = std::move(text);
                    break;
                case 11:
                case 12:
                    s->ExtraText = std::move(text);
                    break;
                default:  // lists 7 and 8 are not kept
                    break;
            }
        }
    }
}

void CProjectReader::ReadSummary(std::vector<TProjectSummaryEntry>& entries) {
    const std::uint32_t count = m_ar.ReadDword();
    for (std::uint32_t i = 0; i < count; ++i) {
        TProjectSummaryEntry e;
        e.Title = m_ar.ReadString();
        e.DiagramOrder = static_cast<std::int16_t>(m_ar.ReadWord());
        e.Averaging = m_ar.ReadByte();
        entries.push_back(std::move(e));
    }
}

TStoredCurve CProjectReader::ReadCurveRecord(bool extended) {
    TStoredCurve stored;
    TConvCust& c = stored.Curve;
    c.Tag = extended ? m_ar.ReadByte() : 3;
    stored.StoredId = m_ar.ReadDword();
    c.Id = static_cast<std::uint8_t>(stored.StoredId);
    c.Kind = extended ? m_ar.ReadByte() : 0;
    c.QMin = m_ar.ReadByte();
    c.QMax = m_ar.ReadByte();
    c.A = m_ar.ReadFloat();
    c.B = m_ar.ReadFloat();
    c.C = m_ar.ReadFloat();
    c.D = extended ? m_ar.ReadFloat() : 0.0f;
    SetNameFromUnits(c, m_ar.ReadString());
    c.Flags = m_ar.ReadByte();
    c.OnDevice = static_cast<std::int32_t>(m_ar.ReadDword());
    return stored;
}

}  // namespace Doc
