#pragma once
// What the archive-reading fuzz targets share: the stream subsystem started
// once (with a curve folder nothing can be written to), input bytes as an
// in-memory file, and the bytes a storing archive produces.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "streamio/RamStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"

namespace FuzzSupport {

inline void Start() {
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
inline std::vector<std::uint8_t> Written(const std::function<void(StreamIO::CZVArchive&)>& write) {
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

}  // namespace FuzzSupport
