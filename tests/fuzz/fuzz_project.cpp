// LoadProject on arbitrary file bytes. Whatever it accepts (wholly or in part)
// must be written back as a project that loads again completely and is
// written the same way a second time.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "doc/HammerDoc.h"
#include "model/CurveStore.h"
#include "streamio/RamStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"
#include "text/UserPrompt.h"

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
    Text::CSilentPrompt prompt(Text::MsgResult::No);

    std::vector<std::uint8_t> first;
    {
        CHammerDoc doc(prompt);
        CInput in(data, size);
        StreamIO::CZVArchive archive(in.Handle(), StreamIO::CZVArchive::kLoad, 1024);
        doc.LoadProject(archive);
        archive.Close();
        first = Written([&](StreamIO::CZVArchive& ar) { doc.WriteProject(ar); });
    }
    {
        CHammerDoc again(prompt);
        CInput in(first.data(), first.size());
        StreamIO::CZVArchive archive(in.Handle(), StreamIO::CZVArchive::kLoad, 1024);
        if (!again.LoadProject(archive)) std::abort();
        archive.Close();
        if (Written([&](StreamIO::CZVArchive& ar) { again.WriteProject(ar); }) != first) std::abort();
    }
    CCurveStore::Instance().Clear();
    return 0;
}
