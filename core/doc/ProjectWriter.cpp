#include "doc/ProjectWriter.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "doc/CurveFile.h"
#include "doc/ProjectContent.h"
#include "model/HammerData.h"
#include "model/SummaryData.h"
#include "streamio/ZVArchive.h"
#include "text/FileVersionInfo.h"

namespace Doc {

void CProjectWriter::WriteHeader() {
    m_ar.WriteString(kProjectSignature);
    for (std::uint16_t part : Text::CFileVersionInfo::Program().FileVersion().parts) m_ar.WriteWord(part);
    m_ar.WriteWord(kProjectFormatVersion);
}

void CProjectWriter::WriteProject(const CHammerData& original, const CHammerData& working,
                                  const CSummaryData& summary, const std::vector<TConvCust>& curves) {
    WriteHeader();
    m_ar.WriteDword(1);
    WriteBody(original, {}, true);
    m_ar.WriteDword(1);
    WriteBody(working, {}, true);
    WriteSummary(summary);
    WriteCurves(curves);
}

void CProjectWriter::WriteClipboard(const CHammerData& working, std::span<const std::uint8_t> selection,
                                    const CSummaryData& summary, const std::vector<TConvCust>& curves) {
    if (selection.size() < static_cast<std::size_t>(working.GetCount()))
        throw std::invalid_argument("CProjectWriter::WriteClipboard: selection shorter than the series");
    WriteHeader();
    m_ar.WriteDword(0);
    m_ar.WriteDword(1);
    WriteBody(working, selection, false);
    WriteSummary(summary);
    WriteCurves(curves);
}

void CProjectWriter::WriteBody(const CHammerData& data, std::span<const std::uint8_t> selection, bool all) {
    const int count = data.GetCount();
    std::uint32_t written = 0;
    for (int i = 0; i < count; ++i)
        if (all || selection[static_cast<std::size_t>(i)] != 0) ++written;
    m_ar.WriteDword(written);
    for (int i = 0; i < count; ++i)
        if (all || selection[static_cast<std::size_t>(i)] != 0) WriteSeriesRecord(data.Series(i));
    m_ar.WriteByte(data.GetSortKey());
}

void CProjectWriter::WriteSeriesRecord(const TVantrelObject& s) {
    m_ar.WriteString(s.Version.ToString4());
    m_ar.WriteByte(s.CarbonationCode);
    m_ar.WriteByte(s.CurveId);
    m_ar.WriteByte(s.FormCode);
    m_ar.WriteByte(s.DeviceCount);
    m_ar.WriteByte(s.DeviceInfoD);
    m_ar.WriteWord(s.ImpactCounter);
    m_ar.WriteWord(static_cast<std::uint16_t>(s.DeviceInfoA));
    m_ar.WriteByte(s.AveragingMode);
    m_ar.WriteByte(s.DeviceInfoC);
    m_ar.WriteByte(s.DeviceInfoB);
    m_ar.WriteByte(s.LowerOutliers);
    m_ar.WriteByte(s.UpperOutliers);
    m_ar.WriteDword(s.DateTime);
    m_ar.WriteByte(s.Unit);
    m_ar.WriteString(s.SerialNumber);
    m_ar.WriteString(s.DeviceInfo);
    m_ar.WriteString(s.DeviceType);
    m_ar.WriteDword(s.NewDataFormat ? 1 : 0);
    m_ar.WriteString(s.Comment);
    m_ar.WriteString(s.Name);
    m_ar.WriteDword(s.UseInSummary ? 1 : 0);
    m_ar.WriteString(s.ExtraText);
    m_ar.WriteWord(static_cast<std::uint16_t>(s.DiagramOrder));
    m_ar.WriteDword(s.Expanded ? 1 : 0);
    m_ar.WriteDword(static_cast<std::uint32_t>(s.Readings.size()));

    // Each reading is Extra, Energy (16 bits), QHalf: in little-endian order that
    // is two 16-bit words, which the archive takes a buffer at a time.
    if (m_ar.IsBigEndian()) {
        for (const TMeas& m : s.Readings) {
            m_ar.WriteByte(m.Extra);
            m_ar.WriteWord(m.Energy);
            m_ar.WriteByte(m.QHalf);
        }
        return;
    }
    std::array<std::uint16_t, 512> words{};
    std::size_t done = 0;
    while (done < s.Readings.size()) {
        const std::size_t chunk = std::min(s.Readings.size() - done, words.size() / 2);
        for (std::size_t i = 0; i < chunk; ++i) {
            const TMeas& m = s.Readings[done + i];
            words[2 * i] = static_cast<std::uint16_t>(m.Extra | ((m.Energy & 0xFF) << 8));
            words[2 * i + 1] = static_cast<std::uint16_t>((m.Energy >> 8) | (m.QHalf << 8));
        }
        m_ar.WriteWords(words.data(), chunk * 2);
        done += chunk;
    }
}

void CProjectWriter::WriteSummary(const CSummaryData& summary) {
    const int count = summary.GetEntryCount();
    m_ar.WriteDword(static_cast<std::uint32_t>(count));
    for (int e = 0; e < count; ++e) {
        m_ar.WriteString(summary.GetTitle(e));
        m_ar.WriteWord(static_cast<std::uint16_t>(summary.GetDiagramOrder(e)));
        m_ar.WriteByte(summary.GetAveraging(e));
    }
}

void CProjectWriter::WriteCurves(const std::vector<TConvCust>& curves) {
    m_ar.WriteDword(static_cast<std::uint32_t>(curves.size()));
    for (const TConvCust& c : curves) WriteCurveRecord(c);
}

void CProjectWriter::WriteCurveRecord(const TConvCust& c) {
    m_ar.WriteByte(c.Tag);
    m_ar.WriteDword(c.Id);
    m_ar.WriteByte(c.Kind);
    m_ar.WriteByte(c.QMin);
    m_ar.WriteByte(c.QMax);
    m_ar.WriteFloat(c.A);
    m_ar.WriteFloat(c.B);
    m_ar.WriteFloat(c.C);
    m_ar.WriteFloat(c.D);
    m_ar.WriteString(NameUnits(c));
    m_ar.WriteByte(c.Flags);
    m_ar.WriteDword(static_cast<std::uint32_t>(c.OnDevice));
}

}  // namespace Doc
