// A clipboard payload pasted into a document that already holds series and a
// custom curve. The document's own data must survive whatever arrives, and
// whatever arrived must copy and paste again cleanly.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzArchive.h"
#include "doc/HammerDoc.h"
#include "model/CurveStore.h"
#include "streamio/StreamRegistry.h"
#include "text/UserPrompt.h"

using namespace FuzzSupport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Start();
    Text::CSilentPrompt prompt(Text::MsgResult::No);
    CCurveStore::Instance().Clear();

    TConvCust own;
    own.QMin = 20;
    own.QMax = 60;
    own.C = 0.75f;
    own.SetName8("OWN");
    const int ownId = CCurveStore::Instance().AddCurve(own, 50).id;

    CHammerDoc doc(prompt);
    TVantrelObject mine;
    mine.CurveId = static_cast<std::uint8_t>(ownId);
    mine.Readings.push_back(TMeas{60, 0, 0});
    mine.ImpactCounter = 4242;
    doc.WorkingData().AppendSeries(mine);
    doc.OriginalData().AppendSeries(mine);

    doc.PastePayload(std::span<const std::uint8_t>(data, size));

    // The series that were there keep their place in the original data and
    // their curve; the original data never change.
    if (doc.OriginalData().GetCount() != 1) std::abort();
    bool found = false;
    for (int i = 0; i < doc.WorkingData().GetCount(); ++i) {
        const TVantrelObject& s = doc.WorkingData().Series(i);
        if (s.ImpactCounter == 4242 && s.CurveId == ownId && s.Readings.size() == 1) found = true;
        if (s.ReadingFlags.size() != s.Readings.size()) std::abort();
    }
    if (!found) std::abort();
    const auto curve = CCurveStore::Instance().GetCurve(ownId);
    if (!curve || !curve->IsEqualCurve(own)) std::abort();

    std::vector<std::uint8_t> all(static_cast<std::size_t>(doc.WorkingData().GetCount()), 1);
    const std::vector<std::uint8_t> payload = doc.MakeClipboardPayload(all);
    CHammerDoc other(prompt);
    if (!other.PastePayload(payload)) std::abort();
    if (other.WorkingData().GetCount() != doc.WorkingData().GetCount()) std::abort();

    CCurveStore::Instance().Clear();
    return 0;
}
