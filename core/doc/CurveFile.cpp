#include "doc/CurveFile.h"

#include <algorithm>
#include <memory>

#include "streamio/FileException.h"
#include "streamio/FileStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"
#include "text/Encoding.h"
#include "text/FileVersionInfo.h"

namespace Doc {

TConvCust ReadCurveFile(StreamIO::CZVArchive& ar) {
    if (ar.ReadString() != kCurveFileSignature) throw StreamIO::CFileException(StreamIO::kErrUnexpected, "");
    for (int i = 0; i < 4; ++i) ar.ReadWord();  // the writer's version: not used
    const auto version = static_cast<std::int16_t>(ar.ReadWord());

    TConvCust curve;
    curve.Tag = 0;
    curve.Flags = 0;
    curve.QMin = ar.ReadByte();
    curve.QMax = ar.ReadByte();
    if (version > 1) {
        curve.Kind = ar.ReadByte();
        curve.A = ar.ReadFloat();
    }
    if (version >= 1) {
        curve.B = ar.ReadFloat();
        curve.C = ar.ReadFloat();
        curve.D = ar.ReadFloat();
    }
    SetNameFromUnits(curve, ar.ReadString());
    curve.Flags = ar.ReadByte();
    return curve;
}

std::optional<TConvCust> ReadCurveFile(const std::filesystem::path& file) {
    using namespace StreamIO;
    try {
        CFileStream stream;
        stream.Open(file.string(), kOpenRead | kShareRead);
        const std::uint32_t handle = stream.GetHandle();
        if (handle == 0) return std::nullopt;
        // A curve file is about a hundred bytes; a small buffer reads it in one go.
        CZVArchive ar(handle, CZVArchive::kLoad, 256);
        TConvCust curve = ReadCurveFile(ar);
        ar.Close();
        return curve;
    } catch (const CFileException&) {
        return std::nullopt;
    }
}

void WriteCurveFile(StreamIO::CZVArchive& ar, const TConvCust& curve) {
    ar.WriteString(kCurveFileSignature);
    for (std::uint16_t part : Text::CFileVersionInfo::Program().FileVersion().parts) ar.WriteWord(part);
    ar.WriteWord(kCurveFileVersion);
    ar.WriteByte(curve.QMin);
    ar.WriteByte(curve.QMax);
    ar.WriteByte(curve.Kind);
    ar.WriteFloat(curve.A);
    ar.WriteFloat(curve.B);
    ar.WriteFloat(curve.C);
    ar.WriteFloat(curve.D);
    ar.WriteString(NameUnits(curve));
    ar.WriteByte(curve.Flags);
}

std::uint8_t NameByte(char16_t c) {
    if (c <= 0xFF) return static_cast<std::uint8_t>(c);
    const std::string narrow = Text::ToCp1252(std::u16string_view(&c, 1));
    if (!narrow.empty() && narrow[0] != '?') return static_cast<std::uint8_t>(narrow[0]);
    return static_cast<std::uint8_t>(c & 0xFF);
}

std::u16string NameUnits(const TConvCust& curve) {
    std::u16string units;
    for (char ch : curve.Name8()) units.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
    return units;
}

void SetNameFromUnits(TConvCust& curve, std::u16string_view units) {
    curve.CurveName.fill(0);
    const std::size_t n = std::min(units.size(), curve.CurveName.size());
    for (std::size_t i = 0; i < n; ++i) curve.CurveName[i] = static_cast<char>(NameByte(units[i]));
}

std::string CurveFileName(const TConvCust& curve) {
    std::u16string safe;
    for (char16_t c : Text::FromCp1252(curve.Name8())) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        safe.push_back(control || c == u'/' || c == u'\\' ? u'_' : c);
    }
    // ".." (and any longer run of dots) could climb out of the folder; a
    // leading dot would hide the file.
    const std::u16string named = safe;
    for (std::size_t i = 0; i < named.size(); ++i) {
        if (named[i] != u'.') continue;
        const bool inRun = (i > 0 && named[i - 1] == u'.') || (i + 1 < named.size() && named[i + 1] == u'.');
        if (inRun || i == 0) safe[i] = u'_';
    }
    if (safe.empty()) safe = u"_";
    return Text::ToUtf8(safe) + std::string(kCurveFileExtension);
}

}  // namespace Doc
