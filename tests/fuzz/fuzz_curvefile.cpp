// The curve file reader on arbitrary bytes. A curve it reads must be written
// and read back unchanged.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "doc/CurveFile.h"
#include "streamio/FileException.h"
#include "streamio/RamStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"

namespace {

void Start() {
    static const bool started = [] {
        StreamIO::StartStreams();
        // Below a device file no folder can be made: fuzzing never writes curve files.
        ::setenv("BRELVANTOR_CURVES", "/dev/null/brelvantor-fuzz", 1);
        return true;
    }();
    (void)started;
}

// An in-memory file holding the given bytes, for an archive on its handle.
class CInput {
  public:
    CInput(const std::uint8_t* data, std::size_t size) {
        m_stream.Open("RAM:FuzzInput", StreamIO::kOpenRead | StreamIO::kOpenWrite | StreamIO::kCreateAlways);
        for (std::size_t done = 0; done < size;) {
            const std::size_t put = m_stream.Write(data + done, size - done);
            if (put == 0) std::abort();
            done += put;
        }
    }
    std::uint32_t Handle() const { return m_stream.GetHandle(); }

  private:
    StreamIO::CRamStream m_stream;
};

// The bytes `write` puts into a storing archive.
std::vector<std::uint8_t> Written(const std::function<void(StreamIO::CZVArchive&)>& write) {
    StreamIO::CRamStream stream;
    stream.Open("RAM:FuzzOutput", StreamIO::kOpenRead | StreamIO::kOpenWrite | StreamIO::kCreateAlways);
    StreamIO::CZVArchive archive(stream.GetHandle(), StreamIO::CZVArchive::kStore, 1024);
    write(archive);
    archive.Flush();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.GetLength()));
    stream.SetPosition(0);
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t got = stream.Read(bytes.data() + done, bytes.size() - done);
        if (got == 0) std::abort();
        done += got;
    }
    archive.Close();
    return bytes;
}

}  // namespace

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
