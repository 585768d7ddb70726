#pragma once
// The custom curve file (.zvc): one curve per file, named after the curve.
//
// Layout of format version 2 (what we write), little-endian:
//   string  "TolveX Brelvantor curve file"
//   4 x 16  the writing program's file version
//   16      format version (2)
//   byte    Q minimum, byte Q maximum, byte kind
//   4 float a, b, c, d
//   string  the name (each character carries one byte of the name)
//   byte    flags
// Version 1 has no kind byte and only b, c, d; version 0 (or below) neither
// kind nor coefficients.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/ConvCust.h"

namespace StreamIO {
class CZVArchive;
}

namespace Doc {

inline constexpr std::u16string_view kCurveFileSignature = u"TolveX Brelvantor curve file";
inline constexpr std::uint16_t kCurveFileVersion = 2;
inline constexpr std::string_view kCurveFileExtension = ".zvc";

// Reads one curve. Tag and Id of the result are 0. Raises CFileException for a
// file that is too short (38) or carries another first string (13).
TConvCust ReadCurveFile(StreamIO::CZVArchive& archive);
// The curve in a file, or nothing when it cannot be opened or read.
std::optional<TConvCust> ReadCurveFile(const std::filesystem::path& file);

void WriteCurveFile(StreamIO::CZVArchive& archive, const TConvCust& curve);

// The byte a name character read from a file stands for: characters up to
// U+00FF are their own byte, others the Windows-1252 byte that shows them (a
// name written through the code page), else the low 8 bits.
std::uint8_t NameByte(char16_t c);
// The name field as the files store it: one code unit per byte, zero-extended.
std::u16string NameUnits(const TConvCust& curve);
// Fills the name field from stored code units (at most 10, see NameByte).
void SetNameFromUnits(TConvCust& curve, std::u16string_view units);

// The file name of a curve: its name made safe for the file system (no folder
// separators, no "..", no control characters, no leading dot, never empty),
// followed by ".zvc". Names from a project, the clipboard or the hammer can
// therefore never reach outside the library folder.
std::string CurveFileName(const TConvCust& curve);

}  // namespace Doc
