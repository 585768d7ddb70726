// LoadProject on arbitrary file bytes. Whatever it accepts (wholly or in part)
// must be written back as a project that loads again completely and is
// written the same way a second time.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "FuzzArchive.h"
#include "doc/HammerDoc.h"
#include "model/CurveStore.h"
#include "streamio/RamStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"
#include "text/UserPrompt.h"

using namespace FuzzSupport;

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
