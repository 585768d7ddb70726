// The curve file reader on arbitrary bytes. A curve it reads must be written
// and read back unchanged.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "FuzzArchive.h"
#include "doc/CurveFile.h"
#include "streamio/FileException.h"
#include "streamio/RamStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"

using namespace FuzzSupport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Start();
    TConvCust curve;
    try {
        CInput in(data, size);
        StreamIO::CZVArchive archive(in.Handle(), StreamIO::CZVArchive::kLoad, 256);
        curve = Doc::ReadCurveFile(archive);
        archive.Close();
    } catch (const StreamIO::CFileException&) {
        return 0;
    }
    if (Doc::CurveFileName(curve).find('/') != std::string::npos) std::abort();

    const std::vector<std::uint8_t> written =
        Written([&](StreamIO::CZVArchive& ar) { Doc::WriteCurveFile(ar, curve); });
    if (written.size() != 92 + 2 * curve.Name8().size()) std::abort();
    CInput again(written.data(), written.size());
    StreamIO::CZVArchive archive(again.Handle(), StreamIO::CZVArchive::kLoad, 256);
    const TConvCust back = Doc::ReadCurveFile(archive);
    archive.Close();
    const auto sameBits = [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    if (back.Name8() != curve.Name8() || back.QMin != curve.QMin || back.QMax != curve.QMax ||
        back.Kind != curve.Kind || back.Flags != curve.Flags || !sameBits(back.A, curve.A) ||
        !sameBits(back.B, curve.B) || !sameBits(back.C, curve.C) || !sameBits(back.D, curve.D))
        std::abort();
    return 0;
}
